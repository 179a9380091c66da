#pragma once
// Settings kept as named string values grouped in sections (the registry wrapper
// maps sections to subkeys). Integers and booleans are stored as decimal text and
// read back through StrToIntDef, so unreadable text falls back to the default.
#include <optional>
#include <string>

namespace parvex {

class IniStore {
 public:
  virtual ~IniStore() = default;
  // nullopt when the section or the value does not exist. A value that exists but
  // is not text raises "Invalid data type for '<name>'".
  virtual std::optional<std::string> readValue(const std::string& section, const std::string& name) const = 0;
  // Creates the section when needed. Raises "Failed to create key <section>" or
  // "Failed to set data for '<name>'".
  virtual void writeValue(const std::string& section, const std::string& name, const std::string& text) = 0;
};

std::string ReadString(const IniStore& store, const std::string& section, const std::string& name,
                       const std::string& defaultValue);
int ReadInteger(const IniStore& store, const std::string& section, const std::string& name, int defaultValue);
bool ReadBool(const IniStore& store, const std::string& section, const std::string& name, bool defaultValue);

void WriteString(IniStore& store, const std::string& section, const std::string& name, const std::string& value);
void WriteInteger(IniStore& store, const std::string& section, const std::string& name, int value);
void WriteBool(IniStore& store, const std::string& section, const std::string& name, bool value);

}  // namespace parvex
