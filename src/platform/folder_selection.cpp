#include "platform/folder_selection.h"

namespace parvex {

namespace {

bool isDriveRoot(const std::string& text) {
  return text.size() == 3 && text[1] == ':' && text[2] == '\\';
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool isExistingFolder(const std::string& text, const FolderProbe& probe) {
  if (isDriveRoot(text)) {
    const char letter = upper(text[0]);
    if (letter < 'A' || letter > 'Z') return false;
    return (probe.logicalDrives() >> (letter - 'A')) & 1u;
  }
  std::string path = text;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty()) return false;
  // A directory search expands wildcards: "C:\Win*" would find "C:\Windows" and be
  // taken for a folder that does not exist under that name.
  if (path.find_first_of("*?") != std::string::npos) return false;
  return probe.findsDirectory(path);
}

std::string normalizedSelection(const std::string& text, const FolderProbe& probe) {
  if (!text.empty() && text.back() != '\\' && isExistingFolder(text, probe)) return text + '\\';
  return text;
}

std::string selectionForPicker(const std::string& text) {
  if (text.size() >= 2 && text.size() < 4 && text[1] == ':') {
    return text.size() == 2 ? text + '\\' : text;
  }
  if (!text.empty() && text.back() == '\\') return text.substr(0, text.size() - 1);
  return text;
}

}  // namespace parvex
