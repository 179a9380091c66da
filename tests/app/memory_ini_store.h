#pragma once
// An in-memory registry key: sections of named text values, plus values of a
// foreign type that fail on reading as the registry layer does.
#include <map>
#include <set>
#include <string>
#include <utility>

#include "runtime/exceptions.h"
#include "runtime/ini_store.h"
#include "runtime/string_routines.h"

namespace parvex::test {

class MemoryIniStore final : public IniStore {
 public:
  std::optional<std::string> readValue(const std::string& section, const std::string& name) const override {
    ++reads;
    if (binary.count({section, name})) throw Exception(FormatStr("Invalid data type for '%s'", name));
    auto it = values.find({section, name});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void writeValue(const std::string& section, const std::string& name, const std::string& text) override {
    if (failWrites) throw Exception(FormatStr("Failed to set data for '%s'", name));
    values[{section, name}] = text;
    order.push_back(section + "\\" + name);
  }

  std::map<std::pair<std::string, std::string>, std::string> values;
  std::set<std::pair<std::string, std::string>> binary;
  std::vector<std::string> order;
  bool failWrites = false;
  mutable int reads = 0;
};

}  // namespace parvex::test
