#include "app/snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "app/file_stamp.h"
#include "support/snapshot_fakes.h"

namespace parvex {
namespace {

using testing::FoldedCollation;
using testing::MemoryLister;

TEST(PathPlusName, JoinsWithOneBackslashOnlyWhereNeeded) {
  struct Case {
    const char* path;
    const char* name;
    const char* joined;
  } cases[] = {
      {"", "name.txt", "name.txt"},
      {"C:\\", "boot.ini", "C:\\boot.ini"},
      {"C:\\Data", "report.doc", "C:\\Data\\report.doc"},
      {"C:\\Data\\", "report.doc", "C:\\Data\\report.doc"},
      {"C:\\Data", "*.*", "C:\\Data\\*.*"},
      // Nothing else is normalised: blanks, doubled separators and relative paths pass.
      {"  ", "x", "  \\x"},
      {"C:\\Data\\\\", "x", "C:\\Data\\\\x"},
      {"rel/dir", "x", "rel/dir\\x"},
      {"C:\\Data", "", "C:\\Data\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(pathPlusName(c.path, c.name), c.joined) << c.path;
}

TEST(ParseTabs, SplitsAtTheFirstTabOnly) {
  EXPECT_EQ(parseTabs("C:\\a.txt\t123", 1), "C:\\a.txt");
  EXPECT_EQ(parseTabs("C:\\a.txt\t123", 2), "123");
  EXPECT_EQ(parseTabs("C:\\a.txt\t123", 0), "123");
  EXPECT_EQ(parseTabs("a\tb\tc", 2), "b\tc");
  EXPECT_EQ(parseTabs("no tab", 1), "");
  EXPECT_EQ(parseTabs("no tab", 2), "no tab");
  EXPECT_EQ(parseTabs("\t", 1), "");
  EXPECT_EQ(parseTabs("\t", 2), "");
}

TEST(SnapshotLine, PathTabSignedDecimalStamp) {
  EXPECT_EQ(MakeSnapshotLine("C:\\a", 1569196219), "C:\\a\t1569196219");
  EXPECT_EQ(MakeSnapshotLine("C:\\a", 0), "C:\\a\t0");
  EXPECT_EQ(MakeSnapshotLine("C:\\a", -5), "C:\\a\t-5");
  EXPECT_EQ(MakeSnapshotLine("C:\\a", INT32_MIN), "C:\\a\t-2147483648");
}

TEST(FileStamp, PacksDateHighAndTimeLowInTwoSecondSteps) {
  EXPECT_EQ(PackFileStamp({1980, 1, 1, 0, 0, 0}), 0x00210000);
  // 2026-12-07 01:34:52: date (46*512 + 12*32 + 7) = 23943, time (1*2048 + 34*32 + 26) = 3162.
  EXPECT_EQ(PackFileStamp({2026, 12, 7, 1, 34, 52}), (23943 << 16) | 3162);
  // Odd seconds fall into the step below.
  EXPECT_EQ(PackFileStamp({2026, 12, 7, 1, 34, 53}), PackFileStamp({2026, 12, 7, 1, 34, 52}));
  EXPECT_NE(PackFileStamp({2026, 12, 7, 1, 34, 54}), PackFileStamp({2026, 12, 7, 1, 34, 52}));
}

TEST(FileStamp, DatesFrom2044OnAreNegative) {
  EXPECT_GT(PackFileStamp({2043, 12, 31, 23, 59, 58}), 0);
  EXPECT_LT(PackFileStamp({2044, 1, 1, 0, 0, 0}), 0);
  EXPECT_EQ(PackFileStamp({2044, 1, 1, 0, 0, 0}), static_cast<std::int32_t>(0x80210000u));
  EXPECT_EQ(PackFileStamp({2107, 12, 31, 23, 59, 58}), static_cast<std::int32_t>(0xFF9FBF7Du));
}

TEST(FileStamp, TimesOutsideTheFormGiveOneFixedStamp) {
  const CivilTime outside[] = {{1979, 12, 31, 23, 59, 59},  {2108, 1, 1, 0, 0, 0},  {1601, 1, 1, 0, 0, 0},
                               {30827, 12, 31, 23, 59, 59}, {2000, 13, 1, 0, 0, 0}, {2000, 1, 0, 0, 0, 0}};
  for (const auto& t : outside) EXPECT_EQ(PackFileStamp(t), kUnpackableStamp) << t.year;
  // No real time packs to the fixed stamp, so it cannot hide a change between two real ones.
  EXPECT_NE(PackFileStamp({1980, 1, 1, 0, 0, 0}), kUnpackableStamp);
}

TEST(SnapshotList, KeepsPathOrderUnderTheLookupComparisonWithDuplicates) {
  FoldedCollation collation;
  SnapshotList list(collation);
  for (const char* line : {"C:\\b\t1", "C:\\A\t2", "C:\\c\t3", "C:\\a\t4", "C:\\B\t5", "C:\\b\t1"}) list.add(line);
  ASSERT_EQ(list.count(), 6u);
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < list.count(); ++i) paths.emplace_back(parseTabs(list[i], 1));
  // Case-insensitive order; equal lines are all kept and stand together.
  EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end(),
                             [&](const auto& a, const auto& b) { return collation.compare(a, b) < 0; }));
  const auto lines = list.lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "C:\\b\t1"), 2);
  list.clear();
  EXPECT_TRUE(list.empty());
}

TEST(SnapshotList, InsertionsBetweenReadsStayOrdered) {
  FoldedCollation collation;
  SnapshotList list(collation);
  std::mt19937 random(7);
  std::vector<std::string> all;
  const char* const folders[] = {"x", "X", "xy", "x_", "y", "", "x\\y"};
  std::string folder = "C:\\";
  for (int round = 0; round < 40; ++round) {
    if (round % 4 == 0) list.clear(), all.clear();
    for (int i = 0; i < 50; ++i) {
      std::string path = folder;
      for (int k = 0; k < 3; ++k) path.push_back("abcABC_"[random() % 7]);
      all.push_back(MakeSnapshotLine(path, static_cast<std::int32_t>(random() % 5)));
      list.add(all.back());
      if (random() % 7 == 0) {  // runs of any length, as folders give them
        list.endRun();
        folder = std::string("C:\\") + folders[random() % 7] + "\\";
      }
    }
    ASSERT_EQ(list.count(), all.size());
    for (std::size_t i = 1; i < list.count(); ++i) {
      const int c = collation.compare(list.path(i - 1), list.path(i));
      ASSERT_LE(c, 0) << "round " << round;
      ASSERT_EQ(list.samePathAsPrevious(i), c == 0) << "round " << round;
    }
    auto held = list.lines();
    auto added = all;
    std::sort(held.begin(), held.end());
    std::sort(added.begin(), added.end());
    ASSERT_EQ(held, added) << "round " << round;
  }
}

TEST(BinSearch, FindsAPathAmongEqualsOrReportsMinusOne) {
  FoldedCollation collation;
  SnapshotList list(collation);
  EXPECT_EQ(list.binSearch("C:\\x"), -1);
  for (const char* line : {"C:\\a\t1", "C:\\m\t1", "C:\\m\t2", "C:\\M\t3", "C:\\z\t1"}) list.add(line);
  const int found = list.binSearch("c:\\m");
  ASSERT_GE(found, 0);
  EXPECT_EQ(collation.compare(parseTabs(list[static_cast<std::size_t>(found)], 1), "C:\\M"), 0);
  EXPECT_EQ(parseTabs(list[static_cast<std::size_t>(list.binSearch("C:\\A"))], 1), "C:\\a");
  EXPECT_EQ(parseTabs(list[static_cast<std::size_t>(list.binSearch("C:\\z"))], 1), "C:\\z");
  for (const char* missing : {"C:\\", "C:\\b", "C:\\n", "C:\\zz", ""}) EXPECT_EQ(list.binSearch(missing), -1);
}

TEST(LoadFiles, AddsOneLinePerEntrySkippingDotEntries) {
  FoldedCollation collation;
  MemoryLister lister;
  lister.setFolder("C:\\Data", {{"report.doc", 10}, {"sub", 20}, {"...", 30}});
  SnapshotList list(collation);
  LoadFiles("C:\\Data", list, lister);
  EXPECT_EQ(lister.masks.back(), "C:\\Data\\*.*");
  EXPECT_EQ(list.lines(),
            (std::vector<std::string>{"C:\\Data\\...\t30", "C:\\Data\\report.doc\t10", "C:\\Data\\sub\t20"}));
  // A trailing backslash gives the same paths; the list is not emptied first.
  LoadFiles("C:\\Data\\", list, lister);
  EXPECT_EQ(lister.masks.back(), "C:\\Data\\*.*");
  EXPECT_EQ(list.count(), 6u);
  EXPECT_EQ(list[0], list[1]);
}

TEST(LoadFiles, EmptySlotAddsNothingAndAMissingFolderIsNamed) {
  FoldedCollation collation;
  MemoryLister lister;
  SnapshotList list(collation);
  LoadFiles("", list, lister);
  EXPECT_TRUE(lister.masks.empty());  // an empty slot is not even listed
  try {
    LoadFiles("C:\\Gone", list, lister);
    ADD_FAILURE() << "a missing folder listed as empty";
  } catch (const FolderNotListed& e) {
    EXPECT_EQ(e.Message(), "Could not list the folder C:\\Gone: The system cannot find the path specified.");
  }
  EXPECT_TRUE(list.empty());
}

TEST(TakeSnapshot, EmptiesThenLoadsEverySlotInOrder) {
  FoldedCollation collation;
  MemoryLister lister;
  lister.setFolder("C:\\One", {{"a", 1}});
  lister.setFolder("C:\\Two", {{"b", 2}});
  std::vector<std::string> slots(kFolderSlotCount);
  slots[6] = "C:\\Two";
  slots[19] = "C:\\One";
  slots[2] = "C:\\Two";
  SnapshotList list(collation);
  list.add("stale\t0");
  TakeSnapshot(slots, list, lister);
  EXPECT_EQ(lister.masks, (std::vector<std::string>{"C:\\Two\\*.*", "C:\\Two\\*.*", "C:\\One\\*.*"}));
  EXPECT_EQ(list.lines(), (std::vector<std::string>{"C:\\One\\a\t1", "C:\\Two\\b\t2", "C:\\Two\\b\t2"}));
}

}  // namespace
}  // namespace parvex
