#include "platform/dig_marquee_state.h"

#include "platform/dot_matrix_glyphs.h"

namespace parvex {

DigMarqueeState::DigMarqueeState(int controlWidth)
    : caption_(kDefaultMarqueeCaption),
      controlWidth_(controlWidth),
      cells_(RenderMarqueeCaption(caption_)),
      position_(controlWidth) {}

void DigMarqueeState::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  position_ = controlWidth_;
  passesLeft_ = loops_;
  cells_ = RenderMarqueeCaption(caption_);
}

void DigMarqueeState::SetLoops(std::int32_t loops) {
  loops_ = loops;
  passesLeft_ = loops;
  finished_ = false;
}

void DigMarqueeState::SetEnabled(bool enabled) {
  enabled_ = enabled;
  position_ = controlWidth_;
}

int DigMarqueeState::TextWidth() const { return kGlyphCellWidth * static_cast<int>(cells_.size()); }

void DigMarqueeState::Tick() {
  // Without a flash period the flashing letters stay on: the phase is held at
  // the half that shows them rather than flipped on every tick.
  if (flashTicks_ > 0) {
    ++tickCount_;
    if (tickCount_ > flashTicks_) {
      tickCount_ = 0;
      flashPhase_ = !flashPhase_;
    }
  } else {
    flashPhase_ = false;
  }

  position_ -= speed_;
  const int w = TextWidth();
  if (passesLeft_ >= 2) {
    if (position_ < -w - speed_) {
      position_ = controlWidth_;
      --passesLeft_;
    }
  } else if (passesLeft_ == 1) {
    if (position_ < -w) {
      position_ = -w;  // the last pass ends just out of sight
      if (!finished_) {
        finished_ = true;
        if (OnFinishScrolling) OnFinishScrolling();
      }
    }
  } else if (position_ < -w - speed_) {
    position_ = controlWidth_;
  }
}

std::optional<MarqueeBlit> DigMarqueeState::Blit(int controlHeight) const {
  if (cells_.empty() || !enabled_) return std::nullopt;
  return MarqueeBlit{flashPhase_ ? kGlyphCellHeight : 0, position_, (controlHeight - kGlyphCellHeight) / 2,
                     TextWidth(), kGlyphCellHeight};
}

}  // namespace parvex
