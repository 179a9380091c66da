#pragma once
// Measures text as a control would draw it, in pixels.
#include <string>

namespace parvex {

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int textWidth(const std::string& text) const = 0;
};

}  // namespace parvex
