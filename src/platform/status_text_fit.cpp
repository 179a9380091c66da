#include "platform/status_text_fit.h"

namespace parvex {

namespace {

const std::string kEllipsisFolder = "...\\";

// Replaces the first folder of a directory part by "...\" (or merges it into the
// "...\" already there), keeping a leading backslash.
std::string withoutFirstFolder(std::string dir) {
  if (dir == "\\") return {};
  std::string lead;
  if (!dir.empty() && dir.front() == '\\') {
    lead = "\\";
    dir.erase(0, 1);
  }
  // A leading full stop is the "...\" of an earlier step.
  if (!dir.empty() && dir.front() == '.') dir.erase(0, kEllipsisFolder.size());
  const auto slash = dir.find('\\');
  dir = slash == std::string::npos ? std::string() : kEllipsisFolder + dir.substr(slash + 1);
  return lead + dir;
}

}  // namespace

std::string fittedPath(const std::string& path, int availableWidth, const TextMeasure& measure) {
  const auto lastSlash = path.rfind('\\');
  std::string dir = lastSlash == std::string::npos ? std::string() : path.substr(0, lastSlash + 1);
  const std::string file = lastSlash == std::string::npos ? path : path.substr(lastSlash + 1);
  std::string drive;
  if (dir.size() >= 2 && dir[1] == ':') {
    drive = dir.substr(0, 2);
    dir.erase(0, 2);
  }
  std::string result = path;
  while ((!drive.empty() || !dir.empty()) && measure.textWidth(result) > availableWidth) {
    if (dir == "\\" + kEllipsisFolder) {
      drive.clear();
      dir = kEllipsisFolder;
    } else if (dir.empty()) {
      drive.clear();
    } else {
      dir = withoutFirstFolder(dir);
    }
    result = drive + dir + file;
  }
  return result;
}

std::string fittedPlainText(const std::string& text, int availableWidth, const TextMeasure& measure,
                            unsigned codePage) {
  std::string kept = text;
  std::string result = text;
  while (!kept.empty() && measure.textWidth(result) > availableWidth) {
    kept.resize(CharacterCutLength(kept, kept.size() - 1, codePage));
    result = kept + "...";
  }
  return result;
}

}  // namespace parvex
