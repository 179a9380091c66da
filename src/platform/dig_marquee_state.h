#pragma once
// What the scrolling dot-matrix strip holds and how it moves, apart from its
// bitmaps and its timer: the properties with their write rules, the position of
// the text, the passes still to run and the flash phase.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/marquee_caption.h"

namespace parvex {

inline constexpr const char* kDefaultMarqueeCaption =
    "~5 parvex 2000 ~3 dot matrix marquee ~2 ~f * ~f ";

// Where the visible half of the text bitmap goes on the strip.
struct MarqueeBlit {
  int sourceTop;  // 0: every letter; 19: the flashing ones left out
  int left, top, width, height;
};

class DigMarqueeState {
 public:
  explicit DigMarqueeState(int controlWidth);

  const std::string& Caption() const { return caption_; }
  // Renders the caption again and starts it from the right edge with all passes.
  void SetCaption(std::string caption);
  std::uint16_t Speed() const { return speed_; }
  void SetSpeed(std::uint16_t speed) { speed_ = speed; }
  std::int32_t Loops() const { return loops_; }
  void SetLoops(std::int32_t loops);
  std::uint16_t Interval() const { return interval_; }
  void SetInterval(std::uint16_t interval) { interval_ = interval; }
  bool Enabled() const { return enabled_; }
  // Restarts the text from the right edge either way.
  void SetEnabled(bool enabled);
  std::int32_t FlashTicks() const { return flashTicks_; }
  void SetFlashTicks(std::int32_t ticks) { flashTicks_ = ticks; }

  // Called once when the last of Loops passes has ended.
  std::function<void()> OnFinishScrolling;

  void SetControlWidth(int width) { controlWidth_ = width; }
  const std::vector<MarqueeCell>& Cells() const { return cells_; }
  int TextWidth() const;
  int Position() const { return position_; }
  std::int32_t PassesLeft() const { return passesLeft_; }
  bool FlashPhase() const { return flashPhase_; }

  // One timer tick: the flash phase, then the move and the pass rules.
  void Tick();
  // What painting a strip of the given height copies; nothing when the text is
  // empty or the strip is disabled.
  std::optional<MarqueeBlit> Blit(int controlHeight) const;

 private:
  std::string caption_;
  std::uint16_t speed_ = 4;
  std::int32_t loops_ = -1;
  std::uint16_t interval_ = 50;
  bool enabled_ = true;
  std::int32_t flashTicks_ = 5;
  int controlWidth_;
  std::vector<MarqueeCell> cells_;
  std::int32_t position_;
  std::int32_t passesLeft_ = -1;
  bool finished_ = false;
  bool flashPhase_ = false;
  std::int32_t tickCount_ = 0;
};

}  // namespace parvex
