#pragma once
// A text measurer with sizes that are easy to add up: 10 units a character ('i'
// 5), text height = points + 4, character height = points + 1.
#include "ui/text_layout.h"

namespace parvex::testing {

class FakeMeasurer final : public TextMeasurer {
 public:
  void selectFont(const PrintFont& font) override {
    font_ = font;
    ++selections;
  }
  int textWidth(std::string_view text) override {
    int w = 0;
    for (char c : text) w += c == 'i' ? 5 : 10;
    return w;
  }
  int textHeight(std::string_view) override { return font_.points + 4; }
  int charHeight() override { return font_.points + 1; }
  int selections = 0;

 private:
  PrintFont font_;
};

}  // namespace parvex::testing
