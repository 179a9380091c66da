#include "app/win32/frm_watcher.h"

#include <commdlg.h>

#include "app/report_output.h"
#include "app/win32/browser_sign_in.h"
#include "app/win32/watcher_controls.h"
#include "app/win32/watcher_layout.h"
#include "platform/win32/frm_about.h"
#include "platform/win32/frm_help.h"
#include "runtime/exceptions.h"
#include "runtime/string_routines.h"
#include "runtime/text_file_append.h"
#include "ui/win32/dpi_scale.h"
#include "runtime/win32/registry.h"

namespace parvex {

using namespace watcher;

namespace {

const char kWaveFilter[] =
    "Wav files\0*.wav\0Doc files\0*.doc\0Program files\0*.exe\0Batch files\0*.bat\0"
    "Spreadsheet files\0*.xls\0All files\0*.*\0";

}  // namespace

TfrmWatcher::TfrmWatcher(TApplication& application, bool autoStartRequested)
    : TForm(application, kMainWindowClass, kMainWindowCaption, WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
            WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, application.Handle(), kDesignedClientWidth,
            kDesignedClientHeight),
      autoStartRequested_(autoStartRequested),
      font_("MS Sans Serif", 8),
      summaryFont_("Times New Roman", 10, true),
      captionFont_("Times New Roman", 14, true),
      mailPlatform_(application),
      mailStack_(mailPlatform_, application, summaryLines_, subjectText_),
      alarmShell_(Handle()),
      cycle_(*this, *this, mailStack_.mailer(), lister_, collation_, clock_),
      folderBrowseDlg1_(Handle()),
      saveDialog1_(".txt", "Text files|*.txt", "Append log to Parvex.txt file ") {
  createLayout();
  // The keyboard starts where a user starts: the first folder.
  SetActiveControl(ed_[0]);
  folderBrowseDlg1_.SetTitle("Directories to monitor");
  folderBrowseDlg1_.SetOptions(bfDirectoriesOnly);
  folderBrowseDlg1_.SetEnableOKButton(false);
  folderBrowseDlg1_.SetShowSelectionInStatus(false);

  popupMenu1_.reset(CreatePopupMenu());
  AppendMenuA(popupMenu1_.Get(), MF_STRING, kMenuShow1, "Show main menu");
  AppendMenuA(popupMenu1_.Get(), MF_STRING, kMenuExit1, "Exit");

  wireEvents();
  Application().SetDialogWindow(Handle());
  // A second copy of the program ends inside this, before anything is shown.
  createTray();
  Application().Guarded([&] { FormCreate(); });
}

TfrmWatcher::~TfrmWatcher() {
  KillTimer(Handle(), kTimer1);
  trayIcon1_.reset();
}

void TfrmWatcher::createTray() {
  trayIcon1_ = std::make_unique<TTrayIcon>(Application().Instance(), Application().Handle(), Application());
  trayIcon1_->SetIDMessage("Parvex");
  trayIcon1_->SetToolTip("Parvex (right click for options)");
  // The notification area's own size (16 at 100 %, 24 at 150 %, 32 at 200 %)
  // picked from the icon's images, not the 32-pixel one shrunk.
  trayIcon1_->SetIcon(static_cast<HICON>(LoadImageA(Application().Instance(), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                    LR_SHARED)));
  trayIcon1_->SetShowApp(false);
  trayIcon1_->SetPopupMenu(this);
  trayIcon1_->Loaded();
}

void TfrmWatcher::wireEvents() {
  for (int i = 0; i < kFolderSlotCount; ++i) {
    OnClick(kSbFirst + i, [this, i] { sb1Click(i); });
    OnCommand(kEdFirst + i, [this, i](int code) {
      if (code == EN_SETFOCUS) ScrollIntoView(scrollBox1_, ed_[i]);
    });
  }
  OnClick(kSpeedButton6, [this] { SpeedButton6Click(); });
  OnClick(kButton2, [this] { Button2Click(); });
  OnClick(kRbSoundAlarm, [this] { rbSoundAlarmClick(); });
  OnClick(kRbSendEmail, [this] { rbSoundAlarmClick(); });
  OnClick(kRbMAPI, [this] { rbMAPIClick(); });
  OnClick(kRbSMTP, [this] { rbMAPIClick(); });
  OnClick(kBtHelp, [this] { btHelpClick(); });
  OnClick(kBtAbout, [this] { btAboutClick(); });
  OnClick(kBtSmtpSecurity, [this] { btSmtpSecurityClick(); });
  OnClick(kBtActivate, [this] { btActivateClick(); });
  OnClick(IDOK, [this] { btActivateClick(); });
  OnClick(kBtClose, [this] { btCloseClick(); });
  OnClick(IDCANCEL, [this] { btCloseClick(); });
  OnClick(kBtPrint, [this] { btPrintClick(); });
  OnClick(kBtAppend, [this] { btAppendClick(); });
  OnClick(kMenuShow1, [this] { Show1Click(); });
  OnClick(kMenuExit1, [this] { Exit1Click(); });
  // The interval field shows the value in use as soon as it is left.
  OnCommand(kNSecs, [this](int code) {
    if (code == EN_KILLFOCUS) nSecs_->Value();
  });
  OnNotify(kPageControl2, [this](NMHDR& h) {
    if (h.code == TCN_SELCHANGE) pageControl2_->SelectionChanged();
  });
  OnNotify(kPageControl1, [this](NMHDR& h) {
    if (h.code == TCN_SELCHANGE) pageControl1_->SelectionChanged();
  });
}

void TfrmWatcher::FormCreate() {
  nSecs_->SetValue(60);
  // Cut the window to the configuration area; the right-hand part is never seen.
  SetOuterWidth(kPanel1Bounds.left + kPanel1Bounds.width + 4);
  CenterOnScreen();
  try {
    ReadSettings();
  } catch (...) {
    Application().HandleException(std::current_exception());
    // The panels still follow whatever choices were read.
    rbSoundAlarmClick();
    rbMAPIClick();
    // An auto-start hid the window; without settings it must come back.
    if (autoStartRequested_) makeReachable();
    return;
  }
  if (IsChecked(cbAutoStart_)) {
    try {
      btActivateClick();
    } catch (...) {
      Application().HandleException(std::current_exception());
      makeReachable();
    }
  }
  rbSoundAlarmClick();
  rbMAPIClick();
}

WatcherSettings TfrmWatcher::settingsFromScreen() const {
  WatcherSettings s;
  for (int i = 0; i < kFolderSlotCount; ++i) s.dirs[i] = GetText(ed_[i]);
  s.newFiles = IsChecked(cbNew_);
  s.changedFiles = IsChecked(cbChange_);
  s.deletedFiles = IsChecked(cbDelete_);
  s.wav = GetText(edWave_);
  nSecs_->Value();  // the saved text is the value in use
  s.nsecs = nSecs_->Text();
  s.autoStart = IsChecked(cbAutoStart_);
  s.soundAlarm = IsChecked(rbSoundAlarm_);
  s.mapi = IsChecked(rbMAPI_);
  s.server = GetText(edServer_);
  s.sender = GetText(edSender_);
  s.sendEmail = GetText(edEmail_);
  s.subject = GetText(edSubject_);
  s.recipients = SplitLines(GetText(meRecipients_));
  s.smtpSecurity = signIn_.security;
  s.smtpUser = signIn_.user;
  s.smtpPassword = signIn_.sealedPassword;
  s.smtpAuth = signIn_.auth;
  s.oauth = signIn_.oauth;
  return s;
}

void TfrmWatcher::settingsToScreen(const WatcherSettings& s) {
  for (int i = 0; i < kFolderSlotCount; ++i) SetText(ed_[i], s.dirs[i]);
  SetText(edWave_, s.wav);
  nSecs_->SetText(s.nsecs);
  nSecs_->Value();
  SetChecked(cbNew_, s.newFiles);
  SetChecked(cbChange_, s.changedFiles);
  SetChecked(cbDelete_, s.deletedFiles);
  SetChecked(cbAutoStart_, s.autoStart);
  SetChecked(rbSoundAlarm_, s.soundAlarm);
  SetChecked(rbSendEmail_, !s.soundAlarm);
  SetChecked(rbMAPI_, s.mapi);
  SetChecked(rbSMTP_, !s.mapi);
  SetText(edServer_, s.server);
  SetText(edSender_, s.sender);
  SetText(edEmail_, s.sendEmail);
  SetText(edSubject_, s.subject);
  SetText(meRecipients_, JoinLines(s.recipients));
  signIn_ = {s.smtpSecurity, s.smtpUser, s.smtpPassword, s.smtpAuth, s.oauth};
}

void TfrmWatcher::ReadSettings() {
  WatcherSettings s = settingsFromScreen();
  try {
    const TRegIniFile store(HKEY_CURRENT_USER, kSettingsKey);
    parvex::ReadSettings(store, s);
  } catch (...) {
    settingsToScreen(s);  // what was read before the error
    throw;
  }
  settingsToScreen(s);
}

void TfrmWatcher::WriteSettings() {
  const WatcherSettings s = settingsFromScreen();
  TRegIniFile store(HKEY_CURRENT_USER, kSettingsKey);
  parvex::WriteSettings(store, s);
}

void TfrmWatcher::btActivateClick() { cycle_.btActivateClick(); }

void TfrmWatcher::Timer1Timer() {
  cycle_.dispatchTick([this](std::exception_ptr e) { Application().HandleException(e); });
}

void TfrmWatcher::Show1Click() { cycle_.Show1Click(); }
void TfrmWatcher::Exit1Click() { cycle_.Exit1Click(); }
void TfrmWatcher::btCloseClick() { cycle_.btCloseClick(); }

bool TfrmWatcher::CloseQuery() {
  cycle_.FormClose();  // a failed save keeps the window open, nothing is lost
  return true;
}

void TfrmWatcher::Closing() {
  Hide();
  Application().Terminate();
}

void TfrmWatcher::sb1Click(int slot) {
  folderBrowseDlg1_.SetSelection(GetText(ed_[slot]));
  SetStayOnTop(false);
  if (!folderBrowseDlg1_.Execute()) return;
  const std::string chosen = folderBrowseDlg1_.Selection();
  if (notAlreadyMonitored(folderSlots(), slot, chosen))
    SetText(ed_[slot], chosen);
  else
    showMessage(kAlreadyMonitoredMessage + chosen);
}

void TfrmWatcher::SpeedButton6Click() {
  SetStayOnTop(false);
  std::string file = LeftStr(GetText(edWave_), 1023);
  file.resize(1024, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = kWaveFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameA(&ofn)) return;
  SetText(edWave_, file.c_str());
}

void TfrmWatcher::rbSoundAlarmClick() {
  SetVisible(pnlAlarm_, IsChecked(rbSoundAlarm_));
  SetVisible(pageControl1_->Handle(), !IsShown(pnlAlarm_));
}

void TfrmWatcher::rbMAPIClick() {
  SetVisible(pnlSMTP_, IsChecked(rbSMTP_));
  SetVisible(btSmtpSecurity_, IsChecked(rbSMTP_));
}

void TfrmWatcher::btSmtpSecurityClick() {
  SetStayOnTop(false);
  TfrmSmtpSecurity dialog(Application(), Handle(), signIn_, OAuthSignedIn(),
                          [this](const OAuthSettings& settings, const std::string& mailbox,
                                 const SignInProgress& progress) {
                            SignInInBrowser(Application(), Handle(), settings, mailbox, progress);
                          });
  dialog.ShowModal();
  if (!dialog.Result()) return;
  signIn_ = *dialog.Result();
  cycle_.signInSettingsChanged();
  mailStack_.ForgetAccessToken();
}

void TfrmWatcher::Button2Click() { playAlarmSound(); }

void TfrmWatcher::playAlarmSound() { parvex::playAlarmSound(GetText(edWave_), alarmShell_); }

void TfrmWatcher::btPrintClick() {
  SetStayOnTop(false);
  const std::optional<TPrinterDC> printer = printDialog1_.Execute(Handle());
  if (!printer) return;
  PrintLines(*printer, kProgramTitle, ReportLines(summaryShown(), clock_));
}

void TfrmWatcher::btAppendClick() {
  SetStayOnTop(false);
  saveDialog1_.SetFileName(pathPlusName(Application().ExeFolder(), kLogFileName));
  if (!saveDialog1_.Execute(Handle())) return;
  AppendToTextFile(saveDialog1_.FileName(), LogBlock(summaryShown(), clock_));
}

void TfrmWatcher::btHelpClick() {
  SetStayOnTop(false);
  TfrmHelp help(Application(), Handle());
  help.ShowModal();
}

void TfrmWatcher::btAboutClick() {
  SetStayOnTop(false);
  TfrmAbout about(Application(), Handle());
  about.ShowModal();
}

FolderSlots TfrmWatcher::folderSlots() const {
  FolderSlots slots;
  for (int i = 0; i < kFolderSlotCount; ++i) slots[i] = GetText(ed_[i]);
  return slots;
}

bool TfrmWatcher::newFiles() const { return IsChecked(cbNew_); }
bool TfrmWatcher::changedFiles() const { return IsChecked(cbChange_); }
bool TfrmWatcher::deletedFiles() const { return IsChecked(cbDelete_); }
bool TfrmWatcher::soundAlarmSelected() const { return IsChecked(rbSoundAlarm_); }
int TfrmWatcher::intervalSeconds() { return nSecs_->Value(); }

void TfrmWatcher::showMessage(const std::string& text) { Application().ShowMessage(text); }

void TfrmWatcher::makeReachable() {
  trayIcon1_->SetShowApp(true);
  Application().SetShowMainForm(true);
}

// The settings under the summary are hidden with it shown, so that the keys
// (Tab, the "&" letters) cannot reach what the user cannot see.
void TfrmWatcher::coverSettings(bool covered) {
  SetVisible(pageControl2_->Handle(), !covered);
  SetVisible(cbAutoStart_, !covered);
}

void TfrmWatcher::hideSummaryPanel() {
  SetVisible(panel1_, false);
  coverSettings(false);
}

void TfrmWatcher::showSummaryPanel() {
  coverSettings(true);
  const int margin = ScaleToDpi(2, WindowDpi(Handle()));
  SetWindowPos(panel1_, HWND_TOP, margin, margin, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetStayOnTop(true);
  SetText(btActivate_, "Reactivate");
  Restore();
  showWindow();
  // Else the keyboard stays where it was, under the panel or nowhere.
  FocusControl(meSummary_);
}

std::vector<std::string> TfrmWatcher::summaryShown() const { return summaryLines_.Lines(); }

void TfrmWatcher::setSummary(const std::vector<std::string>& lines) { SetText(meSummary_, JoinLines(lines)); }

void TfrmWatcher::startTimer(int milliseconds) {
  if (!SetTimer(Handle(), kTimer1, static_cast<UINT>(milliseconds), nullptr)) throw Exception(kTimerFailedMessage);
}

void TfrmWatcher::stopTimer() { KillTimer(Handle(), kTimer1); }

void TfrmWatcher::setTrayActive(bool active) { trayIcon1_->SetActive(active); }

void TfrmWatcher::hideWindow() {
  Hide();
  Application().SetShowMainForm(false);
}

void TfrmWatcher::showWindow() {
  Application().SetShowMainForm(true);
  Show();
}

void TfrmWatcher::terminateApplication() { Application().Terminate(); }

MailRequest TfrmWatcher::mailRequest() const {
  MailRequest r;
  r.useMapi = IsChecked(rbMAPI_);
  r.recipients = SplitLines(GetText(meRecipients_));
  r.subject = GetText(edSubject_);
  r.server = GetText(edServer_);
  r.senderName = GetText(edSender_);
  r.senderAddress = GetText(edEmail_);
  r.smtpSecurity = signIn_.security;
  r.smtpUser = signIn_.user;
  r.smtpPassword = signIn_.sealedPassword;
  r.smtpAuth = signIn_.auth;
  r.oauth = signIn_.oauth;
  r.oauthSignedIn = signIn_.auth == SmtpAuth::OAuth && OAuthSignedIn();
  return r;
}

void TfrmWatcher::Popup(int x, int y) {
  TrackPopupMenu(popupMenu1_.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, Handle(), nullptr);
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageA(Handle(), WM_NULL, 0, 0);
}

LRESULT TfrmWatcher::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == static_cast<WPARAM>(kTimer1)) {
        Timer1Timer();
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == static_cast<UINT>(kSummaryCaption1) || item->CtlID == static_cast<UINT>(kSummaryCaption2)) {
        drawRaisedCaption(*item);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == meSummary_) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kNavy);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(summaryBrush_);
      }
      break;
    case DM_GETDEFID: return MAKELRESULT(kBtActivate, DC_HASDEFID);
    default: break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace parvex
