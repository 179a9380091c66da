#pragma once
// Comparison of the start snapshot with a fresh scan, written as the change
// summary: the "Date/Time" line, a one-blank line, then "Deleted "/"Changed "
// lines in start-snapshot order and "Added " lines in scan order.
#include <string>
#include <vector>

#include "app/snapshot.h"
#include "runtime/user_clock.h"

namespace parvex {

// The three "Notify on" choices. They are asked for each line as it is decided,
// so the real screen's check boxes are read at that moment.
class ChangeOptions {
 public:
  virtual ~ChangeOptions() = default;
  virtual bool newFiles() const = 0;
  virtual bool changedFiles() const = 0;
  virtual bool deletedFiles() const = 0;
};

enum EntryComparison : int {
  kNoCounterpart = 0,  // no line with the same path in the other list
  kChanged = 1,        // same path, different stamp
  kUnchanged = 2,      // same path, same stamp
};

// Index of a line whose path compares equal to key, or -1 (SnapshotList::binSearch).
int binSearch(std::string_view key, const SnapshotList& list);
// The line's code against the line of exactly the same path in otherList, looked
// for among all the lines whose paths compare equal to it.
int compareEntry(const std::string& line, const SnapshotList& otherList);

// Rewrites summary completely; true when at least one Deleted, Changed or Added
// line was written.
bool areListBoxesDifferent(const SnapshotList& oldList, const SnapshotList& newList, const ChangeOptions& options,
                           const UserClock& clock, std::vector<std::string>& summary);

}  // namespace parvex
