// Content types from HKEY_CLASSES_ROOT\<ext>, value "Content Type"; read only.
#include <windows.h>

#include "mail/file_types.h"
#include "runtime/win32/scoped_handle.h"

namespace parvex {

namespace {

RegKeyHandle openKey(HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
  return RegKeyHandle(key);
}

class ClassesRootFileTypes final : public FileTypeRegistry {
 public:
  std::string ContentTypeOf(const std::string& extension) const override {
    const RegKeyHandle key = openKey(HKEY_CLASSES_ROOT, extension);
    if (!key) return {};
    char buffer[256] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - 1;
    if (RegQueryValueExA(key.Get(), "Content Type", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return {};
    buffer[size < sizeof(buffer) ? size : sizeof(buffer) - 1] = '\0';
    return std::string(buffer);
  }
};

}  // namespace

const FileTypeRegistry& SystemFileTypes() {
  static const ClassesRootFileTypes registry;
  return registry;
}

}  // namespace parvex
