#include "platform/win32/dig_marquee.h"

#include "platform/dot_matrix_glyphs.h"
#include "ui/win32/window_class.h"

namespace parvex {

TDigMarquee::TDigMarquee(TApplication& application, HWND parent, Bounds b, int id)
    : application_(application), state_(b.width) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClassOnce(instance, kWindowClass, WindowProc, {0, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr});
  window_ = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, b.left, b.top, b.width,
                            b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // A program without the letter bitmap shows an empty strip.
  letters_ = TGdiBitmap(static_cast<HBITMAP>(LoadImageA(instance, "DMLETTER", IMAGE_BITMAP, 0, 0, 0)));
  renderText();
  startTimer();
}

TDigMarquee::~TDigMarquee() {
  if (window_) {
    KillTimer(window_, kTimerId);
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TDigMarquee::SetBounds(Bounds b) {
  SetWindowPos(window_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

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
    KillTimer(window_, kTimerId);
  paintNow();
}

void TDigMarquee::startTimer() { SetTimer(window_, kTimerId, state_.Interval(), nullptr); }

void TDigMarquee::renderText() {
  text_.reset();
  const auto& cells = state_.Cells();
  if (cells.empty()) return;
  TWindowDC screen(window_);
  const int width = kGlyphCellWidth * static_cast<int>(cells.size());
  text_ = TGdiBitmap(CreateCompatibleBitmap(screen.Handle(), width, 2 * kGlyphCellHeight));
  if (!text_) return;
  TMemoryDC target(screen.Handle(), text_.Handle());
  PatBlt(target.Handle(), 0, 0, width, 2 * kGlyphCellHeight, BLACKNESS);
  if (!letters_) return;
  TMemoryDC source(screen.Handle(), letters_.Handle());
  int x = 0;
  for (const auto& cell : cells) {
    const int sx = kGlyphCellWidth * cell.glyph, sy = kGlyphCellHeight * cell.colourRow;
    BitBlt(target.Handle(), x, 0, kGlyphCellWidth, kGlyphCellHeight, source.Handle(), sx, sy, SRCCOPY);
    if (!cell.flashing)
      BitBlt(target.Handle(), x, kGlyphCellHeight, kGlyphCellWidth, kGlyphCellHeight, source.Handle(), sx, sy,
             SRCCOPY);
    x += kGlyphCellWidth;
  }
}

void TDigMarquee::paint(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  // Drawn off screen first so the moving text does not flicker.
  TGdiBitmap frame(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!frame) return;
  TMemoryDC off(dc, frame.Handle());
  PatBlt(off.Handle(), 0, 0, client.right, client.bottom, BLACKNESS);
  if (const auto blit = state_.Blit(client.bottom); blit && text_) {
    TMemoryDC text(dc, text_.Handle());
    BitBlt(off.Handle(), blit->left, blit->top, blit->width, blit->height, text.Handle(), 0, blit->sourceTop,
           SRCCOPY);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, off.Handle(), 0, 0, SRCCOPY);
}

void TDigMarquee::paintNow() {
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
}

LRESULT CALLBACK TDigMarquee::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TDigMarquee*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      self->paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_SIZE:
      self->state_.SetControlWidth(static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId) {
        self->application_.Guarded([&] { self->state_.Tick(); });
        self->paintNow();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace parvex
