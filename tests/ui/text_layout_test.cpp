// The text-printing layout rules, against a measurer whose sizes are easy to add
// up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_text_measurer.h"
#include "ui/text_layout.h"

namespace parvex {
namespace {

using testing::FakeMeasurer;

const PrintFont k10{"Serif", 10, false};  // text lines advance 16, empty lines 11
const PrintFont k20{"Serif", 20, true};   // text lines advance 26, empty lines 21

// Each page as "y:text" entries.
std::vector<std::vector<std::string>> Render(const std::vector<PrintedPage>& pages) {
  std::vector<std::vector<std::string>> out;
  for (const auto& page : pages) {
    out.emplace_back();
    for (const auto& t : page.texts) {
      EXPECT_EQ(t.x, 0) << t.text;
      out.back().push_back(std::to_string(t.y) + ":" + t.text);
    }
  }
  return out;
}

std::vector<PrintLine> Lines(const PrintFont& font, std::vector<std::string> texts) {
  std::vector<PrintLine> lines;
  for (auto& t : texts) lines.push_back({font, std::move(t)});
  return lines;
}

struct LayoutCase {
  const char* name;
  PageSize page;
  std::vector<PrintLine> lines;
  std::vector<std::vector<std::string>> pages;
  unsigned codePage = 1252;
};

TEST(TextLayout, FollowsThePrintingRules) {
  std::vector<PrintLine> mixed = Lines(k20, {"big", ""});
  mixed.push_back({k10, ""});
  mixed.push_back({k10, "small"});
  const LayoutCase cases[] = {
      {"text advances by its height plus 2, an empty line by the character height",
       {1000, 1000}, Lines(k10, {"ab", "", "cd", "", "", "ef"}), {{"0:ab", "27:cd", "65:ef"}}},
      {"each font's own heights", {1000, 1000}, mixed, {{"0:big", "58:small"}}},
      {"a line without a break point is cut after the last character that fits",
       {35, 1000}, Lines(k10, {"abcdefgh", "x"}), {{"0:abc", "16:def", "32:gh", "48:x"}}},
      {"narrow characters fit more", {35, 1000}, Lines(k10, {"iiiiiiiiz"}), {{"0:iiiiiii", "16:iz"}}},
      {"a line exactly as wide as the page stays whole", {40, 1000}, Lines(k10, {"abcd", "e"}),
       {{"0:abcd", "16:e"}}},
      {"a page narrower than one character still prints each character", {5, 1000}, Lines(k10, {"ab"}),
       {{"0:a", "16:b"}}},
      // Page height 100: after a 16-unit line the position may reach 100 - 32 = 68.
      {"a new page once the position passes the height less twice the line", {1000, 100},
       Lines(k10, {"1", "2", "3", "4", "5", "6", "7"}), {{"0:1", "16:2", "32:3", "48:4", "64:5"}, {"0:6", "16:7"}}},
      {"the same for wrapped pieces", {20, 100}, Lines(k10, {"aabbccddeeff"}),
       {{"0:aa", "16:bb", "32:cc", "48:dd", "64:ee"}, {"0:ff"}}},
      {"empty lines use their own height for the test", {1000, 40}, Lines(k10, {"", "", "a"}),
       {{}, {"0:a"}}},
      {"a break after the last line leaves no blank page", {1000, 100}, Lines(k10, {"1", "2", "3", "4", "5"}),
       {{"0:1", "16:2", "32:3", "48:4", "64:5"}}},
      {"nothing to print is one empty page", {1000, 100}, {}, {{}}},
      // The fake measures 10 a byte: "\xC3\x84" is 20 wide.
      {"a multi-byte line is broken between characters", {35, 1000}, Lines(k10, {"\xC3\x84\xC3\x96\xC3\x9C"}),
       {{"0:\xC3\x84", "16:\xC3\x96", "32:\xC3\x9C"}}, 65001},
      {"a page narrower than one multi-byte character prints it whole", {5, 1000},
       Lines(k10, {"\xE4\xB8\xAD\xF0\x9F\x99\x82"}), {{"0:\xE4\xB8\xAD", "16:\xF0\x9F\x99\x82"}}, 65001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMeasurer measurer;
    EXPECT_EQ(Render(LayOutLines(c.lines, c.page, measurer, c.codePage)), c.pages);
  }
}

TEST(TextLayout, KeepsEachLinesFontAndSelectsOnlyOnChange) {
  std::vector<PrintLine> lines = Lines(k20, {"a", "b"});
  lines.push_back({k10, "c"});
  FakeMeasurer measurer;
  const auto pages = LayOutLines(lines, {1000, 1000}, measurer);
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].texts.size(), 3u);
  EXPECT_EQ(pages[0].texts[1].font, k20);
  EXPECT_EQ(pages[0].texts[2].font, k10);
  EXPECT_EQ(measurer.selections, 2);
}

}  // namespace
}  // namespace parvex
