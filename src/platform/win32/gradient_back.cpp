#include "platform/win32/gradient_back.h"

#include "platform/gradient_bands.h"
#include "ui/win32/window_class.h"

namespace parvex {

namespace {

std::array<COLORREF, 256> colours(const GradientTable& table) {
  std::array<COLORREF, 256> result{};
  for (std::size_t i = 0; i < table.size(); ++i) result[i] = RGB(table[i].red, table[i].green, table[i].blue);
  return result;
}

}  // namespace

TGradientBack::TGradientBack(HWND parent, int id)
    : blue_(colours(BlueGradientTable())), blend_(colours(BlendGradientTable())) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClassOnce(instance, kWindowClass, WindowProc, {0, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr});
  RECT client{};
  GetClientRect(parent, &client);
  window_ = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, client.right,
                            client.bottom, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                            nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TGradientBack::~TGradientBack() {
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TGradientBack::SetBounds(Bounds b) {
  SetWindowPos(window_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TGradientBack::paint(HDC dc) const {
  RECT client{};
  GetClientRect(window_, &client);
  const auto& table = isAllBlue_ ? blue_ : blend_;
  const auto bands = GradientBands(client.bottom);
  for (int i = 0; i < kGradientBandCount; ++i) {
    const RECT band{0, bands[i].top, client.right, bands[i].top + bands[i].height};
    // An opaque empty text is the cheapest solid fill.
    SetBkColor(dc, table[i]);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
  }
}

LRESULT CALLBACK TGradientBack::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TGradientBack*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (self) self->paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace parvex
