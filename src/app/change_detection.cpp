#include "app/change_detection.h"

#include <cstdint>

namespace parvex {
namespace {

int CompareFound(std::string_view path, std::string_view stamp, const SnapshotList& other, int found) {
  if (found < 0) return kNoCounterpart;
  const auto at = static_cast<std::size_t>(found);
  // Found under the case-insensitive lookup, but a rename that changes only the
  // letter case is still another entry.
  if (path != other.path(at)) return kNoCounterpart;
  return stamp == other.stamp(at) ? kUnchanged : kChanged;
}

// Answers binSearch for paths that come in ascending order, as they do when one
// sorted list is looked up in another: a cursor walks the list once to find the
// run of equal paths, and the halving is then replayed on positions alone, so the
// line found among equal paths is exactly the one binSearch would find. Sort
// keys are made only where the bytes of the two paths differ, which in a scan
// that finds the start snapshot again is almost nowhere.
class AscendingLookup {
 public:
  explicit AscendingLookup(const SnapshotList& list) : list_(list) {}

  // sameAsLast: the path compares equal to the one asked for last.
  int find(std::string_view path, bool sameAsLast) {
    if (!started_ || !sameAsLast) {
      if (started_ && end_ > first_) first_ = end_;  // the last run's paths are all below this one
      started_ = true;
      wantedKey_.clear();
      const std::size_t n = list_.count();
      int c = 1;
      while (first_ < n && (c = order(list_.path(first_), path)) < 0) {
        ++first_;
        while (first_ < n && list_.samePathAsPrevious(first_)) ++first_;
      }
      end_ = first_;
      if (c == 0)
        while (++end_ < n && list_.samePathAsPrevious(end_)) {
        }
    }
    if (first_ == end_) return -1;
    if (end_ - first_ == 1) return static_cast<int>(first_);
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
  // Line first_'s path against the wanted one under the lookup comparison.
  int order(std::string_view candidate, std::string_view wanted) {
    if (candidate == wanted) return 0;
    if (wantedKey_.empty()) list_.collation().appendSortKey(wanted, wantedKey_);
    if (candidateLine_ != first_) {
      candidateKey_.clear();
      list_.collation().appendSortKey(candidate, candidateKey_);
      candidateLine_ = first_;
    }
    const int c = candidateKey_.compare(wantedKey_);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }

  const SnapshotList& list_;
  std::size_t first_ = 0, end_ = 0;
  bool started_ = false;
  std::string wantedKey_, candidateKey_;
  std::size_t candidateLine_ = SIZE_MAX;
};

}  // namespace

int binSearch(std::string_view key, const SnapshotList& list) { return list.binSearch(key); }

int compareEntry(const std::string& line, const SnapshotList& otherList) {
  const std::string_view path = parseTabs(line, 1);
  return CompareFound(path, parseTabs(line, 2), otherList, binSearch(path, otherList));
}

bool areListBoxesDifferent(const SnapshotList& oldList, const SnapshotList& newList, const ChangeOptions& options,
                           const UserClock& clock, std::vector<std::string>& summary) {
  bool different = false;
  summary.clear();
  summary.push_back("Date/Time " + DateTimeToStr(clock.now(), clock));
  summary.push_back(" ");
  newList.settleAlong(oldList);
  AscendingLookup inNew(newList);
  for (std::size_t i = 0; i < oldList.count(); ++i) {
    const std::string_view path = oldList.path(i);
    const int code = CompareFound(path, oldList.stamp(i), newList, inNew.find(path, oldList.samePathAsPrevious(i)));
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
    if (CompareFound(path, newList.stamp(i), oldList, inOld.find(path, newList.samePathAsPrevious(i))) ==
            kNoCounterpart &&
        options.newFiles()) {
      summary.push_back("Added " + std::string(path));
      different = true;
    }
  }
  return different;
}

}  // namespace parvex
