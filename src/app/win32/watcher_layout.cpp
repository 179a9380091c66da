// The main window's controls where the design puts them, and the two pictures it draws.
#include "app/win32/watcher_layout.h"

#include "app/win32/frm_watcher.h"
#include "app/win32/watcher_controls.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/scoped_selection.h"

namespace parvex {

using namespace watcher;

namespace {

// A small yellow folder for the folder and file buttons.
BitmapHandle drawFolderGlyph() {
  const int dpi = WindowDpi(nullptr);
  const auto s = [dpi](int designPixels) { return ScaleToDpi(designPixels, dpi); };
  BitmapHandle bitmap;
  MemoryDcHandle dc;
  {
    const WindowDcHandle screen = GetWindowDc(nullptr);
    dc.reset(CreateCompatibleDC(screen.Get()));
    bitmap.reset(CreateCompatibleBitmap(screen.Get(), s(16), s(14)));
  }
  const ScopedSelection target(dc.Get(), bitmap.Get());
  RECT all{0, 0, s(16), s(14)};
  FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  const GdiHandle<HBRUSH> yellow(CreateSolidBrush(RGB(255, 224, 96)));
  const GdiHandle<HPEN> outline(CreatePen(PS_SOLID, s(1), RGB(128, 96, 0)));
  const ScopedSelection brush(dc.Get(), yellow.Get());
  const ScopedSelection pen(dc.Get(), outline.Get());
  Rectangle(dc.Get(), s(1), s(2), s(7), s(5));    // tab
  Rectangle(dc.Get(), s(1), s(4), s(15), s(13));  // body
  return bitmap;
}

}  // namespace

void TfrmWatcher::createLayout() {
  folderGlyph_ = drawFolderGlyph();
  summaryBrush_ = GetSysColorBrush(COLOR_BTNFACE);
  hints_ = std::make_unique<THints>(Handle());

  pageControl2_ =
      std::make_unique<TPageControl>(Handle(), Handle(), Bounds{4, 5, 397, 337}, kPageControl2, font_.Handle());
  createFoldersPage(pageControl2_->AddPage("Folders", kPageFolders));
  createNotificationPage(pageControl2_->AddPage("Notification", kPageNotification));
  AddPageControl(*pageControl2_);
  AddPageControl(*pageControl1_);
  createBottomRow();
  createSummaryPanel();
}

void TfrmWatcher::createFoldersPage(HWND page) {
  HFONT f = font_.Handle();
  CreateMnemonicLabel(page, "Folders to &monitor:", {8, 3, 150, 13}, f);
  scrollBox1_ = CreateScrollBox(page, Handle(), {8, 19, 373, 197}, kScrollBox1, 3 + kFolderSlotCount * 24);
  for (int i = 0; i < kFolderSlotCount; ++i) {
    const int top = 3 + i * 24;
    CreateLabel(scrollBox1_, IntToStr(i + 1) + ".", {0, top + 4, 17, 13}, f, kSlotLabelFirst + i);
    ed_[i] = CreateEdit(scrollBox1_, {18, top, 303, 21}, kEdFirst + i, f);
    sb_[i] = CreatePictureButton(scrollBox1_, folderGlyph_.Get(), {325, top, 22, 21}, kSbFirst + i);
    hints_->Add(sb_[i], "Click to select a directory");
  }
  CreateMnemonicLabel(page, "Scan folders &every n seconds:", {32, 237, 180, 13}, f);
  nSecs_ = std::make_unique<TSpinEdit>(page, Bounds{64, 263, 54, 21}, 119, kNSecs, kSpinner1, f, 5, 600);
  hints_->Add(nSecs_->Edit(), "Number of seconds to wait in between scanning the directories (5 .. 600)");
  CreateLabel(page, "Notify on:", {216, 224, 100, 13}, f);
  cbNew_ = CreateCheckBox(page, "&New files", {216, 244, 120, 17}, kCbNew, f);
  cbChange_ = CreateCheckBox(page, "&Changed files", {216, 264, 120, 17}, kCbChange, f);
  cbDelete_ = CreateCheckBox(page, "&Deleted files", {216, 284, 120, 17}, kCbDelete, f);
  SetChecked(cbNew_, true);
  SetChecked(cbChange_, true);
  SetChecked(cbDelete_, true);
}

void TfrmWatcher::createNotificationPage(HWND page) {
  HFONT f = font_.Handle();
  rbSoundAlarm_ = CreateRadioButton(page, "&Sound alarm on file change", {8, 16, 250, 17}, kRbSoundAlarm, f, true);
  pnlAlarm_ = CreatePanel(page, Handle(), {24, 40, 362, 52}, kPnlAlarm, false);
  CreateMnemonicLabel(pnlAlarm_, "Play this sound &file (*.WAV) when change is detected:", {8, 4, 340, 13}, f);
  edWave_ = CreateEdit(pnlAlarm_, {8, 24, 283, 21}, kEdWave, f);
  speedButton6_ = CreatePictureButton(pnlAlarm_, folderGlyph_.Get(), {295, 24, 22, 21}, kSpeedButton6);
  hints_->Add(speedButton6_, "Click to select a WAV (sound) file");
  button2_ = CreateButton(pnlAlarm_, "&Test", {320, 24, 36, 21}, kButton2, f);
  hints_->Add(button2_, "Play the sound file as a test");
  rbSendEmail_ = CreateRadioButton(page, "Send e-&mail on file change", {8, 104, 250, 17}, kRbSendEmail, f, false);
  SetChecked(rbSoundAlarm_, true);

  pageControl1_ = std::make_unique<TPageControl>(page, Handle(), Bounds{21, 131, 364, 171}, kPageControl1, f);
  HWND smtp = pageControl1_->AddPage("SMTP", kPageSmtp);
  HWND recipients = pageControl1_->AddPage("Recipients", kPageRecipients);
  HWND subject = pageControl1_->AddPage("Subject line", kPageSubject);

  rbMAPI_ = CreateRadioButton(smtp, "Use MAP&I to send e-mail", {8, 6, 200, 17}, kRbMAPI, f, true);
  rbSMTP_ = CreateRadioButton(smtp, "Use SMT&P to send e-mail", {8, 26, 200, 17}, kRbSMTP, f, false);
  SetChecked(rbMAPI_, true);
  btSmtpSecurity_ = CreateButton(smtp, "Securit&y...", {258, 22, 90, 23}, kBtSmtpSecurity, f);
  hints_->Add(btSmtpSecurity_, "Encryption and sign-in for the SMTP server");
  SetVisible(btSmtpSecurity_, false);
  pnlSMTP_ = CreatePanel(smtp, Handle(), {8, 48, 340, 84}, kPnlSMTP, false);
  CreateMnemonicLabel(pnlSMTP_, "SMTP Se&rver", {4, 7, 80, 13}, f);
  edServer_ = CreateEdit(pnlSMTP_, {88, 4, 240, 21}, kEdServer, f);
  CreateMnemonicLabel(pnlSMTP_, "Sender &name", {4, 33, 80, 13}, f);
  edSender_ = CreateEdit(pnlSMTP_, {88, 30, 240, 21}, kEdSender, f);
  CreateMnemonicLabel(pnlSMTP_, "Sender e-mai&l", {4, 59, 80, 13}, f);
  edEmail_ = CreateEdit(pnlSMTP_, {88, 56, 240, 21}, kEdEmail, f);
  SetVisible(pnlSMTP_, false);

  CreateMnemonicLabel(recipients, "List of recipient e-mail &addresses (one per line):", {8, 4, 340, 13}, f);
  meRecipients_ = CreateMemo(recipients, {8, 20, 340, 116}, kMeRecipients, f, false);
  CreateMnemonicLabel(subject, "Subject line on &e-mail", {8, 8, 340, 13}, f);
  edSubject_ = CreateEdit(subject, {8, 26, 340, 21}, kEdSubject, f);
  SetVisible(pageControl1_->Handle(), false);
}

void TfrmWatcher::createBottomRow() {
  HFONT f = font_.Handle();
  cbAutoStart_ =
      CreateCheckBox(Handle(), "Automatically bypass this screen on start-&up?", {32, 350, 300, 17}, kCbAutoStart, f);
  btHelp_ = CreateButton(Handle(), "&Help", {38, 376, 75, 25}, kBtHelp, f);
  btAbout_ = CreateButton(Handle(), "A&bout", {123, 376, 75, 25}, kBtAbout, f);
  btActivate_ = CreateButton(Handle(), "Activate", {207, 376, 75, 25}, kBtActivate, f, true);
  hints_->Add(btActivate_, "Take a snap-shot of directories and hide in the background");
  btClose_ = CreateButton(Handle(), "E&xit", {292, 376, 75, 25}, kBtClose, f);
  hints_->Add(btClose_, "Exit, Parvex will not scan directories");
}

void TfrmWatcher::createSummaryPanel() {
  panel1_ = CreatePanel(Handle(), Handle(), kPanel1Bounds, kPanel1, true);
  SetVisible(panel1_, false);
  const int w = kPanel1Bounds.width;
  CreateLabel(panel1_, "The following files have been", {0, 8, w - 4, 24}, captionFont_.Handle(), kSummaryCaption1,
              SS_OWNERDRAW);
  CreateLabel(panel1_, "changed, added or deleted.", {0, 32, w - 4, 24}, captionFont_.Handle(), kSummaryCaption2,
              SS_OWNERDRAW);
  meSummary_ = CreateMemo(panel1_, {8, 62, w - 20, 258}, kMeSummary, summaryFont_.Handle(), true);
  SendMessageA(meSummary_, EM_LIMITTEXT, 0, 0);  // no cap on the summary's length
  btPrint_ = CreateButton(panel1_, "&Print", {70, 334, 110, 25}, kBtPrint, font_.Handle());
  btAppend_ = CreateButton(panel1_, "&Append to text file", {210, 334, 120, 25}, kBtAppend, font_.Handle());
}

void TfrmWatcher::drawRaisedCaption(const DRAWITEMSTRUCT& item) {
  const std::string text = GetText(item.hwndItem);
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  // The label's own font: a move to a screen of another scale gives it a new one.
  const ScopedSelection font(dc, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
  RECT light = r;
  OffsetRect(&light, -1, -1);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawTextA(dc, text.c_str(), -1, &light, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  RECT shade = r;
  OffsetRect(&shade, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  DrawTextA(dc, text.c_str(), -1, &shade, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  SetTextColor(dc, kNavy);
  DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

}  // namespace parvex
