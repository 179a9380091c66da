#pragma once
// The comparison against a plain reference: maps keyed by the exact path, which
// cannot mistake one name for another that the locale weighs alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/change_detection.h"
#include "support/snapshot_fakes.h"

namespace parvex::testing {

// Random folders drawn from names that collide under collation; each round
// compares a folder with itself (no line may come) and with a changed copy
// (exactly the reference's lines, Deleted and Changed in list order before the
// Added ones). compareEntry must agree with the reference line by line.
inline void ExpectComparisonMatchesReference(const Collation& collation, const std::vector<std::string>& names,
                                             int rounds, unsigned seed) {
  using Folder = std::map<std::string, int>;  // exact path -> stamp
  std::mt19937 random(seed);
  const auto listOf = [&](const Folder& folder) {
    std::vector<std::string> lines;
    for (const auto& [path, stamp] : folder) lines.push_back(MakeSnapshotLine(path, stamp));
    std::shuffle(lines.begin(), lines.end(), random);
    SnapshotList list(collation);
    for (const auto& line : lines) list.add(line);
    return list;
  };
  FixedOptions options;
  FixedClock clock{CivilTime{2026, 12, 7, 1, 34, 52}};
  std::vector<std::string> summary;
  for (int round = 0; round < rounds; ++round) {
    Folder before, after;
    for (const auto& name : names)
      if (random() % 3 != 0) before["C:\\d\\" + name] = static_cast<int>(random() % 3);
    std::set<std::string> deleted, changed, added;
    for (const auto& name : names) {
      const std::string path = "C:\\d\\" + name;
      const bool was = before.count(path) != 0;
      switch (random() % 6) {
        case 0:
          if (was) deleted.insert(path);
          if (!was) after[path] = 1, added.insert(path);
          break;
        case 1:
          if (was) after[path] = before[path] + 1, changed.insert(path);
          break;
        default:
          if (was) after[path] = before[path];
      }
    }
    SCOPED_TRACE("round " + std::to_string(round));
    const SnapshotList start = listOf(before);
    EXPECT_FALSE(areListBoxesDifferent(start, listOf(before), options, clock, summary));
    EXPECT_EQ(summary.size(), 2u) << summary.back();

    const SnapshotList scan = listOf(after);
    EXPECT_EQ(areListBoxesDifferent(start, scan, options, clock, summary),
              !deleted.empty() || !changed.empty() || !added.empty());
    std::set<std::string> gotDeleted, gotChanged, gotAdded;
    std::vector<std::string> oldOrder, newOrder;  // the paths as the summary lists them
    for (std::size_t i = 2; i < summary.size(); ++i) {
      const std::string& line = summary[i];
      const auto space = line.find(' ');
      const std::string word = line.substr(0, space), path = line.substr(space + 1);
      ASSERT_TRUE(word == "Deleted" || word == "Changed" || word == "Added") << line;
      ASSERT_TRUE(word == "Added" || newOrder.empty()) << "Added lines come last: " << line;
      (word == "Added" ? newOrder : oldOrder).push_back(path);
      (word == "Deleted" ? gotDeleted : word == "Changed" ? gotChanged : gotAdded).insert(path);
    }
    EXPECT_EQ(gotDeleted, deleted);
    EXPECT_EQ(gotChanged, changed);
    EXPECT_EQ(gotAdded, added);
    for (const auto* order : {&oldOrder, &newOrder})
      for (std::size_t i = 1; i < order->size(); ++i)
        EXPECT_LE(collation.compare((*order)[i - 1], (*order)[i]), 0) << (*order)[i];

    for (std::size_t i = 0; i < start.count(); ++i) {
      const std::string path(start.path(i));
      const int expected = deleted.count(path) ? kNoCounterpart : changed.count(path) ? kChanged : kUnchanged;
      EXPECT_EQ(compareEntry(std::string(start[i]), scan), expected) << path;
    }
    for (std::size_t i = 0; i < scan.count(); ++i) {
      const std::string path(scan.path(i));
      EXPECT_EQ(compareEntry(std::string(scan[i]), start) == kNoCounterpart, added.count(path) != 0) << path;
    }
  }
}

// Names that a locale's case-insensitive order weighs alike or nearly: letter
// case, a sharp s and "ss", hyphens and apostrophes, digits, accents (in the
// Western code page).
inline std::vector<std::string> CollidingNames() {
  return {"Report.txt", "report.txt",  "REPORT.TXT", "Stra\xdf" "e.txt", "Strasse.txt", "STRASSE.txt",
          "co-op",      "coop",        "co'op",      "CO-OP",            "file2",       "file02",
          "File2",      "caf\xe9",     "CAF\xc9",    "cafe",             "\xe4pfel",    "\xc4PFEL",
          "Apfel",      "x y",         "X Y"};
}

}  // namespace parvex::testing
