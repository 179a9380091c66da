#include "app/change_detection.h"

namespace parvex {
namespace {

int CompareFound(std::string_view path, std::string_view stamp, const SnapshotList& other,
                 int found) {
  if (found < 0) return kNoCounterpart;
  const auto at = static_cast<std::size_t>(found);
  // Found under the case-insensitive lookup, but a rename that changes only the
  // letter case is still another entry.
  if (path != other.path(at)) return kNoCounterpart;
  return stamp == other.stamp(at) ? kUnchanged : kChanged;
}

// Answers binSearch for keys that come in ascending order, as they do when one
// sorted list is looked up in another: a cursor walks the list once to find the
// run of equal keys, and the halving is then replayed on positions alone, so the
// line found among equal paths is exactly the one binSearch would find.
class AscendingLookup {
 public:
  explicit AscendingLookup(const SnapshotList& list) : list_(list) {}

  int find(std::string_view key) {
    if (!started_ || key != lastKey_) {
      if (started_ && key < lastKey_) first_ = 0;  // out of order: start over
      const std::size_t n = list_.count();
      while (first_ < n && list_.pathKey(first_) < key) ++first_;
      end_ = first_;
      while (end_ < n && list_.pathKey(end_) == key) ++end_;
      lastKey_ = key;
      started_ = true;
    }
    if (first_ == end_) return -1;
    long lo = 0;
    long hi = static_cast<long>(list_.count()) - 1;
    while (lo <= hi) {
      const long mid = (lo + hi) / 2;
      if (static_cast<std::size_t>(mid) < first_)
        lo = mid + 1;
      else if (static_cast<std::size_t>(mid) >= end_)
        hi = mid - 1;
      else
        return static_cast<int>(mid);
    }
    return -1;
  }

 private:
  const SnapshotList& list_;
  std::size_t first_ = 0, end_ = 0;
  std::string_view lastKey_;
  bool started_ = false;
};

}  // namespace

int binSearch(std::string_view key, const SnapshotList& list) { return list.binSearch(key); }

int compareEntry(const std::string& line, const SnapshotList& otherList) {
  const std::string_view path = parseTabs(line, 1);
  return CompareFound(path, parseTabs(line, 2), otherList, binSearch(path, otherList));
}

bool areListBoxesDifferent(const SnapshotList& oldList, const SnapshotList& newList,
                           const ChangeOptions& options, const UserClock& clock,
                           std::vector<std::string>& summary) {
  bool different = false;
  summary.clear();
  summary.push_back("Date/Time " + DateTimeToStr(clock.now(), clock));
  summary.push_back(" ");
  AscendingLookup inNew(newList);
  for (std::size_t i = 0; i < oldList.count(); ++i) {
    const std::string_view path = oldList.path(i);
    const int code = CompareFound(path, oldList.stamp(i), newList, inNew.find(oldList.pathKey(i)));
    if (code == kNoCounterpart && options.deletedFiles()) {
      summary.push_back("Deleted " + std::string(path));
      different = true;
    } else if (code == kChanged && options.changedFiles()) {
      summary.push_back("Changed " + std::string(path));
      different = true;
    }
  }
  AscendingLookup inOld(oldList);
  for (std::size_t i = 0; i < newList.count(); ++i) {
    const std::string_view path = newList.path(i);
    if (CompareFound(path, newList.stamp(i), oldList, inOld.find(newList.pathKey(i))) ==
            kNoCounterpart &&
        options.newFiles()) {
      summary.push_back("Added " + std::string(path));
      different = true;
    }
  }
  return different;
}

}  // namespace parvex
