#include "platform/status_text_fit.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

// Every character one unit wide, except that "W" is three: enough to show that
// widths, not character counts, decide.
class CharacterMeasure final : public TextMeasure {
 public:
  int textWidth(const std::string& text) const override {
    int width = 0;
    for (char c : text) width += c == 'W' ? 3 : 1;
    return width;
  }
};

TEST(StatusTextFit, PathDropsLeadingFoldersBeforeTheDrive) {
  const CharacterMeasure measure;
  const std::string path = "C:\\Program Files\\Parvex\\Data\\";  // 29 wide
  struct Case {
    int width;
    const char* shown;
  } cases[] = {
      {29, "C:\\Program Files\\Parvex\\Data\\"},
      {28, "C:\\...\\Parvex\\Data\\"},
      {19, "C:\\...\\Parvex\\Data\\"},
      {18, "C:\\...\\Data\\"},
      {11, "C:\\...\\"},
      {6, "...\\"},
      {3, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(fittedPath(path, c.width, measure), c.shown) << c.width;
}

TEST(StatusTextFit, PathKeepsItsFilePart) {
  const CharacterMeasure measure;
  const std::string path = "C:\\Users\\Anna\\report.txt";  // 24 wide
  EXPECT_EQ(fittedPath(path, 23, measure), "C:\\...\\Anna\\report.txt");
  EXPECT_EQ(fittedPath(path, 21, measure), "C:\\...\\report.txt");
  EXPECT_EQ(fittedPath(path, 16, measure), "...\\report.txt");
  EXPECT_EQ(fittedPath(path, 5, measure), "report.txt");
}

TEST(StatusTextFit, PathWithoutDriveAndRootOnlyPaths) {
  const CharacterMeasure measure;
  EXPECT_EQ(fittedPath("\\\\server\\share\\docs\\", 14, measure), "\\...\\docs\\");
  EXPECT_EQ(fittedPath("C:\\", 2, measure), "C:");
  EXPECT_EQ(fittedPath("C:\\", 1, measure), "");
  EXPECT_EQ(fittedPath("C:\\", 3, measure), "C:\\");
}

TEST(StatusTextFit, WidthIsMeasuredNotCounted) {
  const CharacterMeasure measure;
  // "C:\WWW\x\" is 15 wide though 9 characters long.
  EXPECT_EQ(fittedPath("C:\\WWW\\x\\", 14, measure), "C:\\...\\x\\");
  EXPECT_EQ(fittedPlainText("WWWW", 11, measure), "WW...");
}

TEST(StatusTextFit, PlainTextIsCutAtTheEndWithAnEllipsis) {
  const CharacterMeasure measure;
  struct Case {
    int width;
    const char* shown;
  } cases[] = {
      {30, "Not a folder at all"}, {19, "Not a folder at all"}, {18, "Not a folder at..."},
      {10, "Not a f..."},          {3, "..."},                  {0, "..."},
  };
  for (const auto& c : cases) EXPECT_EQ(fittedPlainText("Not a folder at all", c.width, measure), c.shown) << c.width;
  EXPECT_EQ(fittedPlainText("", 0, measure), "");
  // Whole characters of the code page only ("\xC3\xA9" is two units here).
  EXPECT_EQ(fittedPlainText("Caf\xC3\xA9zzzz", 7, measure, 65001), "Caf...");
  EXPECT_EQ(fittedPlainText("Caf\xC3\xA9zzzz", 7, measure, 1252), "Caf\xC3...");
}

}  // namespace
}  // namespace parvex
