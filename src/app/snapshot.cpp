#include "app/snapshot.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
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
  order_.clear();
  runEnds_.clear();
  sorted_ = 0;
}

void SnapshotList::add(std::string_view line) {
  if (line.size() >= kSameAsPrevious || texts_.size() + line.size() > UINT32_MAX)
    throw std::length_error("snapshot too large");
  Line l{};
  l.text = static_cast<std::uint32_t>(texts_.size());
  l.textLength = static_cast<std::uint32_t>(line.size());
  l.pathLength = static_cast<std::uint32_t>(parseTabs(line, 1).size());
  texts_.append(line);
  order_.push_back(l);
}

void SnapshotList::dropFrom(std::size_t count) {
  if (count < sorted_ || count > order_.size()) throw std::logic_error("dropFrom: lines already in order");
  if (count == order_.size()) return;
  texts_.resize(order_[count].text);
  order_.resize(count);
  std::erase_if(runEnds_, [count](std::size_t end) { return end > count; });
}

void SnapshotList::addFrom(const SnapshotList& other, std::size_t first) {
  if (first < other.sorted_ || &other == this) throw std::logic_error("addFrom: lines already in order");
  for (std::size_t i = first; i < other.order_.size(); ++i) add(other.textOf(other.order_[i]));
  endRun();
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

// Sort keys of many paths in one buffer, addressed by the path's number.
class KeyTable {
 public:
  void add(const Collation& collation, std::string_view path) {
    starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
    collation.appendSortKey(path, bytes_);
    if (bytes_.size() > UINT32_MAX) throw std::length_error("snapshot too large");
  }
  std::string_view operator[](std::size_t i) const {
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : bytes_.size();
    return {bytes_.data() + starts_[i], end - starts_[i]};
  }
  void reserve(std::size_t count) { starts_.reserve(count); }

 private:
  std::string bytes_;
  std::vector<std::uint32_t> starts_;
};

// A hash of a path's bytes, to find the same path in another list.
std::uint64_t HashOf(std::string_view s) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  std::uint64_t w = 0;
  std::memcpy(&w, s.data() + i, s.size() - i);
  h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 29);
}

// Asks for memory ahead of its use: the look-ups below jump about buffers of
// many megabytes, and waiting on each miss in turn would cost most of their time.
inline void Prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

}  // namespace

// Lines arrive a folder at a time, and the lines of one folder share its path.
// Each such run is sorted on the key bytes past their common prefix, most of
// them decided by an eight-byte head held beside the line, with the keys of that
// run alone. Runs whose common prefixes differ before either ends cannot
// interleave and are put one after another in the order of those prefixes; only
// when that fails are all keys made at once to merge the runs.
void SnapshotList::settleByKeys() const {
  const std::size_t n = order_.size();
  std::vector<std::size_t> bounds{0};
  if (sorted_ > 0 && sorted_ < n) bounds.push_back(sorted_);
  for (const std::size_t end : runEnds_)
    if (end > bounds.back() && end < n) bounds.push_back(end);
  bounds.push_back(n);

  struct Keyed {
    std::uint64_t head;
    std::uint32_t line;  // its place in the run, which is also its key's number
  };
  std::vector<Keyed> items;
  std::vector<Line> run;
  std::vector<std::string> prefixes;  // each run's common key prefix
  for (std::size_t r = 0; r + 1 < bounds.size(); ++r) {
    const std::size_t first = bounds[r], last = bounds[r + 1];
    KeyTable keys;
    keys.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) keys.add(*collation_, pathOf(order_[i]));
    std::size_t common = keys[0].size();
    for (std::size_t k = 1; k < last - first && common > 0; ++k)
      common = std::min(common, CommonPrefix(keys[0], keys[k]));
    items.resize(last - first);
    for (std::size_t k = 0; k < items.size(); ++k) items[k] = {KeyHead(keys[k], common), static_cast<std::uint32_t>(k)};
    const std::size_t rest = common + 8;
    std::sort(items.begin(), items.end(), [&](const Keyed& a, const Keyed& b) {
      if (a.head != b.head) return a.head < b.head;
      const std::string_view ka = keys[a.line], kb = keys[b.line];
      return ka.substr(std::min(rest, ka.size())) < kb.substr(std::min(rest, kb.size()));
    });
    run.clear();
    for (std::size_t k = 0; k < items.size(); ++k) {
      Line l = order_[first + items[k].line];
      l.pathLength &= ~kSameAsPrevious;
      if (k > 0 && keys[items[k].line] == keys[items[k - 1].line]) l.pathLength |= kSameAsPrevious;
      run.push_back(l);
    }
    std::copy(run.begin(), run.end(), order_.begin() + static_cast<std::ptrdiff_t>(first));
    prefixes.emplace_back(keys[0].substr(0, common));
  }
  items = {};
  run = {};

  std::vector<std::size_t> byPrefix(prefixes.size());
  for (std::size_t r = 0; r < byPrefix.size(); ++r) byPrefix[r] = r;
  std::sort(byPrefix.begin(), byPrefix.end(), [&](std::size_t a, std::size_t b) { return prefixes[a] < prefixes[b]; });
  bool apart = true;  // checking neighbours suffices: a prefix of a later one is a prefix of all between
  for (std::size_t k = 1; k < byPrefix.size() && apart; ++k) {
    const std::string &a = prefixes[byPrefix[k - 1]], &b = prefixes[byPrefix[k]];
    const std::size_t same = CommonPrefix(a, b);
    apart = same < a.size() && same < b.size();
  }
  std::vector<Line> order;
  order.reserve(n);
  if (apart) {
    for (const std::size_t r : byPrefix)
      order.insert(order.end(), order_.begin() + static_cast<std::ptrdiff_t>(bounds[r]),
                   order_.begin() + static_cast<std::ptrdiff_t>(bounds[r + 1]));
    return adopt(order);
  }

  // Merge neighbouring runs pairwise until one is left.
  KeyTable keys;
  keys.reserve(n);
  for (const Line& l : order_) keys.add(*collation_, pathOf(l));
  std::vector<std::uint32_t> merged(n);
  for (std::size_t i = 0; i < n; ++i) merged[i] = static_cast<std::uint32_t>(i);
  const auto byKey = [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; };
  while (bounds.size() > 2) {
    std::vector<std::size_t> joined{0};
    for (std::size_t r = 0; r + 1 < bounds.size(); r += 2) {
      if (r + 2 < bounds.size())
        std::inplace_merge(merged.begin() + static_cast<std::ptrdiff_t>(bounds[r]),
                           merged.begin() + static_cast<std::ptrdiff_t>(bounds[r + 1]),
                           merged.begin() + static_cast<std::ptrdiff_t>(bounds[r + 2]), byKey);
      joined.push_back(bounds[std::min(r + 2, bounds.size() - 1)]);
    }
    bounds.swap(joined);
  }
  for (std::size_t k = 0; k < n; ++k) {
    Line l = order_[merged[k]];
    l.pathLength &= ~kSameAsPrevious;
    if (k > 0 && keys[merged[k]] == keys[merged[k - 1]]) l.pathLength |= kSameAsPrevious;
    order.push_back(l);
  }
  adopt(order);
}

// A scan mostly finds the paths of the start snapshot again. Those are put in
// the reference's order by finding their very bytes there, which needs no sort
// key; only the paths new to it get keys, and a place found by halving. When
// too many are new, sorting all by their keys costs less.
void SnapshotList::settleAlong(const SnapshotList& reference) const {
  if (sorted_ == order_.size()) return;
  if (sorted_ > 0 || &reference == this || reference.collation_ != collation_) return settle();
  reference.settle();
  const std::size_t m = reference.count(), n = order_.size();
  if (m == 0) return settleByKeys();

  std::size_t size = 2;
  while (size < 2 * m) size <<= 1;
  const std::size_t mask = size - 1;
  std::vector<std::uint32_t> table(size, 0);  // a reference line's index + 1
  // In batches, each step asking for the memory of the next, so that the misses overlap.
  constexpr std::size_t kBatch = 16;
  std::size_t hashes[kBatch];
  for (std::size_t first = 0; first < m; first += kBatch) {
    const std::size_t count = std::min(kBatch, m - first);
    for (std::size_t k = 0; k < count; ++k) {
      hashes[k] = static_cast<std::size_t>(HashOf(reference.pathOf(reference.order_[first + k]))) & mask;
      Prefetch(&table[hashes[k]]);
    }
    for (std::size_t k = 0; k < count; ++k) {
      std::size_t h = hashes[k];
      while (table[h] != 0) h = (h + 1) & mask;
      table[h] = static_cast<std::uint32_t>(first + k + 1);
    }
  }
  constexpr std::uint32_t kNew = UINT32_MAX;
  std::vector<std::uint32_t> rank(n, kNew);
  std::vector<std::uint32_t> fresh;  // lines whose paths the reference lacks
  for (std::size_t first = 0; first < n; first += kBatch) {
    const std::size_t count = std::min(kBatch, n - first);
    for (std::size_t k = 0; k < count; ++k) {
      hashes[k] = static_cast<std::size_t>(HashOf(pathOf(order_[first + k]))) & mask;
      Prefetch(&table[hashes[k]]);
    }
    for (std::size_t k = 0; k < count; ++k)
      if (table[hashes[k]] != 0) Prefetch(&reference.order_[table[hashes[k]] - 1]);
    for (std::size_t k = 0; k < count; ++k)
      if (table[hashes[k]] != 0) Prefetch(reference.texts_.data() + reference.order_[table[hashes[k]] - 1].text);
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t i = first + k;
      const std::string_view path = pathOf(order_[i]);
      for (std::size_t h = hashes[k]; table[h] != 0; h = (h + 1) & mask) {
        if (reference.pathOf(reference.order_[table[h] - 1]) == path) {
          rank[i] = table[h] - 1;
          break;
        }
      }
      if (rank[i] == kNew) fresh.push_back(static_cast<std::uint32_t>(i));
    }
  }
  table = {};
  std::size_t halvings = 1;
  while ((std::size_t{1} << halvings) <= m) ++halvings;
  if (fresh.size() * (halvings + 2) >= n) return settleByKeys();

  KeyTable keys;  // the new paths' keys, by their place in fresh
  keys.reserve(fresh.size());
  for (const std::uint32_t i : fresh) keys.add(*collation_, pathOf(order_[i]));
  std::vector<std::uint32_t> byKey(fresh.size());
  for (std::size_t k = 0; k < byKey.size(); ++k) byKey[k] = static_cast<std::uint32_t>(k);
  std::sort(byKey.begin(), byKey.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });

  std::string probe;
  const auto keyOfPath = [&](std::string_view path) -> std::string_view {
    probe.clear();
    collation_->appendSortKey(path, probe);
    return probe;
  };
  // Slot 2p holds new paths that go just before reference line p (the first one
  // not below them), slot 2r + 1 the paths found at reference line r.
  std::vector<std::uint32_t> slot(n);
  std::size_t low = 0;
  for (const std::uint32_t k : byKey) {
    std::size_t high = m;
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      if (keyOfPath(reference.pathOf(reference.order_[mid])) < keys[k])
        low = mid + 1;
      else
        high = mid;
    }
    slot[fresh[k]] = static_cast<std::uint32_t>(2 * low);
  }
  for (std::size_t i = 0; i < n; ++i)
    if (rank[i] != kNew) slot[i] = 2 * rank[i] + 1;

  std::vector<std::uint32_t> start(2 * m + 2, 0);
  for (std::size_t i = 0; i < n; ++i) ++start[slot[i] + 1];
  for (std::size_t s = 1; s < start.size(); ++s) start[s] += start[s - 1];
  std::vector<std::uint32_t> placed(n);  // line index at each place
  for (std::size_t i = 0; i < n; ++i)
    if (rank[i] != kNew) placed[start[slot[i]]++] = static_cast<std::uint32_t>(i);
  for (const std::uint32_t k : byKey) placed[start[slot[fresh[k]]]++] = fresh[k];
  start = {};

  std::vector<std::uint32_t> freshNumber(n, kNew);
  for (std::size_t k = 0; k < fresh.size(); ++k) freshNumber[fresh[k]] = static_cast<std::uint32_t>(k);
  std::string otherKey;
  std::vector<Line> order;
  order.reserve(n);
  for (std::size_t q = 0; q < n; ++q) {
    Line l = order_[placed[q]];
    l.pathLength &= ~kSameAsPrevious;
    bool same = false;
    if (q > 0) {
      const std::uint32_t a = placed[q - 1], b = placed[q];
      if (rank[a] != kNew && rank[b] != kNew) {
        same = true;
        for (std::size_t r = rank[a] + 1; r <= rank[b] && same; ++r)
          same = (reference.order_[r].pathLength & kSameAsPrevious) != 0;
      } else {
        const std::string_view ka = rank[a] == kNew ? keys[freshNumber[a]] : keyOfPath(pathOf(order_[a]));
        otherKey.assign(ka);
        same = otherKey == (rank[b] == kNew ? keys[freshNumber[b]] : keyOfPath(pathOf(order_[b])));
      }
    }
    if (same) l.pathLength |= kSameAsPrevious;
    order.push_back(l);
  }
  adopt(order);
}

// Takes order as the list's order and rewrites the text buffer in it, so that
// the comparison that follows reads memory front to back and no room is left over.
void SnapshotList::adopt(const std::vector<Line>& order) const {
  std::string texts;
  texts.reserve(texts_.size());
  std::vector<Line> lines;
  lines.reserve(order.size());
  for (std::size_t q = 0; q < order.size(); ++q) {
    if (q + 16 < order.size()) Prefetch(texts_.data() + order[q + 16].text);
    Line l = order[q];
    const std::string_view text = textOf(l);
    l.text = static_cast<std::uint32_t>(texts.size());
    texts.append(text);
    lines.push_back(l);
  }
  texts_.swap(texts);
  order_.swap(lines);
  runEnds_.clear();
  sorted_ = order_.size();
}

std::string_view SnapshotList::operator[](std::size_t i) const {
  settle();
  return textOf(order_.at(i));
}

std::string_view SnapshotList::path(std::size_t i) const {
  settle();
  return pathOf(order_.at(i));
}

std::string_view SnapshotList::stamp(std::size_t i) const {
  settle();
  // As parseTabs(line, 2): the path ends at the first tab, or the line has none.
  const Line& l = order_.at(i);
  const std::string_view text = textOf(l), path = pathOf(l);
  return path.size() < text.size() && text[path.size()] == '\t' ? text.substr(path.size() + 1) : text;
}

bool SnapshotList::samePathAsPrevious(std::size_t i) const {
  settle();
  return (order_.at(i).pathLength & kSameAsPrevious) != 0;
}

std::size_t SnapshotList::memoryBytes() const {
  return texts_.capacity() + order_.capacity() * sizeof(Line) + runEnds_.capacity() * sizeof(std::size_t);
}

std::vector<std::string> SnapshotList::lines() const {
  settle();
  std::vector<std::string> out;
  out.reserve(order_.size());
  for (const auto& l : order_) out.emplace_back(textOf(l));
  return out;
}

int SnapshotList::binSearch(std::string_view key) const {
  settle();
  if (order_.empty()) return -1;
  const std::string wanted = collation_->sortKey(key);
  std::string probe;
  long lo = 0;
  long hi = static_cast<long>(order_.size()) - 1;
  while (lo <= hi) {
    const long mid = (lo + hi) / 2;
    probe.clear();
    collation_->appendSortKey(pathOf(order_[static_cast<std::size_t>(mid)]), probe);
    const int c = wanted.compare(probe);
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
  } catch (const FolderNotListed& e) {
    std::string text = e.Message();
    if (text.empty() || text.back() != '.') text += '.';
    throw FolderNotListed("Could not list the folder " + slotText + ": " + text);
  }
  list.endRun();
}

void TakeSnapshot(std::span<const std::string> slots, SnapshotList& list, const DirectoryLister& lister) {
  list.clear();
  for (const auto& slot : slots) LoadFiles(slot, list, lister);
}

}  // namespace parvex
