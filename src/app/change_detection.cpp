#include "app/change_detection.h"

namespace parvex {
namespace {

// compareEntry with the line's path sort key already known, so that comparing two
// whole lists costs no locale calls beyond those made when the lists were filled.
int compareWithKey(std::string_view line, std::string_view pathKey, const SnapshotList& other) {
  const int found = other.binSearchSortKey(pathKey);
  if (found < 0) return kNoCounterpart;
  const std::string& counterpart = other[static_cast<std::size_t>(found)];
  // Found under the case-insensitive lookup, but a rename that changes only the
  // letter case is still another entry.
  if (parseTabs(line, 1) != parseTabs(counterpart, 1)) return kNoCounterpart;
  return parseTabs(line, 2) == parseTabs(counterpart, 2) ? kUnchanged : kChanged;
}

}  // namespace

int binSearch(std::string_view key, const SnapshotList& list) { return list.binSearch(key); }

int compareEntry(const std::string& line, const SnapshotList& otherList) {
  const std::string key = otherList.collation().sortKey(parseTabs(line, 1));
  return compareWithKey(line, key, otherList);
}

bool areListBoxesDifferent(const SnapshotList& oldList, const SnapshotList& newList,
                           const ChangeOptions& options, const UserClock& clock,
                           std::vector<std::string>& summary) {
  bool different = false;
  summary.clear();
  summary.push_back("Date/Time " + DateTimeToStr(clock.now(), clock));
  summary.push_back(" ");
  for (std::size_t i = 0; i < oldList.count(); ++i) {
    const std::string& line = oldList[i];
    const int code = compareWithKey(line, oldList.pathSortKey(i), newList);
    if (code == kNoCounterpart && options.deletedFiles()) {
      summary.push_back("Deleted " + std::string(parseTabs(line, 1)));
      different = true;
    } else if (code == kChanged && options.changedFiles()) {
      summary.push_back("Changed " + std::string(parseTabs(line, 1)));
      different = true;
    }
  }
  for (std::size_t i = 0; i < newList.count(); ++i) {
    const std::string& line = newList[i];
    if (compareWithKey(line, newList.pathSortKey(i), oldList) == kNoCounterpart &&
        options.newFiles()) {
      summary.push_back("Added " + std::string(parseTabs(line, 1)));
      different = true;
    }
  }
  return different;
}

}  // namespace parvex
