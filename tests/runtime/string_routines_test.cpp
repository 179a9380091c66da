#include "runtime/string_routines.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

TEST(StrToIntDef, ReadsSettingsTextLikeTheRegistryLayer) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"0x0", 0},
      {"0X1f", 31},
      {"$1F", 31},
      {"+7", 7},
      {" -3", -3},
      {"   12", 12},
      {"0", 0},
      {"1", 1},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      // Not a number: the default.
      {"yes", 99},
      {"", 99},
      {"0x", 99},
      {"$", 99},
      {"12 ", 99},
      {"1.5", 99},
      {"+", 99},
      {"- 3", 99},
      {" 0x10", 99},
      {"\t5", 99},
      {"0xG", 99},
      // Out of 32 bits is refused rather than wrapped into a surprise.
      {"2147483648", 99},
      {"99999999999", 99},
      {"$100000000", 99},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, 99), c.expected) << '"' << c.text << '"';
}

TEST(SplitLines, FollowsMemoLineRules) {
  EXPECT_EQ(SplitLines(""), std::vector<std::string>{});
  EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\nb\rc\r\n"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("\r\n"), std::vector<std::string>{""});
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb");
  EXPECT_EQ(SplitLines(JoinLines({"x", "", "y"})), (std::vector<std::string>{"x", "", "y"}));
}

TEST(FormatStr, PutsTheArgumentInPlaceOfTheMarker) {
  EXPECT_EQ(FormatStr("Invalid data type for '%s'", "New"), "Invalid data type for 'New'");
  EXPECT_EQ(FormatStr("no marker", "x"), "no marker");
}

}  // namespace
}  // namespace parvex
