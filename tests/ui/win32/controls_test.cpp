#include "ui/win32/controls.h"

#include <gtest/gtest.h>

#include "runtime/exceptions.h"
#include "ui/win32/application.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/form.h"

namespace parvex {
namespace {

class TestForm final : public TForm {
 public:
  explicit TestForm(TApplication& app)
      : TForm(app, "TParvexTestForm", "test", WS_CAPTION | WS_SYSMENU, 0, nullptr, 400, 300) {}
  bool allowClose = true;
  int closeQueries = 0;

 protected:
  bool CloseQuery() override {
    ++closeQueries;
    return allowClose;
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest() : app(GetModuleHandleA(nullptr), "Parvex test"), form(app), font("MS Sans Serif", 8) {}
  TApplication app;
  TestForm form;
  TFont font;
};

TEST_F(ControlsTest, SpinEditHoldsItsValueInRangeAndShowsIt) {
  TSpinEdit spin(form.Handle(), {10, 10, 54, 21}, 65, 100, 101, font.Handle(), 5, 600);
  struct Case {
    const char* text;
    int value;
    const char* shown;
  };
  // WM_SETTEXT bypasses the digits-only style, as stored settings do.
  const Case cases[] = {{"60", 60, "60"}, {"0", 5, "5"},   {"4", 5, "5"},   {"601", 600, "600"},
                        {"", 5, "5"},     {"abc", 5, "5"}, {"007", 7, "7"}, {"9999999999", 600, "600"}};
  for (const auto& c : cases) {
    spin.SetText(c.text);
    EXPECT_EQ(spin.Value(), c.value) << c.text;
    EXPECT_EQ(spin.Text(), c.shown) << c.text;
  }
  // The spinner steps within the same range.
  spin.SetValue(600);
  SendMessageA(spin.Spinner(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_LE(spin.Value(), 600);
  EXPECT_TRUE(GetWindowLongA(spin.Edit(), GWL_STYLE) & ES_NUMBER);
  EXPECT_EQ(SendMessageA(spin.Edit(), EM_GETLIMITTEXT, 0, 0), 10);
}

// Moved to a monitor of twice the scale: every control, on a panel too, goes to
// twice its place and size, with a font twice as high, and the window to the
// place the system suggests.
TEST_F(ControlsTest, AnotherMonitorsScaleRelaysTheFormOut) {
  const int dpi = WindowDpi(form.Handle());
  HWND panel = CreatePanel(form.Handle(), form.Handle(), {10, 20, 200, 100}, 300, false);
  HWND button = CreateButton(panel, "OK", {4, 6, 75, 25}, 301, font.Handle());
  auto placeOf = [](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  auto fontHeight = [](HWND w) {
    LOGFONTA shape{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof shape, &shape);
    return shape.lfHeight;
  };
  const RECT before = placeOf(button);
  const LONG heightBefore = fontHeight(button);
  RECT suggested{100, 100, 900, 700};
  SendMessageA(form.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(2 * dpi, 2 * dpi),
               reinterpret_cast<LPARAM>(&suggested));
  const RECT after = placeOf(button);
  EXPECT_EQ(after.left, 2 * before.left);
  EXPECT_EQ(after.top, 2 * before.top);
  EXPECT_EQ(after.right - after.left, 2 * (before.right - before.left));
  EXPECT_EQ(placeOf(panel).right - placeOf(panel).left, 2 * ScaleToDpi(200, dpi));
  EXPECT_EQ(fontHeight(button), 2 * heightBefore);
  RECT outer;
  GetWindowRect(form.Handle(), &outer);
  EXPECT_EQ(outer.left, 100);
  EXPECT_EQ(outer.right - outer.left, 800);
}

TEST_F(ControlsTest, NestedContainersPassCommandsToTheForm) {
  TPageControl pages(form.Handle(), form.Handle(), {4, 5, 300, 200}, 200, font.Handle());
  HWND first = pages.AddPage("One", 201);
  HWND second = pages.AddPage("Two", 202);
  HWND panel = CreatePanel(second, form.Handle(), {5, 5, 200, 100}, 203, false);
  HWND button = CreateButton(panel, "Go", {5, 5, 60, 25}, 204, font.Handle());
  HWND scroll = CreateScrollBox(first, form.Handle(), {5, 5, 200, 80}, 205, 500);
  HWND inScroll = CreateCheckBox(scroll, "Deep", {5, 400, 80, 17}, 206, font.Handle());

  EXPECT_TRUE(IsShown(first));
  EXPECT_FALSE(IsShown(second));
  pages.SetActivePage(1);
  EXPECT_FALSE(IsShown(first));
  EXPECT_TRUE(IsShown(second));

  int clicks = 0, deepClicks = 0;
  form.OnClick(204, [&] { ++clicks; });
  form.OnClick(206, [&] { ++deepClicks; });
  SendMessageA(button, BM_CLICK, 0, 0);
  SendMessageA(inScroll, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(deepClicks, 1);
  EXPECT_TRUE(IsChecked(inScroll));

  // Scrolling the box moves its children up.
  RECT before, after;
  GetWindowRect(inScroll, &before);
  SendMessageA(scroll, WM_VSCROLL, SB_PAGEDOWN, 0);
  GetWindowRect(inScroll, &after);
  EXPECT_LT(after.top, before.top);

  // Bringing a row into view scrolls back up to it.
  ScrollIntoView(scroll, CreateCheckBox(scroll, "Top", {5, 3 - 76, 80, 17}, 207, font.Handle()));
  RECT box, top;
  GetWindowRect(scroll, &box);
  GetWindowRect(GetDlgItem(scroll, 207), &top);
  EXPECT_GE(top.top, box.top);
}

TEST_F(ControlsTest, HandlerErrorsGoToTheDefaultHandlerAndAbortIsSilent) {
  HWND button = CreateButton(form.Handle(), "Go", {5, 5, 60, 25}, 300, font.Handle());
  int after = 0;
  form.OnClick(300, [&] { throw EAbort("silent"); });
  SendMessageA(button, BM_CLICK, 0, 0);  // must neither crash nor show a box
  form.OnClick(300, [&] { ++after; });
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(after, 1);
}

TEST_F(ControlsTest, CloseQueryCanKeepTheFormOpen) {
  form.Show();
  form.allowClose = false;
  form.Close();
  EXPECT_FALSE(form.Closed());
  EXPECT_TRUE(form.Visible());
  form.allowClose = true;
  form.Close();
  EXPECT_TRUE(form.Closed());
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.closeQueries, 2);
}

// The one pump: a quit met while pumping ends the pump but stays queued for the
// main loop; the task-bar window, bound to the application, then passes a close
// on to the main window.
TEST_F(ControlsTest, QuitMetWhilePumpingIsKeptAndTheTaskbarWindowClosesTheMainWindow) {
  PostMessageA(form.Handle(), WM_NULL, 0, 0);
  PostQuitMessage(3);
  app.processMessages();
  EXPECT_TRUE(app.Terminated());
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);

  app.Run(form.Handle());  // terminated: only takes the main window
  SendMessageA(app.Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, form.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_TRUE(IsWindow(app.Handle()));
}

TEST_F(ControlsTest, LongTextRoundTrips) {
  HWND memo = CreateMemo(form.Handle(), {5, 5, 200, 100}, 400, font.Handle(), false);
  SendMessageA(memo, EM_LIMITTEXT, 0, 0);
  std::string big;
  for (int i = 0; i < 60; ++i) big += std::string(100, static_cast<char>('a' + i % 26)) + "\r\n";
  SetText(memo, big);
  EXPECT_EQ(GetText(memo), big);
  SetText(memo, "");
  EXPECT_EQ(GetText(memo), "");
}

}  // namespace
}  // namespace parvex
