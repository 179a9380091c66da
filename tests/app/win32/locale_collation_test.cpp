#include "app/win32/locale_collation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "runtime/win32/win32_user_clock.h"

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

}  // namespace
}  // namespace parvex
