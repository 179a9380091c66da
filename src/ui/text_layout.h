#pragma once
// Lays out lines of text on printer pages the way the runtime's text printing
// does: the first line at the top-left corner of the printable area, every line
// from the left edge; after a line with text the position moves down by its
// height plus 2, after an empty line by the font's character height; a line too
// wide is broken after the last character that fits; a new page begins when the
// position lies below the page height less twice the height of the line just
// printed. Measuring is left to a TextMeasurer, so the rules are the same on a
// printer's device context and in a test.
#include <string>
#include <string_view>
#include <vector>

#include "runtime/code_page.h"

namespace parvex {

struct PrintFont {
  std::string name;
  int points = 10;
  bool bold = false;

  bool operator==(const PrintFont&) const = default;
};

// Device units of the printer; the font is the one last selected.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual void selectFont(const PrintFont& font) = 0;
  virtual int textWidth(std::string_view text) = 0;
  virtual int textHeight(std::string_view text) = 0;
  // The height of the selected font's characters, for an empty line.
  virtual int charHeight() = 0;
};

struct PrintLine {
  PrintFont font;
  std::string text;
};

struct PlacedText {
  int x = 0;
  int y = 0;
  PrintFont font;
  std::string text;

  bool operator==(const PlacedText&) const = default;
};

// A page may hold no text at all when only empty lines fell on it.
struct PrintedPage {
  std::vector<PlacedText> texts;
};

struct PageSize {
  int width = 0;
  int height = 0;
};

// Every line, in order, on as many pages as it takes; at least one page. A page
// is begun only when a line is to go on it, so a break after the last line
// leaves no blank page behind. The text is in codePage.
std::vector<PrintedPage> LayOutLines(const std::vector<PrintLine>& lines, PageSize page, TextMeasurer& measurer,
                                     unsigned codePage = ActiveCodePage());

}  // namespace parvex
