#pragma once
// The registry as a settings store: one key, opened (and created when missing)
// for the lifetime of the object, with sections as its subkeys and every value a
// registry string.
#include <windows.h>

#include <optional>
#include <string>

#include "runtime/ini_store.h"
#include "runtime/win32/scoped_handle.h"

namespace parvex {

// An owned registry key handle.
using TRegKey = RegKeyHandle;

class TRegIniFile final : public IniStore {
 public:
  // Raises "Failed to create key <path>" when the key can be neither opened nor
  // created.
  TRegIniFile(HKEY root, const std::string& path);

  std::optional<std::string> readValue(const std::string& section, const std::string& name) const override;
  void writeValue(const std::string& section, const std::string& name, const std::string& text) override;

 private:
  TRegKey key_;
};

}  // namespace parvex
