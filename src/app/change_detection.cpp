#include "app/change_detection.h"

#include <cstdint>

namespace parvex {
namespace {

// The lines [first, end) of other are those whose paths compare equal to path.
// Names the locale weighs alike (a sharp s and "ss", "Report" and "report")
// share such a run, so the line that pairs with path is the one of
// the very same bytes wherever it stands in it; a run without one means no
// counterpart, which also keeps a rename of the letter case a deletion plus an
// addition.
int CompareInRun(std::string_view path, std::string_view stamp, const SnapshotList& other, std::size_t first,
                 std::size_t end) {
  for (std::size_t at = first; at < end; ++at)
    if (path == other.path(at)) return stamp == other.stamp(at) ? kUnchanged : kChanged;
  return kNoCounterpart;
}

// Finds the run of lines whose paths compare equal to each of a series of paths
// that come in ascending order, as they do when one sorted list is looked up in
// another: a cursor walks the list once. Sort keys are made only where the bytes
// of the two paths differ, which in a scan that finds the start snapshot again
// is almost nowhere.
class AscendingLookup {
 public:
  explicit AscendingLookup(const SnapshotList& list) : list_(list) {}

  // The comparison code of the line (path, stamp) against the list. sameAsLast:
  // the path compares equal to the one asked for last.
  int compare(std::string_view path, std::string_view stamp, bool sameAsLast) {
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
    return CompareInRun(path, stamp, list_, first_, end_);
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
  const int found = binSearch(path, otherList);
  if (found < 0) return kNoCounterpart;
  std::size_t first = static_cast<std::size_t>(found), end = first + 1;
  while (first > 0 && otherList.samePathAsPrevious(first)) --first;
  while (end < otherList.count() && otherList.samePathAsPrevious(end)) ++end;
  return CompareInRun(path, parseTabs(line, 2), otherList, first, end);
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
    const int code = inNew.compare(path, oldList.stamp(i), oldList.samePathAsPrevious(i));
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
    if (inOld.compare(path, newList.stamp(i), newList.samePathAsPrevious(i)) == kNoCounterpart &&
        options.newFiles()) {
      summary.push_back("Added " + std::string(path));
      different = true;
    }
  }
  return different;
}

}  // namespace parvex
