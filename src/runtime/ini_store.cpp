#include "runtime/ini_store.h"

#include "runtime/string_routines.h"

namespace parvex {

std::string ReadString(const IniStore& store, const std::string& section, const std::string& name,
                       const std::string& defaultValue) {
  return store.readValue(section, name).value_or(defaultValue);
}

int ReadInteger(const IniStore& store, const std::string& section, const std::string& name, int defaultValue) {
  const auto text = store.readValue(section, name);
  return text ? StrToIntDef(*text, defaultValue) : defaultValue;
}

bool ReadBool(const IniStore& store, const std::string& section, const std::string& name, bool defaultValue) {
  return ReadInteger(store, section, name, defaultValue ? 1 : 0) != 0;
}

void WriteString(IniStore& store, const std::string& section, const std::string& name, const std::string& value) {
  store.writeValue(section, name, value);
}

void WriteInteger(IniStore& store, const std::string& section, const std::string& name, int value) {
  store.writeValue(section, name, IntToStr(value));
}

void WriteBool(IniStore& store, const std::string& section, const std::string& name, bool value) {
  store.writeValue(section, name, value ? "1" : "0");
}

}  // namespace parvex
