#pragma once
// The about box ("How to contact us"): the maker's details on a bevelled panel
// over a blue gradient, the home-page button and the scrolling marquee. Created
// for one showing.
#include <windows.h>

#include <memory>

#include "platform/win32/dig_marquee.h"
#include "platform/win32/gradient_back.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"

namespace parvex {

class TfrmAbout final : public TForm {
 public:
  TfrmAbout(TApplication& application, HWND owner);

  // Opens the home page in the browser; tells the user when that fails.
  void btWebClick();

  const TGradientBack& GradientBack1() const { return *gradientBack1_; }
  const TDigMarquee& DigMarquee1() const { return *digMarquee1_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND addLabel(const char* text, int left, int top, int width, int height, DWORD style);
  // A size measured on the screen, in the design's pixels.
  int designPixels(int screenPixels) const;

  TFont labelFont_;
  TFont buttonFont_;
  THints hints_;
  std::unique_ptr<TGradientBack> gradientBack1_;
  std::unique_ptr<TDigMarquee> digMarquee1_;
  HWND panel_ = nullptr;
  HWND okButton_ = nullptr;
  HWND btWeb_ = nullptr;
  HWND navyLabels_[2] = {};
};

}  // namespace parvex
