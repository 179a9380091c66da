#include "platform/win32/frm_help.h"

#include <string>

#include "platform/win32/about_controls.h"

namespace parvex {

namespace {

using namespace about;

// Several lines end in a space and some sentences are followed by two: kept.
std::string helpText() {
  const char* const lines[] = {
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
  std::string text;
  for (const char* line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace

TfrmHelp::TfrmHelp(TApplication& application, HWND owner)
    : TForm(application, kHelpWindowClass, kHelpCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
            owner, kHelpClientWidth, kHelpClientHeight),
      memoFont_("Arial", PixelHeight{15}),
      buttonFont_("MS Sans Serif", 8) {
  // No border, in the window's own colour: the text reads as part of the window.
  memo_ = CreateControl(Handle(), "EDIT", helpText(),
                        WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, {8, 8, 521, 320},
                        kHelpMemo, memoFont_.Handle());
  btOK_ = CreateButton(Handle(), "OK", {215, 344, 97, 25}, IDOK, buttonFont_.Handle(), true);
  SetActiveControl(btOK_);
  OnClick(IDOK, [this] { btOKClick(); });
  OnCommand(IDCANCEL, [this](int) { Close(); });
  CenterOnScreen();
}

LRESULT TfrmHelp::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:  // the read-only memo
      if (reinterpret_cast<HWND>(lParam) == memo_) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    default:
      break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace parvex
