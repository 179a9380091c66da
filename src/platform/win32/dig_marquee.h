#pragma once
// The about box's scrolling strip: a caption in coloured dot-matrix letters that
// moves from right to left on a timer. The letters come from the program's
// DMLETTER bitmap; the caption is rendered once into a text bitmap whose upper
// half holds every letter and whose lower half leaves out the flashing ones.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/dig_marquee_state.h"
#include "runtime/win32/scoped_handle.h"
#include "ui/win32/application.h"
#include "ui/win32/painted_control.h"

namespace parvex {

class TDigMarquee final : public TPaintedControl {
 public:
  static constexpr const char* kWindowClass = "TDigMarquee";
  static constexpr UINT_PTR kTimerId = 1;

  // Errors raised by OnFinishScrolling go to the application's default handler.
  TDigMarquee(TApplication& application, HWND parent, Bounds bounds, int id);
  ~TDigMarquee() override;

  const std::string& Caption() const { return state_.Caption(); }
  void SetCaption(std::string caption);
  std::uint16_t Speed() const { return state_.Speed(); }
  void SetSpeed(std::uint16_t speed) { state_.SetSpeed(speed); }
  std::int32_t Loops() const { return state_.Loops(); }
  void SetLoops(std::int32_t loops) { state_.SetLoops(loops); }
  std::uint16_t Interval() const { return state_.Interval(); }
  void SetInterval(std::uint16_t interval);
  bool Enabled() const { return state_.Enabled(); }
  void SetEnabled(bool enabled);
  std::int32_t FlashTicks() const { return state_.FlashTicks(); }
  void SetFlashTicks(std::int32_t ticks) { state_.SetFlashTicks(ticks); }
  void SetOnFinishScrolling(std::function<void()> handler) { state_.OnFinishScrolling = std::move(handler); }

 private:
  void Paint(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void renderText();
  void startTimer();

  TApplication& application_;
  DigMarqueeState state_;
  BitmapHandle letters_;
  BitmapHandle text_;
};

}  // namespace parvex
