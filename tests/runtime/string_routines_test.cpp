#include "runtime/string_routines.h"

#include <gtest/gtest.h>

#include "runtime/code_page.h"

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

TEST(CharacterCut, NeverEndsInsideACharacter) {
  struct Case {
    unsigned codePage;
    const char* text;
    std::size_t limit;
    std::size_t expected;
  };
  const Case cases[] = {
      {1252, "Caf\xE9s", 4, 4},  // single-byte: exactly at the limit
      {1252, "ab", 5, 2},
      {65001, "Caf\xC3\xA9s", 4, 3},  // "é" takes two bytes
      {65001, "Caf\xC3\xA9s", 5, 5},
      {65001, "\xE4\xB8\xAD\xE5\x9B\xBD", 5, 3},  // two three-byte characters
      {65001, "\xE4\xB8\xAD\xE5\x9B\xBD", 2, 0},
      {65001, "a\xF0\x9F\x99\x82", 4, 1},  // a four-byte emoji
      {65001,
       "a\xF0\x9F\x99\x82"
       "b",
       5, 5},
      {65001, "\x80\x80\x80\x80\x80\x80", 3, 3},  // no lead byte: cut where it is
      {932, "\x93\xFA\x96\x7B", 3, 2},            // Shift JIS, a trail byte in the lead range
      {932, "a\x93\xFA\x96\x7B", 4, 3},
      {936, "\xD6\xD0\xB9\xFA", 3, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CharacterCutLength(c.text, c.limit, c.codePage), c.expected) << c.codePage << " " << c.text;
    std::size_t whole = 0;  // the same boundaries when walked character by character
    for (std::string_view rest = c.text; !rest.empty() && whole + FirstCharacterLength(rest, c.codePage) <= c.limit;) {
      const std::size_t n = FirstCharacterLength(rest, c.codePage);
      whole += n;
      rest.remove_prefix(n);
    }
    EXPECT_EQ(whole, c.expected) << c.text;
  }
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
