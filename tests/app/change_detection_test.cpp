#include "app/change_detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/change_property.h"
#include "support/snapshot_fakes.h"

namespace parvex {
namespace {

using testing::FixedClock;
using testing::FixedOptions;
using testing::FoldedCollation;
using testing::MemoryLister;
using Lines = std::vector<std::string>;

class ChangeDetection : public ::testing::Test {
 protected:
  SnapshotList listOf(std::initializer_list<const char*> lines) {
    SnapshotList list(collation);
    for (const char* l : lines) list.add(l);
    return list;
  }
  bool compare(const SnapshotList& oldList, const SnapshotList& newList) {
    return areListBoxesDifferent(oldList, newList, options, clock, summary);
  }

  FoldedCollation collation;
  FixedOptions options;
  FixedClock clock{CivilTime{2026, 12, 7, 1, 34, 52}};
  Lines summary{"left over"};
};

TEST_F(ChangeDetection, CompareEntryCodes) {
  const SnapshotList other = listOf({"C:\\a\t1", "C:\\b\t2"});
  EXPECT_EQ(compareEntry("C:\\a\t1", other), kUnchanged);
  EXPECT_EQ(compareEntry("C:\\b\t3", other), kChanged);
  EXPECT_EQ(compareEntry("C:\\c\t1", other), kNoCounterpart);
  // Found by the case-insensitive lookup, but a different entry by exact comparison.
  EXPECT_EQ(compareEntry("C:\\A\t1", other), kNoCounterpart);
  EXPECT_EQ(compareEntry("C:\\a\t1", listOf({})), kNoCounterpart);
  EXPECT_EQ(binSearch("C:\\B", other), 1);
}

TEST_F(ChangeDetection, IdenticalListsGiveOnlyTheTwoHeaderLines) {
  const SnapshotList a = listOf({"C:\\a\t1", "C:\\b\t2"});
  EXPECT_FALSE(compare(a, listOf({"C:\\b\t2", "C:\\a\t1"})));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " "}));
  EXPECT_FALSE(compare(listOf({}), listOf({})));
  EXPECT_EQ(summary.size(), 2u);
}

TEST_F(ChangeDetection, MidnightShowsTheDateAlone) {
  FixedClock midnight(CivilTime{2026, 12, 8, 0, 0, 0});
  areListBoxesDifferent(listOf({}), listOf({}), options, midnight, summary);
  EXPECT_EQ(summary[0], "Date/Time 08/12/2026");
  FixedClock oneSecondPast(CivilTime{2026, 12, 8, 0, 0, 1});
  areListBoxesDifferent(listOf({}), listOf({}), options, oneSecondPast, summary);
  EXPECT_EQ(summary[0], "Date/Time 08/12/2026 00:00:01");
}

TEST_F(ChangeDetection, DeletedAndChangedInStartOrderThenAddedInScanOrder) {
  const SnapshotList start = listOf({"C:\\a\t1", "C:\\c\t1", "C:\\d\t1", "C:\\f\t1"});
  const SnapshotList scan = listOf({"C:\\b\t1", "C:\\c\t9", "C:\\e\t1", "C:\\f\t1"});
  EXPECT_TRUE(compare(start, scan));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Deleted C:\\a", "Changed C:\\c", "Deleted C:\\d",
                            "Added C:\\b", "Added C:\\e"}));
}

TEST_F(ChangeDetection, CaseOnlyRenameIsDeletedPlusAdded) {
  EXPECT_TRUE(compare(listOf({"C:\\report.doc\t5"}), listOf({"C:\\Report.doc\t5"})));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Deleted C:\\report.doc", "Added C:\\Report.doc"}));
}

TEST_F(ChangeDetection, FilteredDifferencesWriteNothingAndAreNotReported) {
  const SnapshotList start = listOf({"C:\\gone\t1", "C:\\same\t1", "C:\\touched\t1"});
  const SnapshotList scan = listOf({"C:\\new\t1", "C:\\same\t1", "C:\\touched\t2"});
  options.added = options.deleted = false;
  EXPECT_TRUE(compare(start, scan));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Changed C:\\touched"}));

  options = FixedOptions{};
  options.changed = false;
  EXPECT_FALSE(compare(listOf({"C:\\touched\t1"}), listOf({"C:\\touched\t2"})));
  EXPECT_EQ(summary.size(), 2u);

  options = FixedOptions{};
  options.added = false;
  EXPECT_FALSE(compare(listOf({}), listOf({"C:\\new\t1"})));
  options = FixedOptions{};
  options.deleted = false;
  EXPECT_FALSE(compare(listOf({"C:\\gone\t1"}), listOf({})));
}

// The real options are check boxes read at the moment each line is decided.
TEST_F(ChangeDetection, OptionsAreAskedForEachLineAsItIsDecided) {
  struct Flipping final : ChangeOptions {
    mutable int asked = 0;
    bool newFiles() const override { return true; }
    bool changedFiles() const override { return true; }
    bool deletedFiles() const override { return ++asked % 2 == 1; }  // yes, no, yes, ...
  } flipping;
  const SnapshotList start = listOf({"C:\\a\t1", "C:\\b\t1", "C:\\c\t1"});
  EXPECT_TRUE(areListBoxesDifferent(start, listOf({}), flipping, clock, summary));
  EXPECT_EQ(flipping.asked, 3);
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Deleted C:\\a", "Deleted C:\\c"}));
}

// A folder emptied for real is reported entry by entry (one out of reach is
// kept back by the cycle, never here).
TEST_F(ChangeDetection, EmptiedFolderGivesDeletedForEveryEntry) {
  MemoryLister lister;
  lister.setFolder("C:\\Watched", {{"one.txt", 1}, {"two.txt", 2}, {"sub", 3}});
  lister.setFolder("C:\\Other", {{"x", 1}});
  std::vector<std::string> slots(kFolderSlotCount);
  slots[0] = "C:\\Watched";
  slots[1] = "C:\\Other";
  SnapshotList start(collation), scan(collation);
  TakeSnapshot(slots, start, lister);
  lister.setFolder("C:\\Watched", {});
  TakeSnapshot(slots, scan, lister);
  EXPECT_TRUE(compare(start, scan));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Deleted C:\\Watched\\one.txt",
                            "Deleted C:\\Watched\\sub", "Deleted C:\\Watched\\two.txt"}));
  lister.removeFolder("C:\\Watched");
  EXPECT_THROW(TakeSnapshot(slots, scan, lister), FolderNotListed);
}

TEST_F(ChangeDetection, SameFolderInTwoSlotsReportsEachChangeTwice) {
  MemoryLister lister;
  lister.setFolder("C:\\Twice", {{"a.txt", 1}, {"b.txt", 1}});
  std::vector<std::string> slots(kFolderSlotCount);
  slots[3] = "C:\\Twice";
  slots[8] = "C:\\Twice\\";
  SnapshotList start(collation), scan(collation);
  TakeSnapshot(slots, start, lister);
  lister.setFolder("C:\\Twice", {{"a.txt", 1}, {"b.txt", 7}, {"c.txt", 1}});
  TakeSnapshot(slots, scan, lister);
  EXPECT_TRUE(compare(start, scan));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Changed C:\\Twice\\b.txt",
                            "Changed C:\\Twice\\b.txt", "Added C:\\Twice\\c.txt", "Added C:\\Twice\\c.txt"}));
}

// The comparison walks both sorted lists instead of halving for every line; the
// line it pairs with among equal paths must still be the one binSearch finds.
// Half the scans are the start snapshot again with a few changes, so that the
// scan takes its order from the start snapshot.
TEST_F(ChangeDetection, WholeListComparisonAgreesWithCompareEntryLineByLine) {
  std::mt19937 random(11);
  const auto randomPath = [&] {
    std::string path = "C:\\";
    for (int k = 0; k < 3; ++k) path.push_back("aAbB"[random() % 4]);
    return path;
  };
  for (int round = 0; round < 400; ++round) {
    SnapshotList start(collation), scan(collation);
    for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i)
      start.add(MakeSnapshotLine(randomPath(), static_cast<std::int32_t>(random() % 3)));
    if (round % 2 == 0) {
      for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i)
        scan.add(MakeSnapshotLine(randomPath(), static_cast<std::int32_t>(random() % 3)));
    } else {
      auto lines = start.lines();
      std::shuffle(lines.begin(), lines.end(), random);
      for (auto& line : lines) {
        if (random() % 10 == 0) continue;
        if (random() % 10 == 0) line.back() = '7';
        scan.add(line);
      }
      for (int i = 0, n = static_cast<int>(random() % 3); i < n; ++i) scan.add(MakeSnapshotLine(randomPath(), 1));
    }
    const bool different = compare(start, scan);  // first, so that it puts the scan in order
    for (const SnapshotList* list : {&start, &scan})
      for (std::size_t i = 1; i < list->count(); ++i) {
        const int c = collation.compare(list->path(i - 1), list->path(i));
        ASSERT_LE(c, 0) << "round " << round;
        ASSERT_EQ(list->samePathAsPrevious(i), c == 0) << "round " << round;
      }
    Lines expected{"Date/Time 07/12/2026 01:34:52", " "};
    for (std::size_t i = 0; i < start.count(); ++i) {
      const std::string line(start[i]);
      const int code = compareEntry(line, scan);
      if (code == kNoCounterpart) expected.push_back("Deleted " + std::string(start.path(i)));
      if (code == kChanged) expected.push_back("Changed " + std::string(start.path(i)));
    }
    for (std::size_t i = 0; i < scan.count(); ++i)
      if (compareEntry(std::string(scan[i]), start) == kNoCounterpart)
        expected.push_back("Added " + std::string(scan.path(i)));
    EXPECT_EQ(different, expected.size() > 2);
    ASSERT_EQ(summary, expected) << "round " << round;
  }
}

// Folds letter case, a sharp s to "ss" and drops hyphens and apostrophes, as a
// locale weighs names alike; the real one is tried under Wine.
class CollidingCollation final : public Collation {
 public:
  std::string sortKey(std::string_view text) const override {
    std::string key;
    for (const char c : text) {
      if (c == '-' || c == '\'') continue;
      if (c == '\xdf')
        key += "SS";
      else
        key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    return key;
  }
};

// Two names the order calls equal each pair with their own line: nothing is
// reported for them unchanged, and a change to one is reported alone.
TEST_F(ChangeDetection, NamesThatCompareEqualPairWithTheirOwnLines) {
  CollidingCollation colliding;
  SnapshotList start(colliding), scan(colliding);
  for (const char* line : {"C:\\d\\Report.txt\t1", "C:\\d\\report.txt\t1", "C:\\d\\Stra\xdf" "e.txt\t1", "C:\\d\\Strasse.txt\t1"})
    start.add(line);
  for (const char* line : {"C:\\d\\Strasse.txt\t1", "C:\\d\\report.txt\t2", "C:\\d\\Stra\xdf" "e.txt\t1", "C:\\d\\Report.txt\t1"})
    scan.add(line);
  EXPECT_TRUE(areListBoxesDifferent(start, scan, options, clock, summary));
  EXPECT_EQ(summary, (Lines{"Date/Time 07/12/2026 01:34:52", " ", "Changed C:\\d\\report.txt"}));
  testing::ExpectComparisonMatchesReference(colliding, testing::CollidingNames(), 300, 5);
  testing::ExpectComparisonMatchesReference(collation, testing::CollidingNames(), 100, 6);
}

}  // namespace
}  // namespace parvex
