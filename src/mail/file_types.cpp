#include "mail/file_types.h"

namespace parvex {

namespace {
constexpr const char* kDefaultContentType = "application/octet-stream";
}

std::string ContentTypeForFile(std::string_view path, const FileTypeRegistry& registry) {
  // The extension is taken from the file-name part only: a dot in a folder
  // name does not make one.
  const std::size_t nameStart = path.find_last_of("\\/:");
  const std::string_view name = nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return kDefaultContentType;
  try {
    std::string type = registry.ContentTypeOf(std::string(name.substr(dot)));
    if (!type.empty()) return type;
  } catch (...) {
    // Any failure to read the registry gives the default.
  }
  return kDefaultContentType;
}

std::string ContentTypeForFile(std::string_view path) { return ContentTypeForFile(path, SystemFileTypes()); }

}  // namespace parvex
