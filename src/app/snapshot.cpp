#include "app/snapshot.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <stdexcept>

namespace parvex {

std::string pathPlusName(std::string_view path, std::string_view name) {
  std::string result;
  result.reserve(path.size() + 1 + name.size());
  result.append(path);
  if (!path.empty() && path.back() != '\\') result.push_back('\\');
  result.append(name);
  return result;
}

std::string_view parseTabs(std::string_view line, int which) {
  const auto tab = line.find('\t');
  if (tab == std::string_view::npos) return which == 1 ? std::string_view() : line;
  return which == 1 ? line.substr(0, tab) : line.substr(tab + 1);
}

std::string MakeSnapshotLine(std::string_view path, std::int32_t stamp) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, stamp).ptr;
  std::string line;
  line.reserve(path.size() + 1 + static_cast<std::size_t>(end - digits));
  line.append(path);
  line.push_back('\t');
  line.append(digits, end);
  return line;
}

void SnapshotList::clear() {
  texts_.clear();
  keys_.clear();
  order_.clear();
  sorted_ = 0;
}

void SnapshotList::add(std::string_view line) {
  if (texts_.size() + line.size() > UINT32_MAX) throw std::length_error("snapshot too large");
  Line l{};
  l.text = static_cast<std::uint32_t>(texts_.size());
  l.textLength = static_cast<std::uint32_t>(line.size());
  texts_.append(line);
  const std::string_view path = parseTabs(line, 1);
  l.pathLength = static_cast<std::uint32_t>(path.size());
  l.key = static_cast<std::uint32_t>(keys_.size());
  collation_->appendSortKey(path, keys_);
  if (keys_.size() > UINT32_MAX) throw std::length_error("snapshot too large");
  l.keyLength = static_cast<std::uint32_t>(keys_.size() - l.key);
  order_.push_back(l);
}

void SnapshotList::settle() const {
  if (sorted_ == order_.size()) return;
  const auto middle = order_.begin() + static_cast<std::ptrdiff_t>(sorted_);
  // The paths of one snapshot mostly share a long beginning (the folders'
  // paths); comparing the new lines from past their common key prefix saves
  // most of the work of the sort.
  std::size_t common = keyOf(*middle).size();
  const std::string_view first = keyOf(*middle);
  for (auto it = middle + 1; it != order_.end() && common > 0; ++it) {
    const std::string_view k = keyOf(*it);
    std::size_t n = 0;
    const std::size_t limit = std::min(common, k.size());
    while (n < limit && k[n] == first[n]) ++n;
    common = n;
  }
  std::sort(middle, order_.end(), [&](const Line& a, const Line& b) {
    return keyOf(a).substr(common) < keyOf(b).substr(common);
  });
  std::inplace_merge(order_.begin(), middle, order_.end(),
                     [&](const Line& a, const Line& b) { return keyOf(a) < keyOf(b); });
  sorted_ = order_.size();
}

std::string_view SnapshotList::operator[](std::size_t i) const {
  settle();
  return textOf(order_.at(i));
}

std::string_view SnapshotList::path(std::size_t i) const {
  settle();
  const Line& l = order_.at(i);
  return {texts_.data() + l.text, l.pathLength};
}

std::string_view SnapshotList::stamp(std::size_t i) const {
  // parseTabs(line, 2): empty for a line without a tab only when the line is empty.
  return parseTabs((*this)[i], 2);
}

std::string_view SnapshotList::pathKey(std::size_t i) const {
  settle();
  return keyOf(order_.at(i));
}

std::vector<std::string> SnapshotList::lines() const {
  settle();
  std::vector<std::string> out;
  out.reserve(order_.size());
  for (const auto& l : order_) out.emplace_back(textOf(l));
  return out;
}

int SnapshotList::binSearch(std::string_view key) const {
  return binSearchSortKey(collation_->sortKey(key));
}

int SnapshotList::binSearchSortKey(std::string_view sortKey) const {
  settle();
  if (order_.empty()) return -1;
  long lo = 0;
  long hi = static_cast<long>(order_.size()) - 1;
  while (lo <= hi) {
    const long mid = (lo + hi) / 2;
    const int c = sortKey.compare(keyOf(order_[static_cast<std::size_t>(mid)]));
    if (c == 0) return static_cast<int>(mid);
    if (c < 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return -1;
}

void LoadFiles(const std::string& slotText, SnapshotList& list, const DirectoryLister& lister) {
  if (slotText.empty()) return;
  const bool needsSeparator = slotText.back() != '\\';
  std::string line;
  lister.enumerate(pathPlusName(slotText, "*.*"), [&](std::string_view name, std::int32_t stamp) {
    if (name == "." || name == "..") return;
    // Built in place: this runs once per entry of every folder at every tick.
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, stamp).ptr;
    line.clear();
    line.append(slotText);
    if (needsSeparator) line.push_back('\\');
    line.append(name);
    line.push_back('\t');
    line.append(digits, end);
    list.add(line);
  });
}

void TakeSnapshot(std::span<const std::string> slots, SnapshotList& list,
                  const DirectoryLister& lister) {
  list.clear();
  for (const auto& slot : slots) LoadFiles(slot, list, lister);
}

}  // namespace parvex
