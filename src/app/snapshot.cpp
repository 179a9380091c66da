#include "app/snapshot.h"

#include <algorithm>
#include <charconv>

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
  lines_.clear();
  sorted_ = 0;
}

void SnapshotList::add(std::string line) {
  std::string key = collation_->sortKey(parseTabs(line, 1));
  lines_.push_back(Line{std::move(line), std::move(key)});
}

void SnapshotList::settle() const {
  if (sorted_ == lines_.size()) return;
  const auto byKey = [](const Line& a, const Line& b) { return a.key < b.key; };
  const auto middle = lines_.begin() + static_cast<std::ptrdiff_t>(sorted_);
  std::stable_sort(middle, lines_.end(), byKey);
  std::inplace_merge(lines_.begin(), middle, lines_.end(), byKey);
  sorted_ = lines_.size();
}

const std::string& SnapshotList::operator[](std::size_t i) const {
  settle();
  return lines_.at(i).text;
}

const std::string& SnapshotList::pathSortKey(std::size_t i) const {
  settle();
  return lines_.at(i).key;
}

std::vector<std::string> SnapshotList::lines() const {
  settle();
  std::vector<std::string> out;
  out.reserve(lines_.size());
  for (const auto& l : lines_) out.push_back(l.text);
  return out;
}

int SnapshotList::binSearch(std::string_view key) const {
  return binSearchSortKey(collation_->sortKey(key));
}

int SnapshotList::binSearchSortKey(std::string_view sortKey) const {
  settle();
  if (lines_.empty()) return -1;
  long lo = 0;
  long hi = static_cast<long>(lines_.size()) - 1;
  while (lo <= hi) {
    const long mid = (lo + hi) / 2;
    const int c = sortKey.compare(lines_[static_cast<std::size_t>(mid)].key);
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
  lister.enumerate(pathPlusName(slotText, "*.*"), [&](std::string_view name, std::int32_t stamp) {
    if (name == "." || name == "..") return;
    list.add(MakeSnapshotLine(pathPlusName(slotText, name), stamp));
  });
}

void TakeSnapshot(std::span<const std::string> slots, SnapshotList& list,
                  const DirectoryLister& lister) {
  list.clear();
  for (const auto& slot : slots) LoadFiles(slot, list, lister);
}

}  // namespace parvex
