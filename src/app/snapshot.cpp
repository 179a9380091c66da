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

namespace {

// Appends "<path><TAB><stamp>"; the path may come in two pieces so that a
// folder's lines are built without joining each name first.
void AppendSnapshotLine(std::string& out, std::string_view folder, std::string_view name, std::int32_t stamp) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, stamp).ptr;
  out.append(folder);
  out.append(name);
  out.push_back('\t');
  out.append(digits, end);
}

}  // namespace

std::string MakeSnapshotLine(std::string_view path, std::int32_t stamp) {
  std::string line;
  AppendSnapshotLine(line, path, {}, stamp);
  return line;
}

void SnapshotList::clear() {
  texts_.clear();
  keys_.clear();
  order_.clear();
  runEnds_.clear();
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

void SnapshotList::endRun() {
  if (order_.size() > sorted_ && (runEnds_.empty() || runEnds_.back() < order_.size()))
    runEnds_.push_back(order_.size());
}

namespace {

std::size_t CommonPrefix(std::string_view a, std::string_view b) {
  const std::size_t limit = std::min(a.size(), b.size());
  std::size_t n = 0;
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// Up to eight key bytes from offset on, as a number that orders as the bytes do
// (a shorter rest is padded with zero bytes, which sort first).
std::uint64_t KeyHead(std::string_view key, std::size_t offset) {
  std::uint64_t head = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    head <<= 8;
    if (offset + i < key.size()) head |= static_cast<unsigned char>(key[offset + i]);
  }
  return head;
}

}  // namespace

// Lines arrive a folder at a time, and the lines of one folder share its path.
// Each such run is sorted on the key bytes past that common prefix, most of
// them decided by an eight-byte head held beside the line; the sorted runs are
// then merged. Last, the text and key buffers are rewritten in list order, so
// that the comparison that follows reads memory front to back.
void SnapshotList::settle() const {
  if (sorted_ == order_.size()) return;
  std::vector<std::size_t> bounds{0};
  if (sorted_ > 0) bounds.push_back(sorted_);
  for (const std::size_t end : runEnds_)
    if (end > bounds.back() && end < order_.size()) bounds.push_back(end);
  bounds.push_back(order_.size());
  runEnds_.clear();

  struct Keyed {
    std::uint64_t head;
    Line line;
  };
  std::vector<Keyed> run;
  for (std::size_t r = (sorted_ > 0 ? 1 : 0); r + 1 < bounds.size(); ++r) {
    const auto first = order_.begin() + static_cast<std::ptrdiff_t>(bounds[r]);
    const auto last = order_.begin() + static_cast<std::ptrdiff_t>(bounds[r + 1]);
    std::size_t common = keyOf(*first).size();
    for (auto it = first + 1; it != last && common > 0; ++it)
      common = std::min(common, CommonPrefix(keyOf(*first), keyOf(*it)));
    run.clear();
    for (auto it = first; it != last; ++it) run.push_back({KeyHead(keyOf(*it), common), *it});
    const std::size_t rest = common + 8;
    std::sort(run.begin(), run.end(), [&](const Keyed& a, const Keyed& b) {
      if (a.head != b.head) return a.head < b.head;
      const std::string_view ka = keyOf(a.line), kb = keyOf(b.line);
      return ka.substr(std::min(rest, ka.size())) < kb.substr(std::min(rest, kb.size()));
    });
    auto out = first;
    for (const auto& k : run) *out++ = k.line;
  }

  // Merge neighbouring runs pairwise until one is left.
  const auto byKey = [&](const Line& a, const Line& b) { return keyOf(a) < keyOf(b); };
  while (bounds.size() > 2) {
    std::vector<std::size_t> merged{0};
    for (std::size_t r = 0; r + 1 < bounds.size(); r += 2) {
      if (r + 2 < bounds.size())
        std::inplace_merge(order_.begin() + static_cast<std::ptrdiff_t>(bounds[r]),
                           order_.begin() + static_cast<std::ptrdiff_t>(bounds[r + 1]),
                           order_.begin() + static_cast<std::ptrdiff_t>(bounds[r + 2]), byKey);
      merged.push_back(bounds[std::min(r + 2, bounds.size() - 1)]);
    }
    bounds.swap(merged);
  }

  std::string texts, keys;
  texts.reserve(texts_.size());
  keys.reserve(keys_.size());
  for (Line& l : order_) {
    const std::string_view text = textOf(l), key = keyOf(l);
    l.text = static_cast<std::uint32_t>(texts.size());
    texts.append(text);
    l.key = static_cast<std::uint32_t>(keys.size());
    keys.append(key);
  }
  texts_.swap(texts);
  keys_.swap(keys);
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

std::size_t SnapshotList::memoryBytes() const {
  return texts_.capacity() + keys_.capacity() + order_.capacity() * sizeof(Line) +
         runEnds_.capacity() * sizeof(std::size_t);
}

std::vector<std::string> SnapshotList::lines() const {
  settle();
  std::vector<std::string> out;
  out.reserve(order_.size());
  for (const auto& l : order_) out.emplace_back(textOf(l));
  return out;
}

int SnapshotList::binSearch(std::string_view key) const { return binSearchSortKey(collation_->sortKey(key)); }

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
  const std::string folder = pathPlusName(slotText, "");  // with its one separator
  std::string line;  // reused: this runs once per entry of every folder at every tick
  try {
    lister.enumerate(folder + "*.*", [&](std::string_view name, std::int32_t stamp) {
      if (name == "." || name == "..") return;
      line.clear();
      AppendSnapshotLine(line, folder, name, stamp);
      list.add(line);
    });
  } catch (const ListingCutShort& e) {
    std::string text = e.Message();
    if (text.empty() || text.back() != '.') text += '.';
    throw ListingCutShort("Could not list the folder " + slotText + " completely: " + text);
  }
  list.endRun();
}

void TakeSnapshot(std::span<const std::string> slots, SnapshotList& list, const DirectoryLister& lister) {
  list.clear();
  for (const auto& slot : slots) LoadFiles(slot, list, lister);
}

}  // namespace parvex
