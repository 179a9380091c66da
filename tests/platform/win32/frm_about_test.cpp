// The about box as the program builds it: the maker's details on the panel in
// their colours, and how it sets up its gradient and marquee.
#include "platform/win32/frm_about.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/about_controls.h"
#include "ui/win32/application.h"

namespace parvex {
namespace {

using namespace about;

BOOL CALLBACK collect(HWND child, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
  return TRUE;
}

TEST(AboutBox, DetailsGradientAndMarquee) {
  TApplication app(GetModuleHandleA(nullptr), "Parvex 2000");
  TfrmAbout about(app, nullptr);

  std::vector<HWND> labels;
  EnumChildWindows(GetDlgItem(about.Handle(), kAboutPanel), collect, reinterpret_cast<LPARAM>(&labels));
  const HDC dc = CreateCompatibleDC(nullptr);
  std::vector<std::pair<std::string, COLORREF>> shown;
  for (HWND label : labels) {
    char text[256] = {};
    GetWindowTextA(label, text, sizeof text);
    SendMessageA(about.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    shown.emplace_back(text, GetTextColor(dc));
  }
  DeleteDC(dc);
  const COLORREF black = RGB(0, 0, 0), navy = RGB(0, 0, 128);
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, COLORREF>>{{"Parvex 2000 - monitor your directories", black},
                                                                  {"Compliments of:", navy},
                                                                  {"Brenmark Corporation", black},
                                                                  {kPostalStreet, black},
                                                                  {kPostalTown, black},
                                                                  {kOtherProgramsSentence, navy},
                                                                  {kWebAddress, black}}));

  EXPECT_TRUE(about.GradientBack1().isAllBlue());
  const TDigMarquee& marquee = about.DigMarquee1();
  // "~4 " selects the cyan row; the letters do not flash.
  EXPECT_EQ(marquee.Caption(), std::string("~4 come check out our home page and other shareware and freeware software "
                                           "by brenmark corporation at ") +
                                   kWebAddress);
  EXPECT_EQ(marquee.Speed(), 6);
  EXPECT_EQ(marquee.Interval(), 175);
  EXPECT_EQ(marquee.Loops(), -1);
  EXPECT_EQ(marquee.FlashTicks(), 5);
  EXPECT_TRUE(marquee.Enabled());
}

}  // namespace
}  // namespace parvex
