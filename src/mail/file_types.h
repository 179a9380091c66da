#pragma once
// Content types by file extension, from the system's registry of file types
// (read only). The Win32 adapter reads HKEY_CLASSES_ROOT\<ext> "Content Type".
#include <string>
#include <string_view>

namespace parvex {

class FileTypeRegistry {
 public:
  virtual ~FileTypeRegistry() = default;
  // The registered content type of an extension such as ".txt"; empty when
  // unknown or unreadable.
  virtual std::string ContentTypeOf(const std::string& extension) const = 0;
};

// The platform's registry (Win32: the classes root; natively: knows nothing).
const FileTypeRegistry& SystemFileTypes();

// The content type for a path; "application/octet-stream" when the extension
// is missing or unknown. Never fails.
std::string ContentTypeForFile(std::string_view path, const FileTypeRegistry& registry);
std::string ContentTypeForFile(std::string_view path);

}  // namespace parvex
