// The program at 96, 144 and 192 DPI (Wine takes the scale from the prefix's
// setting when a program starts): each window is laid out from its design at
// that scale, and no caption is cut. Screenshots of each window at each scale.
#include <cctype>
#include <cstdlib>

#include "e2e_fixture.h"

#include "platform/win32/about_controls.h"

namespace e2e {
namespace {

using parvex::about::kAboutWindowClass;

// The prefix's scale for programs started from now on; restored when the test ends.
class ScreenScale {
 public:
  explicit ScreenScale(DWORD dpi)
      : dpi_(dpi), value_("Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi_, sizeof dpi_) {}

 private:
  DWORD dpi_;
  ScopedUserValue value_;
};

std::string WithoutMnemonic(const std::string& caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

// The captions of the shown buttons, check boxes and one-line labels that the
// window's font (MS Sans Serif 8 at `dpi`) would cut; the font is made here
// with the same pixel height, so it measures the same.
std::vector<std::string> CutCaptions(HWND main, int dpi) {
  HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           "MS Sans Serif");
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  std::vector<std::string> cut;
  for (HWND c : descendants(main)) {
    const std::string kind = className(c);
    const std::string caption = WithoutMnemonic(text(c));
    if (!IsWindowVisible(c) || caption.empty() || (kind != "Button" && kind != "Static")) continue;
    RECT client{};
    GetClientRect(c, &client);
    // A label two lines high may wrap; a button's text needs its frame.
    if (kind == "Static" && client.bottom >= 2 * metrics.tmHeight) continue;
    const LONG style = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;
    const bool checkOrRadio = kind == "Button" && (style == BS_AUTOCHECKBOX || style == BS_AUTORADIOBUTTON ||
                                                   style == BS_CHECKBOX || style == BS_RADIOBUTTON);
    const bool push = kind == "Button" && !checkOrRadio && style != BS_GROUPBOX;
    int room = client.right;
    if (checkOrRadio) room -= MulDiv(16, dpi, 96);
    if (push) room -= MulDiv(6, dpi, 96);
    SIZE size{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    if (size.cx > room || metrics.tmHeight > client.bottom)
      cut.push_back("\"" + caption + "\" needs " + std::to_string(size.cx) + "x" + std::to_string(metrics.tmHeight) +
                    ", has " + std::to_string(room) + "x" + std::to_string(client.bottom));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  return cut;
}

// The shown pages of a tab control that do not fill its display area: that
// area keeps the same narrow border left, right and below (the control's own
// measure cannot be asked across processes).
std::vector<std::string> MisplacedPages(HWND tabs) {
  RECT area{};
  GetClientRect(tabs, &area);
  std::vector<std::string> wrong;
  for (HWND page : descendants(tabs)) {
    if (GetParent(page) != tabs || !IsWindowVisible(page)) continue;
    RECT r{};
    GetWindowRect(page, &r);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&r), 2);
    const long left = r.left, right = area.right - r.right, bottom = area.bottom - r.bottom;
    if (left < 0 || right < 0 || bottom < 0 || std::abs(left - right) > 2 || std::abs(left - bottom) > 2)
      wrong.push_back("page #" + std::to_string(GetDlgCtrlID(page)) + " has the borders " + std::to_string(left) +
                      " left, " + std::to_string(right) + " right, " + std::to_string(bottom) + " below");
  }
  return wrong;
}

TEST_F(ParvexE2E, LaidOutAndReadableAtEveryScale) {
  for (const int dpi : {96, 144, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    const ScreenScale scale(static_cast<DWORD>(dpi));
    Process* p = nullptr;
    HWND main = startShown(p);
    ASSERT_NE(main, nullptr);
    // The main window's client area is 403 x 405 design pixels.
    const RECT client = clientRect(main);
    EXPECT_NEAR(client.right, MulDiv(403, dpi, 96), 2);
    EXPECT_NEAR(client.bottom, MulDiv(405, dpi, 96), 2);
    const std::string at = "scale-" + std::to_string(dpi) + "-";
    for (const std::string& c : CutCaptions(main, dpi)) ADD_FAILURE() << "Folders page: " << c;
    for (const std::string& w : MisplacedPages(control(main, kPageControl2))) ADD_FAILURE() << w;
    screenshot(main, at + "folders-page");

    ASSERT_TRUE(selectTab(control(main, kPageControl2), 1));
    click(control(main, kRbSendEmail));
    click(control(main, kRbSMTP));
    ASSERT_TRUE(waitUntil([&] { return visible(control(main, kEdServer)); }, kStepTimeout));
    for (const std::string& c : CutCaptions(main, dpi)) ADD_FAILURE() << "Notification page: " << c;
    for (const std::string& w : MisplacedPages(control(main, kPageControl1))) ADD_FAILURE() << w;
    screenshot(main, at + "notification-page");

    click(control(main, kBtAbout));
    HWND about = findTopLevel(p->pid(), kAboutWindowClass, kStepTimeout);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(shownWithin(about, kStepTimeout));
    screenshot(about, at + "about-box");
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(hiddenWithin(about, kStepTimeout) || closedWithin(about));
    p->kill();
  }
}

}  // namespace
}  // namespace e2e
