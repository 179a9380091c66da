#include "platform/win32/dig_marquee.h"

#include <algorithm>

#include "platform/dot_matrix_glyphs.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/scoped_selection.h"

namespace parvex {

TDigMarquee::TDigMarquee(TApplication& application, HWND parent, Bounds b, int id)
    : TPaintedControl(kWindowClass, parent, b, id), application_(application), state_(b.width) {
  // A program without the letter bitmap shows an empty strip.
  letters_.reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "DMLETTER", IMAGE_BITMAP, 0, 0, 0)));
  renderText();
  startTimer();
}

TDigMarquee::~TDigMarquee() { KillTimer(Handle(), kTimerId); }

void TDigMarquee::SetCaption(std::string caption) {
  state_.SetCaption(std::move(caption));
  renderText();
}

void TDigMarquee::SetInterval(std::uint16_t interval) {
  state_.SetInterval(interval);
  if (state_.Enabled()) startTimer();  // a running timer takes the new interval
}

void TDigMarquee::SetEnabled(bool enabled) {
  state_.SetEnabled(enabled);
  if (enabled)
    startTimer();
  else
    KillTimer(Handle(), kTimerId);
  PaintNow();
}

void TDigMarquee::startTimer() { SetTimer(Handle(), kTimerId, state_.Interval(), nullptr); }

void TDigMarquee::renderText() {
  text_.reset();
  const auto& cells = state_.Cells();
  if (cells.empty()) return;
  const WindowDcHandle screen = GetWindowDc(Handle());
  const int width = kGlyphCellWidth * static_cast<int>(cells.size());
  text_.reset(CreateCompatibleBitmap(screen.Get(), width, 2 * kGlyphCellHeight));
  if (!text_) return;
  const MemoryDcHandle target(CreateCompatibleDC(screen.Get()));
  const ScopedSelection targetBitmap(target.Get(), text_.Get());
  PatBlt(target.Get(), 0, 0, width, 2 * kGlyphCellHeight, BLACKNESS);
  if (!letters_) return;
  const MemoryDcHandle source(CreateCompatibleDC(screen.Get()));
  const ScopedSelection sourceBitmap(source.Get(), letters_.Get());
  int x = 0;
  for (const auto& cell : cells) {
    const int sx = kGlyphCellWidth * cell.glyph, sy = kGlyphCellHeight * cell.colourRow;
    BitBlt(target.Get(), x, 0, kGlyphCellWidth, kGlyphCellHeight, source.Get(), sx, sy, SRCCOPY);
    if (!cell.flashing)
      BitBlt(target.Get(), x, kGlyphCellHeight, kGlyphCellWidth, kGlyphCellHeight, source.Get(), sx, sy, SRCCOPY);
    x += kGlyphCellWidth;
  }
}

// The marquee moves in design pixels, a dot each, and is drawn at that size;
// on a screen of another scale the frame is stretched pixel for pixel, so the
// dots grow and stay sharp instead of the text shrinking.
void TDigMarquee::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  const int dpi = WindowDpi(Handle());
  const int width = std::max(1, MulDiv(client.right, kDesignDpi, dpi));
  const int height = std::max(1, MulDiv(client.bottom, kDesignDpi, dpi));
  // Drawn off screen first so the moving text does not flicker.
  const BitmapHandle frame(CreateCompatibleBitmap(dc, width, height));
  if (!frame) return;
  const MemoryDcHandle off(CreateCompatibleDC(dc));
  const ScopedSelection offBitmap(off.Get(), frame.Get());
  PatBlt(off.Get(), 0, 0, width, height, BLACKNESS);
  if (const auto blit = state_.Blit(height); blit && text_) {
    const MemoryDcHandle text(CreateCompatibleDC(dc));
    const ScopedSelection textBitmap(text.Get(), text_.Get());
    BitBlt(off.Get(), blit->left, blit->top, blit->width, blit->height, text.Get(), 0, blit->sourceTop, SRCCOPY);
  }
  if (width == client.right && height == client.bottom) {
    BitBlt(dc, 0, 0, width, height, off.Get(), 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);  // whole pixels: no blending of the dots
    StretchBlt(dc, 0, 0, client.right, client.bottom, off.Get(), 0, 0, width, height, SRCCOPY);
  }
}

LRESULT TDigMarquee::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      state_.SetControlWidth(static_cast<short>(MulDiv(LOWORD(lParam), kDesignDpi, WindowDpi(Handle()))));
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId) {
        application_.Guarded([&] { state_.Tick(); });
        PaintNow();
        return 0;
      }
      break;
    default: break;
  }
  return TPaintedControl::HandleMessage(message, wParam, lParam);
}

}  // namespace parvex
