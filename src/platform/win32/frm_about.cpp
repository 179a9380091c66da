#include "platform/win32/frm_about.h"

#include <shellapi.h>

#include <string>

#include "platform/win32/about_controls.h"
#include "runtime/win32/scoped_handle.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/scoped_selection.h"
#include "ui/win32/window_class.h"

namespace parvex {

namespace {

using namespace about;

constexpr const char* kBevelPanelClass = "TAboutPanel";
constexpr int kBevelWidth = 3;
constexpr int kMarqueeHeight = 21;
constexpr COLORREF kNavy = RGB(0, 0, 128);

// Nested one-pixel frames, light or dark on the top and left edges.
void frame3D(HDC dc, RECT& r, int topLeftColour, int bottomRightColour, int width) {
  for (int i = 0; i < width; ++i) {
    const RECT top{r.left, r.top, r.right, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom};
    const RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &top, GetSysColorBrush(topLeftColour));
    FillRect(dc, &left, GetSysColorBrush(topLeftColour));
    FillRect(dc, &bottom, GetSysColorBrush(bottomRightColour));
    FillRect(dc, &right, GetSysColorBrush(bottomRightColour));
    InflateRect(&r, -1, -1);
  }
}

// The panel behind the maker's details: a lowered outer and a raised inner
// bevel; its labels ask the form for their colours.
LRESULT CALLBACK BevelPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: return SendMessageA(GetParent(window), message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r{};
      GetClientRect(window, &r);
      frame3D(dc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, kBevelWidth);
      frame3D(dc, r, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, kBevelWidth);
      EndPaint(window, &ps);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

SIZE textSize(HFONT font, const char* text) {
  const WindowDcHandle screen = GetWindowDc(nullptr);
  const ScopedSelection selected(screen.Get(), font);
  SIZE size{};
  GetTextExtentPoint32A(screen.Get(), text, static_cast<int>(std::char_traits<char>::length(text)), &size);
  return size;
}

}  // namespace

TfrmAbout::TfrmAbout(TApplication& application, HWND owner)
    : TForm(application, kAboutWindowClass, kAboutCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
            owner, kAboutClientWidth, kAboutClientHeight),
      labelFont_("MS Sans Serif", PixelHeight{11}, true),
      buttonFont_("MS Sans Serif", 8),
      hints_(Handle()) {
  const int gradientHeight = kAboutClientHeight - kMarqueeHeight;
  gradientBack1_ = std::make_unique<TGradientBack>(Handle(), kGradientBack1);
  gradientBack1_->SetBounds({0, 0, kAboutClientWidth, gradientHeight});
  gradientBack1_->SetIsAllBlue(true);
  digMarquee1_ = std::make_unique<TDigMarquee>(
      application, Handle(), Bounds{0, gradientHeight, kAboutClientWidth, kMarqueeHeight}, kDigMarquee1);
  digMarquee1_->SetCaption(std::string("~4 come check out our home page and other shareware and freeware software "
                                       "by brenmark corporation at ") +
                           kWebAddress);
  digMarquee1_->SetSpeed(6);
  digMarquee1_->SetInterval(175);

  RegisterWindowClassOnce(GetModuleHandleA(nullptr), kBevelPanelClass, BevelPanelProc,
                          {0, nullptr, LoadCursorA(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
  const Bounds panel = ScaleBounds({18, 10, 385, 254}, WindowDpi(Handle()));
  panel_ = CreateWindowExA(WS_EX_CONTROLPARENT, kBevelPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           panel.left, panel.top, panel.width, panel.height, Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutPanel)), GetModuleHandleA(nullptr),
                           nullptr);
  const int line = designPixels(textSize(labelFont_.Handle(), "Ag").cy);
  addLabel("Parvex 2000 - monitor your directories", 16, 13, 353, line, SS_CENTER);
  navyLabels_[0] = addLabel("Compliments of:", 16, 72, 353, line, SS_CENTER);
  addLabel("Brenmark Corporation", 123, 94, 0, line, SS_LEFT);
  addLabel(kPostalStreet, 141, 112, 0, line, SS_LEFT);
  addLabel(kPostalTown, 97, 130, 0, line, SS_LEFT);
  navyLabels_[1] = addLabel(kOtherProgramsSentence, 15, 172, 355, 35, SS_LEFT);
  addLabel(kWebAddress, 12, 222, 361, line, SS_CENTER);

  okButton_ = CreateButton(Handle(), "OK", {62, 277, 129, 27}, IDOK, buttonFont_.Handle(), true);
  SetActiveControl(okButton_);
  btWeb_ = CreateButton(Handle(), "Brenmark Home Page", {210, 277, 149, 27}, kBtWeb, buttonFont_.Handle());
  hints_.Add(btWeb_, "Launch your browser to Brenmark Home Page");
  // The background lies under everything else.
  SetWindowPos(gradientBack1_->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  // Both buttons close the box; the home-page button opens the page first.
  OnClick(IDOK, [this] { Close(); });
  OnCommand(IDCANCEL, [this](int) { Close(); });
  OnClick(kBtWeb, [this] {
    btWebClick();
    Close();
  });
  CenterOnScreen();
}

int TfrmAbout::designPixels(int screenPixels) const {
  // Rounded up: a label the width of its text must not lose a pixel of it.
  const int dpi = WindowDpi(Handle());
  return (screenPixels * kDesignDpi + dpi - 1) / dpi;
}

HWND TfrmAbout::addLabel(const char* text, int left, int top, int width, int height, DWORD style) {
  // A width of 0 sizes the label to its text.
  if (width == 0) width = designPixels(textSize(labelFont_.Handle(), text).cx);
  return CreateLabel(panel_, text, {left, top, width, height}, labelFont_.Handle(), -1, style);
}

void TfrmAbout::btWebClick() {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(Handle(), "open", kHomePage, nullptr, nullptr, SW_SHOW));
  if (result <= 32) Application().ShowMessageBox(kWebBrowserError, Application().Title(), MB_OK | MB_ICONERROR);
}

LRESULT TfrmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const HWND label = reinterpret_cast<HWND>(lParam);
      const bool navy = label == navyLabels_[0] || label == navyLabels_[1];
      SetTextColor(dc, navy ? kNavy : RGB(0, 0, 0));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default: break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace parvex
