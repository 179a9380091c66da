// The about and help windows opened from the main window, the marquee moving in
// the about box, and the letter bitmap inside parvex.exe.
#include <cstdint>
#include <set>

#include "e2e_fixture.h"
#include "platform/glyph_pictures.h"
#include "platform/win32/about_controls.h"

namespace e2e {
namespace {

using namespace parvex::about;

// Points the http protocol at a program that does not exist, so the shell has
// no browser to start; the association is put back afterwards.
class NoBrowser {
 public:
  static constexpr const char* kKey = "Software\\Classes\\http\\shell\\open\\command";
  NoBrowser() {
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
      return;
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    had_ = RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
    saved_ = value;
    set("\"C:\\no-browser-here\\browser.exe\" \"%1\"");
  }
  ~NoBrowser() {
    if (!key_) return;
    if (had_)
      set(saved_);
    else
      RegDeleteValueA(key_, nullptr);
    RegCloseKey(key_);
  }
  NoBrowser(const NoBrowser&) = delete;
  NoBrowser& operator=(const NoBrowser&) = delete;

 private:
  void set(const std::string& command) {
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
  }
  HKEY key_ = nullptr;
  bool had_ = false;
  std::string saved_;
};

class AboutHelpE2E : public ParvexE2E {
 protected:
  // Clicks the main window's button and gives the window it opened, once shown.
  HWND open(HWND main, int button, const char* windowClass) {
    click(findControl(main, button));
    HWND window = nullptr;
    waitUntil(
        [&] {
          window = findTopLevel(process->pid(), windowClass, 0);
          return visible(window);
        },
        kStepTimeout);
    return window;
  }

  static void expectClientSize(HWND window, int width, int height) {
    const RECT r = clientRect(window);
    EXPECT_EQ(r.right, width);
    EXPECT_EQ(r.bottom, height);
  }

  static void expectRect(HWND child, HWND parent, RECT expected) {
    const RECT r = rectIn(child, parent);
    EXPECT_EQ(r.left, expected.left);
    EXPECT_EQ(r.top, expected.top);
    EXPECT_EQ(r.right - r.left, expected.right);
    EXPECT_EQ(r.bottom - r.top, expected.bottom);
  }

  // The main window takes input again: enabled, and a click ticks a box.
  void expectMainUsable(HWND main) {
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kStepTimeout)) << "main window left disabled";
    HWND box = findControl(main, kCbNew);
    const bool before = checked(box);
    click(box);
    EXPECT_TRUE(waitUntil([&] { return checked(box) != before; }, kStepTimeout)) << "main window does not react";
  }

  Process* process = nullptr;
};

// The leftmost column of the strip with a lit dot, or -1.
int leftmostLit(const Image& image) {
  for (int x = 0; x < image.width; ++x)
    for (int y = 0; y < image.height; ++y) {
      const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
      if (image.rgb[i] | image.rgb[i + 1] | image.rgb[i + 2]) return x;
    }
  return -1;
}

// Whether every lit pixel of the strip is cyan, the colour the about box asks for.
bool allLitCyan(const Image& image) {
  for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
    if ((image.rgb[i] | image.rgb[i + 1] | image.rgb[i + 2]) &&
        (image.rgb[i] != 0 || image.rgb[i + 1] != 255 || image.rgb[i + 2] != 255))
      return false;
  return true;
}

TEST_F(AboutHelpE2E, AboutAndHelpOpenFromTheMainWindowAndCloseWithOkOrEscape) {
  HWND main = startShown(process);
  ASSERT_NE(main, nullptr);

  HWND help = open(main, kBtHelp, kHelpWindowClass);
  ASSERT_NE(help, nullptr) << "help window not shown";
  EXPECT_EQ(text(help), kHelpCaption);
  expectClientSize(help, kHelpClientWidth, kHelpClientHeight);
  EXPECT_FALSE(IsWindowEnabled(main)) << "help is not modal";
  HWND memo = findControl(help, kHelpMemo);
  ASSERT_NE(memo, nullptr);
  expectRect(memo, help, {8, 8, 521, 320});
  EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & ES_READONLY);
  const auto lines = linesOf(text(memo));
  // Line by line, trailing spaces and double spaces included.
  const std::vector<std::string> expected = {
      "Parvex 2000 will monitor the status of the files in up to 20 different folders ",
      "on your hard disk.  It does this by taking a snapshot of each folder when you ",
      "first activate the program.  Every minute or so (depending on the delay that ",
      "you select), it will check to see if any files were added, deleted or modified ",
      "and will sound an alarm if there where changes made.",
      "",
      "After you activate Parvex, the main screen will disappear and you will notice ",
      "that a new icon will appear in the system tray. To deactivate Parvex, simply ",
      "right click on the Parvex icon in the system tray and click on Exit.",
      "",
      "It is best not to set the timer too low which will result in performance ",
      "degradation.  If you have large directories and are using all entries then you ",
      "should not check them more than once per minute (60 seconds).",
      "",
      "Who can use PARVEX?  Well perhaps you are on a network and you have ",
      "an incoming directory, where others on the network deposit files for you.  As ",
      "soon as they transfer a file into your incoming directory you will be notified.",
      "",
      "Note that Parvex is not guaranteed to work on all systems.  It is free and ",
      "unsupported courtesy of Brenmark Corporation.  If you want any ",
      "changes",
      "or wish to have a custom version designed send an e-mail to ",
      kContactMail,
  };
  EXPECT_EQ(lines, expected);
  expectRect(findControl(help, IDOK), help, {215, 344, 97, 25});
  screenshot(help, "help-window");
  pressKey(findControl(help, IDOK), VK_ESCAPE);
  EXPECT_TRUE(closedWithin(help)) << "Escape did not close the help window";
  expectMainUsable(main);

  HWND about = open(main, kBtAbout, kAboutWindowClass);
  ASSERT_NE(about, nullptr) << "about box not shown";
  EXPECT_EQ(text(about), kAboutCaption);
  expectClientSize(about, kAboutClientWidth, kAboutClientHeight);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the about box is not modal";
  expectRect(findControl(about, kAboutPanel), about, {18, 10, 385, 254});
  expectRect(findControl(about, IDOK), about, {62, 277, 129, 27});
  expectRect(findControl(about, kBtWeb), about, {210, 277, 149, 27});
  expectRect(findControl(about, kGradientBack1), about, {0, 0, 420, 316});
  HWND marquee = findControl(about, kDigMarquee1);
  ASSERT_NE(marquee, nullptr);
  expectRect(marquee, about, {0, 316, 420, 21});
  EXPECT_EQ(text(findControl(about, kBtWeb)), "Brenmark Home Page");

  // The text comes in from the right: three frames, each with the text further left.
  int previous = kAboutClientWidth;
  for (int frame = 1; frame <= 3; ++frame) {
    Image strip;
    int left = -1;
    EXPECT_TRUE(waitUntil(
        [&] {
          strip = captureWindow(marquee);
          left = leftmostLit(strip);
          return left >= 0 && left < previous;
        },
        kStepTimeout))
        << "frame " << frame << " shows no text or did not move left (leftmost lit column " << left << ")";
    EXPECT_TRUE(allLitCyan(strip)) << "frame " << frame;
    previous = left;
    keepPicture(strip, "marquee-" + std::to_string(frame));
  }
  screenshot(about, "about-box");  // with the text under way
  click(findControl(about, IDOK));
  EXPECT_TRUE(closedWithin(about)) << "OK did not close the about box";
  expectMainUsable(main);

  about = open(main, kBtAbout, kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  pressKey(findControl(about, IDOK), VK_ESCAPE);
  EXPECT_TRUE(closedWithin(about)) << "Escape did not close the about box";
  help = open(main, kBtHelp, kHelpWindowClass);
  ASSERT_NE(help, nullptr);
  click(findControl(help, IDOK));
  EXPECT_TRUE(closedWithin(help)) << "OK did not close the help window";
  expectMainUsable(main);
}

TEST_F(AboutHelpE2E, HomePageWithoutABrowserShowsTheErrorAndTheBoxCloses) {
  NoBrowser noBrowser;
  HWND main = startShown(process);
  ASSERT_NE(main, nullptr);
  HWND about = open(main, kBtAbout, kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  click(findControl(about, kBtWeb));
  const MessageBoxSeen error = waitMessageBox(process->pid(), kStepTimeout);
  ASSERT_NE(error.window, nullptr) << "no error box";
  EXPECT_EQ(error.text, kWebBrowserError);
  dismiss(error.window);
  EXPECT_TRUE(closedWithin(about)) << "the about box stayed open";
  expectMainUsable(main);
}

// The letter bitmap as built into the program: 737 x 95, 16 colours, one
// colour per row of glyphs, dots only on the 5 x 9 grid, each glyph's picture
// its character's, glyph 41 blank.
TEST(LetterBitmap, ResourceInTheProgramHasItsGridAndColours) {
  HMODULE module = LoadLibraryExA(context().parvexExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceA(module, "DMLETTER", MAKEINTRESOURCEA(2));  // RT_BITMAP
  ASSERT_NE(found, nullptr) << "no DMLETTER bitmap";
  const auto* info = static_cast<const BITMAPINFO*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(info, nullptr);
  const BITMAPINFOHEADER& header = info->bmiHeader;
  EXPECT_EQ(header.biWidth, 737);
  EXPECT_EQ(header.biHeight, 95);
  ASSERT_EQ(header.biBitCount, 4);
  ASSERT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
  const DWORD colours = header.biClrUsed ? header.biClrUsed : 16;
  const auto* bits = reinterpret_cast<const std::uint8_t*>(info->bmiColors + colours);
  const int stride = ((737 * 4 + 31) / 32) * 4;
  const auto colourAt = [&](int x, int y) {
    const std::uint8_t pair = bits[(94 - y) * stride + x / 2];
    const RGBQUAD& c = info->bmiColors[x % 2 ? pair & 0x0F : pair >> 4];
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
  };
  const COLORREF rowColours[] = {RGB(0, 255, 0), RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 255, 255),
                                 RGB(255, 255, 255)};
  for (int row = 0; row < 5; ++row) {
    for (int glyph = 0; glyph < 67; ++glyph) {
      std::set<COLORREF> lit;
      int offGrid = 0;
      for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 11; ++x) {
          const COLORREF c = colourAt(11 * glyph + x, 19 * row + y);
          if (c == RGB(0, 0, 0)) continue;
          lit.insert(c);
          offGrid += x % 2 == 0 || y % 2 == 0;
        }
      EXPECT_EQ(offGrid, 0) << "glyph " << glyph << " row " << row;
      std::uint64_t picture = 0;
      for (int dot = 0; dot < 45; ++dot) {
        const bool lit = colourAt(11 * glyph + 1 + 2 * (dot % 5), 19 * row + 1 + 2 * (dot / 5)) != RGB(0, 0, 0);
        picture |= std::uint64_t{lit} << dot;
      }
      EXPECT_EQ(picture, parvex::testing::kGlyphPictures[glyph]) << "picture of glyph " << glyph << " row " << row;
      if (glyph == 41) {
        EXPECT_TRUE(lit.empty()) << "glyph 41 is not blank in row " << row;
      } else {
        ASSERT_EQ(lit.size(), 1u) << "glyph " << glyph << " row " << row;
        EXPECT_EQ(*lit.begin(), rowColours[row]) << "glyph " << glyph << " row " << row;
      }
    }
  }
  FreeLibrary(module);
}

}  // namespace
}  // namespace e2e
