#include "app/win32/locale_collation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/change_detection.h"
#include "runtime/win32/win32_user_clock.h"
#include "app/change_property.h"
#include "support/snapshot_fakes.h"

namespace parvex {
namespace {

// The snapshot orders and looks up paths by sort keys; they must agree with
// CompareStringA under the same locale and flag, or lookups would miss entries.
TEST(UserLocaleCollation, SortKeysAgreeWithCompareString) {
  const std::vector<std::string> texts = {
      "",          "a",        "A",        "b",        "B",     "ab",       "aB",      "a-b",      "ab-",
      "co-op",     "coop",     "co_op",    "a b",      "a.b",   "a\\b",     "a\\B\\c", "C:\\Data", "c:\\data\\",
      "caf\xe9",   "CAF\xc9",  "cafe",     "\xe4pfel", "Apfel", "\xc4PFEL", "z",       "Z~",       "1",
      "10",        "2",        "file (2)", "file(2)",  "x'y",   "xy",       "\xdf",    "ss",       "name.txt",
      "name.txt.", "NAME.TXT", "\xf8",     "\xff",     "~",     "_"};
  UserLocaleCollation collation;
  for (const auto& a : texts)
    for (const auto& b : texts) {
      const int byKeys = collation.compare(a, b);
      EXPECT_EQ(byKeys, CompareUserLocaleIgnoreCase(a, b)) << '"' << a << "\" vs \"" << b << '"';
    }
}

TEST(UserLocaleCollation, IgnoresLetterCase) {
  UserLocaleCollation collation;
  EXPECT_EQ(collation.sortKey("C:\\Data\\Report.DOC"), collation.sortKey("c:\\data\\report.doc"));
  EXPECT_NE(collation.sortKey("report.doc"), collation.sortKey("report.dot"));
  EXPECT_EQ(collation.sortKey(std::string(3000, 'q')).empty(), false);  // beyond the stack buffer
  EXPECT_LT(collation.compare(std::string(3000, 'q'), std::string(3001, 'q')), 0);
}

// The lists keep no keys and take a scan's order from the start snapshot; names
// that a shortcut (raw bytes, ASCII folding, one prefix per folder) would put in
// the wrong place: letter case outside ASCII, hyphens and apostrophes, which the
// word sort weighs apart, and digits.
TEST(UserLocaleCollation, SnapshotListsOrderAndFindAsCompareString) {
  const std::vector<std::string> names = {"caf\xe9", "CAF\xc9", "cafe",   "\xe4pfel", "\xc4PFEL", "Apfel", "co-op",
                                          "coop",    "co'op",   "CO-OP",  "x'y",      "xy",       "x-y",   "file10",
                                          "file2",   "file 2",  "File02", "\xf8",     "\xd8",     "\xfe",  "\xde",
                                          "a-",      "a",       "-a",     "\xdf",     "ss",       "n\xf1", "N\xd1x"};
  UserLocaleCollation collation;
  SnapshotList start(collation), scan(collation);
  for (const auto& name : names) start.add(MakeSnapshotLine("C:\\Data\\" + name, 1));
  // The scan: the same folder listed in another order, less "coop", with "Caf\xe9"
  // renamed in case only, "file2" changed and "co-OP" new.
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (*it == "coop" || *it == "caf\xe9") continue;
    scan.add(MakeSnapshotLine("C:\\Data\\" + *it, *it == "file2" ? 2 : 1));
  }
  scan.add(MakeSnapshotLine("C:\\Data\\Caf\xe9", 1));
  scan.add(MakeSnapshotLine("C:\\Data\\co-OP", 1));
  testing::FixedOptions options;
  testing::FixedClock clock{CivilTime{2026, 12, 8, 10, 0, 0}};
  std::vector<std::string> summary;
  EXPECT_TRUE(areListBoxesDifferent(start, scan, options, clock, summary));

  for (const SnapshotList* list : {&start, &scan})
    for (std::size_t i = 0; i < list->count(); ++i) {
      if (i > 0) {
        const int c = CompareUserLocaleIgnoreCase(list->path(i - 1), list->path(i));
        EXPECT_LE(c, 0) << list->path(i - 1) << " / " << list->path(i);
        EXPECT_EQ(list->samePathAsPrevious(i), c == 0) << list->path(i);
      }
      const int found = list->binSearch(list->path(i));
      ASSERT_GE(found, 0) << list->path(i);
      EXPECT_EQ(CompareUserLocaleIgnoreCase(list->path(static_cast<std::size_t>(found)), list->path(i)), 0);
    }
  std::vector<std::string> expected{summary[0], summary[1]};
  for (std::size_t i = 0; i < start.count(); ++i) {
    const int code = compareEntry(std::string(start[i]), scan);
    if (code != kUnchanged)
      expected.push_back((code == kChanged ? "Changed " : "Deleted ") + std::string(start.path(i)));
  }
  for (std::size_t i = 0; i < scan.count(); ++i)
    if (compareEntry(std::string(scan[i]), start) == kNoCounterpart)
      expected.push_back("Added " + std::string(scan.path(i)));
  EXPECT_EQ(summary, expected);
  EXPECT_NE(std::find(summary.begin(), summary.end(), "Added C:\\Data\\Caf\xe9"), summary.end());
  EXPECT_NE(std::find(summary.begin(), summary.end(), "Deleted C:\\Data\\coop"), summary.end());
  EXPECT_NE(std::find(summary.begin(), summary.end(), "Changed C:\\Data\\file2"), summary.end());
}

TEST(Win32UserClock, FormatsWithTheUserFormats) {
  Win32UserClock clock;
  const CivilTime now = clock.now();
  EXPECT_GE(now.year, 2020);
  EXPECT_FALSE(clock.shortDate(now).empty());
  EXPECT_FALSE(clock.longTime(now).empty());
  const CivilTime midnight{2026, 12, 8, 0, 0, 0};
  EXPECT_EQ(DateTimeToStr(midnight, clock), clock.shortDate(midnight));
  const CivilTime later{2026, 12, 8, 13, 4, 5};
  EXPECT_EQ(DateTimeToStr(later, clock), clock.shortDate(later) + " " + clock.longTime(later));
  EXPECT_NE(clock.longTime(later).find("04"), std::string::npos);
}

// Names CompareStringA calls equal (a sharp s and "ss", letter case) were each
// reported deleted and added at every scan when the look-up met the other one.
TEST(UserLocaleCollation, ComparisonMatchesAPlainReference) {
  UserLocaleCollation collation;
  ASSERT_EQ(CompareUserLocaleIgnoreCase("Stra\xdf" "e.txt", "Strasse.txt"), 0) << "the pair this test is about";
  testing::ExpectComparisonMatchesReference(collation, testing::CollidingNames(), 200, 7);
}

}  // namespace
}  // namespace parvex
