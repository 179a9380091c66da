#pragma once
// Extra or parsed header lines, one line per entry (continuation lines are
// entries of their own), with field look-ups. Field names compare without
// regard to case.
#include <cstddef>
#include <string>
#include <string_view>

#include "mail/string_list.h"

namespace parvex {

class TmxHeaders {
 public:
  TStrings& Lines() { return lines_; }
  const TStrings& Lines() const { return lines_; }
  std::size_t Count() const { return lines_.size(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  void Assign(const TmxHeaders& source) { lines_ = source.lines_; }

  // The field's value with continuation lines joined and encoded words
  // decoded (not for Content-Type and X-UIDL); empty when absent.
  std::string GetFieldValue(std::string_view name) const;
  // The comma-separated items of every occurrence of an address field.
  void GetFieldValues(std::string_view name, TStrings& values) const;
  // Removes the field's first occurrence and its continuation lines.
  void RemoveField(std::string_view name);

 private:
  TStrings lines_;
};

}  // namespace parvex
