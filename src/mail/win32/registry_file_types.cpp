// Content types from HKEY_CLASSES_ROOT\<ext>, value "Content Type"; read only.
#include <windows.h>

#include "mail/file_types.h"

namespace parvex {

namespace {

class RegistryKey {
 public:
  RegistryKey(HKEY parent, const std::string& name) {
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class ClassesRootFileTypes final : public FileTypeRegistry {
 public:
  std::string ContentTypeOf(const std::string& extension) const override {
    RegistryKey key(HKEY_CLASSES_ROOT, extension);
    if (!key.get()) return {};
    char buffer[256] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - 1;
    if (RegQueryValueExA(key.get(), "Content Type", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
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
