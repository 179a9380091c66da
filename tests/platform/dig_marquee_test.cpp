#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dig_marquee_state.h"
#include "platform/dot_matrix_glyphs.h"
#include "platform/glyph_pictures.h"

namespace parvex {
namespace {

TEST(MarqueeCaption, CodesColourAndFlashTheLettersAndAreNotDrawn) {
  constexpr int A = 0, B = 1, C = 2, D = 3, Blank = kBlankGlyph;
  struct Case {
    std::string caption;
    std::vector<MarqueeCell> cells;
  };
  const Case cases[] = {
      // The spaces ending the two codes are not drawn; the one between them is.
      {"~2 AB ~F CD", {{A, 1, false}, {B, 1, false}, {Blank, 1, false}, {C, 1, true}, {D, 1, true}}},
      // Letters straight after a code belong to it.
      {"~2AB CD", {{C, 1, false}, {D, 1, false}}},
      {"~1 ~f ~3 ", {}},
      {"~5F~4 ab", {{A, 3, true}, {B, 3, true}}},
      {"a`\x7f\x80\xff\t",
       {{A, 0, false}, {Blank, 0, false}, {Blank, 0, false}, {Blank, 0, false}, {Blank, 0, false}, {Blank, 0, false}}},
      // A tilde inside a code ends nothing; an unlisted character reads as a blank,
      // so like the space it ends the code and is not drawn.
      {"~~3\x01x", {{23, 2, false}}},
  };
  for (const auto& c : cases) EXPECT_EQ(RenderMarqueeCaption(c.caption), c.cells) << c.caption;
}

TEST(MarqueeCaption, GlyphTableFollowsTheBitmapOrder) {
  const std::pair<char, int> cases[] = {{'A', 0},   {'z', 25}, {'0', 26}, {'9', 35}, {':', 36},  {'$', 40},
                                        {' ', 41},  {'!', 42}, {'@', 43}, {')', 49}, {'=', 50},  {'\\', 51},
                                        {'\'', 57}, {'^', 58}, {'|', 60}, {'>', 66}, {'\0', 41}, {'~', 41}};
  for (const auto& [c, glyph] : cases) EXPECT_EQ(GlyphOf(c), glyph) << int(c);
}

// The bitmap is built from the glyph table file, so the character each of its
// glyphs is labelled with there must be the one GlyphOf sends to it, and the
// picture under the label must be that character's: two glyphs, or two pictures,
// swapped in either place show here.
TEST(MarqueeCaption, EveryGlyphOfTheTableFileDrawsItsCharacter) {
  std::string path = PARVEX_GLYPH_TABLE;
#ifdef _WIN32
  path = "Z:" + path;
#endif
  std::ifstream table(path);
  ASSERT_TRUE(table) << path;
  const std::map<std::string, char> named = {{"blank", ' '}, {"at", '@'}, {"bar", '|'}};
  int count = 0;
  std::uint64_t picture = 0;
  int dots = 0;
  // The picture of the glyph before this one is complete.
  const auto checkPicture = [&] {
    if (count > 0) {
      EXPECT_EQ(picture, testing::kGlyphPictures[count - 1]) << "picture of glyph " << count - 1;
    }
    picture = 0;
    dots = 0;
  };
  for (std::string line; std::getline(table, line);) {
    if (line.size() == 5 && line.find_first_not_of("#.") == std::string::npos) {
      for (char dot : line) picture |= std::uint64_t{dot == '#'} << dots++;
      continue;
    }
    if (line.rfind("glyph ", 0) != 0) continue;
    checkPicture();
    std::istringstream fields(line.substr(6));
    int number = -1;
    std::string name;
    fields >> number >> name;
    ASSERT_EQ(number, count) << line;
    const char c = named.contains(name) ? named.at(name) : name.at(0);
    ASSERT_TRUE(name.size() == 1 || named.contains(name)) << line;
    EXPECT_EQ(GlyphOf(c), number) << line;
    if (c >= 'A' && c <= 'Z') {
      EXPECT_EQ(GlyphOf(static_cast<char>(c - 'A' + 'a')), number) << line;
    }
    ++count;
  }
  checkPicture();
  EXPECT_EQ(count, kGlyphCount);
  EXPECT_EQ(GlyphOf(' '), kBlankGlyph);
  EXPECT_EQ(GlyphOf('1'), kGlyphDigitOne);
  EXPECT_EQ(GlyphOf('F'), kGlyphLetterF);
}

class DigMarqueeTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 100;
  DigMarqueeTest() : marquee(kWidth) {
    marquee.SetCaption("AB");  // 22 pixels of text
    marquee.OnFinishScrolling = [this] { ++finishes; };
  }
  // Ticks n times and counts how often the text came back to the right edge.
  int run(int n) {
    int restarts = 0;
    for (int i = 0; i < n; ++i) {
      const int before = marquee.Position();
      marquee.Tick();
      restarts += marquee.Position() > before;
    }
    return restarts;
  }
  DigMarqueeState marquee;
  int finishes = 0;
};

TEST_F(DigMarqueeTest, DefaultsAndPlacement) {
  DigMarqueeState fresh(kWidth);
  EXPECT_EQ(fresh.Speed(), 4);
  EXPECT_EQ(fresh.Loops(), -1);
  EXPECT_EQ(fresh.Interval(), 50);
  EXPECT_TRUE(fresh.Enabled());
  EXPECT_EQ(fresh.FlashTicks(), 5);
  EXPECT_EQ(fresh.Position(), kWidth);
  EXPECT_FALSE(fresh.Cells().empty());
  const auto blit = marquee.Blit(21);
  ASSERT_TRUE(blit);
  EXPECT_EQ(blit->top, 1);
  EXPECT_EQ(blit->width, 22);
  EXPECT_EQ(marquee.Blit(10)->top, -4);  // truncated toward zero
  marquee.SetCaption("~3 ");
  EXPECT_FALSE(marquee.Blit(21)) << "an empty text is never drawn";
}

TEST_F(DigMarqueeTest, ThreeLoopsCrossThreeTimesThenStayOutOfSight) {
  marquee.SetSpeed(6);
  marquee.SetLoops(3);
  EXPECT_EQ(run(1000), 2);
  EXPECT_EQ(marquee.Position(), -22);
  EXPECT_EQ(marquee.PassesLeft(), 1);
  EXPECT_EQ(finishes, 1);
  // A new caption restarts from the right edge with every pass.
  marquee.SetCaption("ABC");
  EXPECT_EQ(marquee.Position(), kWidth);
  EXPECT_EQ(marquee.PassesLeft(), 3);
}

TEST_F(DigMarqueeTest, ZeroOrNegativeLoopsScrollWithoutEnd) {
  for (const int loops : {0, -1}) {
    marquee.SetLoops(loops);
    // One crossing is (100 + 22 + 4) / 4 ticks; every one comes back.
    EXPECT_GE(run(1000), 30) << loops;
    EXPECT_EQ(finishes, 0) << loops;
  }
}

TEST_F(DigMarqueeTest, FlashPhaseFlipsEverySixTicksAndStaysOnWithoutAPeriod) {
  std::string phases;
  for (int i = 0; i < 18; ++i) {
    marquee.Tick();
    phases += marquee.FlashPhase() ? '1' : '0';
  }
  EXPECT_EQ(phases, "000001111110000001");
  for (const int period : {0, -1}) {
    marquee.SetFlashTicks(5);
    while (!marquee.FlashPhase()) marquee.Tick();
    marquee.SetFlashTicks(period);
    for (int i = 0; i < 5; ++i) {
      marquee.Tick();
      EXPECT_FALSE(marquee.FlashPhase()) << period << " " << i;
    }
    EXPECT_EQ(marquee.Blit(21)->sourceTop, 0);
  }
}

TEST_F(DigMarqueeTest, DisablingHidesTheTextAndEnablingRestartsAtTheRightEdge) {
  run(5);
  marquee.SetEnabled(false);
  EXPECT_FALSE(marquee.Blit(21));
  marquee.SetEnabled(true);
  EXPECT_EQ(marquee.Position(), kWidth);
  EXPECT_EQ(marquee.Blit(21)->left, kWidth);
}

}  // namespace
}  // namespace parvex
