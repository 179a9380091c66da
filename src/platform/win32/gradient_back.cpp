#include "platform/win32/gradient_back.h"

#include "platform/gradient_bands.h"
#include "ui/win32/dpi_scale.h"

namespace parvex {

namespace {

std::array<COLORREF, 256> colours(const GradientTable& table) {
  std::array<COLORREF, 256> result{};
  for (std::size_t i = 0; i < table.size(); ++i) result[i] = RGB(table[i].red, table[i].green, table[i].blue);
  return result;
}

// The parent's client area in design pixels, as bounds are given.
Bounds clientBoundsOf(HWND parent) {
  RECT client{};
  GetClientRect(parent, &client);
  const int dpi = WindowDpi(parent);
  return {0, 0, MulDiv(client.right, kDesignDpi, dpi), MulDiv(client.bottom, kDesignDpi, dpi)};
}

}  // namespace

TGradientBack::TGradientBack(HWND parent, int id)
    : TPaintedControl(kWindowClass, parent, clientBoundsOf(parent), id),
      blue_(colours(BlueGradientTable())),
      blend_(colours(BlendGradientTable())) {}

void TGradientBack::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  const auto& table = isAllBlue_ ? blue_ : blend_;
  const auto bands = GradientBands(client.bottom);
  for (int i = 0; i < kGradientBandCount; ++i) {
    const RECT band{0, bands[i].top, client.right, bands[i].top + bands[i].height};
    // An opaque empty text is the cheapest solid fill.
    SetBkColor(dc, table[i]);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
  }
}

}  // namespace parvex
