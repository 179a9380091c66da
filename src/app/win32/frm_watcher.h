#pragma once
// TfrmWatcher: the configuration screen and host of the monitoring machinery.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/folder_slots.h"
#include "app/mail_stack.h"
#include "app/monitor_cycle.h"
#include "app/settings.h"
#include "app/win32/find_file_lister.h"
#include "app/win32/frm_smtp_security.h"
#include "app/win32/locale_collation.h"
#include "app/win32/shell_alarm.h"
#include "app/win32/win32_mail_platform.h"
#include "platform/mapi_send_message.h"
#include "platform/win32/folder_browse_dlg.h"
#include "platform/win32/popup_menu.h"
#include "platform/win32/tray_icon.h"
#include "runtime/string_routines.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/win32_user_clock.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"
#include "ui/win32/printer.h"
#include "ui/win32/save_dialog.h"

namespace parvex {

class TfrmWatcher final : public TForm, private WatcherScreen, private MailFields, private PopupMenu {
 public:
  // Builds the window and its components, runs the tray's after-load step (which
  // ends a second copy here), then FormCreate. autoStartRequested tells whether the
  // program start hid the window for auto-start.
  TfrmWatcher(TApplication& application, bool autoStartRequested);
  ~TfrmWatcher() override;

  void FormCreate();
  void ReadSettings();
  void WriteSettings();
  void btActivateClick();
  void Timer1Timer();
  void Show1Click();
  void Exit1Click();
  void btCloseClick();
  void sb1Click(int slot);
  void SpeedButton6Click();
  void rbSoundAlarmClick();
  void rbMAPIClick();
  void Button2Click();
  void btHelpClick();
  void btAboutClick();
  void playAlarmSound();
  void btPrintClick();
  void btAppendClick();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool CloseQuery() override;
  void Closing() override;

 private:
  // The controls and their pixel layout (watcher_layout.cpp).
  void createLayout();
  void createFoldersPage(HWND page);
  void createNotificationPage(HWND page);
  void createSummaryPanel();
  void createBottomRow();
  void drawRaisedCaption(const DRAWITEMSTRUCT& item);
  void createTray();
  void wireEvents();
  void btSmtpSecurityClick();
  WatcherSettings settingsFromScreen() const;
  void settingsToScreen(const WatcherSettings& s);
  // The change summary as the memo shows it.
  std::vector<std::string> summaryShown() const;

  // WatcherScreen
  FolderSlots folderSlots() const override;
  bool newFiles() const override;
  bool changedFiles() const override;
  bool deletedFiles() const override;
  bool soundAlarmSelected() const override;
  int intervalSeconds() override;
  void showMessage(const std::string& text) override;
  void makeReachable() override;
  void coverSettings(bool covered);
  void hideSummaryPanel() override;
  void showSummaryPanel() override;
  void setSummary(const std::vector<std::string>& lines) override;
  void saveSettings() override { WriteSettings(); }
  void startTimer(int milliseconds) override;
  void stopTimer() override;
  void setTrayActive(bool active) override;
  void hideWindow() override;
  void showWindow() override;
  void playAlarm() override { playAlarmSound(); }
  void closeWindow() override { Close(); }
  void terminateApplication() override;
  // MailFields
  MailRequest mailRequest() const override;
  // PopupMenu
  void Popup(int x, int y) override;

  bool autoStartRequested_;
  TFont font_;
  TFont summaryFont_;
  TFont captionFont_;
  BitmapHandle folderGlyph_;
  MenuHandle popupMenu1_;
  std::unique_ptr<THints> hints_;

  std::unique_ptr<TPageControl> pageControl2_;
  std::unique_ptr<TPageControl> pageControl1_;
  HWND scrollBox1_ = nullptr;
  std::array<HWND, kFolderSlotCount> ed_{};
  std::array<HWND, kFolderSlotCount> sb_{};
  std::unique_ptr<TSpinEdit> nSecs_;
  HWND cbNew_ = nullptr, cbChange_ = nullptr, cbDelete_ = nullptr;
  HWND rbSoundAlarm_ = nullptr, pnlAlarm_ = nullptr, edWave_ = nullptr;
  HWND speedButton6_ = nullptr, button2_ = nullptr, rbSendEmail_ = nullptr;
  HWND rbMAPI_ = nullptr, rbSMTP_ = nullptr, pnlSMTP_ = nullptr;
  HWND edServer_ = nullptr, edSender_ = nullptr, edEmail_ = nullptr;
  HWND btSmtpSecurity_ = nullptr;
  HWND meRecipients_ = nullptr, edSubject_ = nullptr;
  HWND cbAutoStart_ = nullptr, btHelp_ = nullptr, btAbout_ = nullptr;
  HWND btActivate_ = nullptr, btClose_ = nullptr;
  HWND panel1_ = nullptr, meSummary_ = nullptr, btPrint_ = nullptr, btAppend_ = nullptr;
  HBRUSH summaryBrush_ = nullptr;
  // The SMTP sign-in as read, written back unchanged with the other settings.
  SmtpSignIn signIn_;

  // The summary memo and the subject field as the MAPI sender reads them at send time.
  class MemoLines final : public TextLinesSource {
   public:
    explicit MemoLines(const HWND& memo) : memo_(memo) {}
    std::vector<std::string> Lines() const override { return SplitLines(GetText(memo_)); }

   private:
    const HWND& memo_;
  };
  class EditText final : public TextSource {
   public:
    explicit EditText(const HWND& edit) : edit_(edit) {}
    std::string Text() const override { return GetText(edit_); }

   private:
    const HWND& edit_;
  };

  FindFileLister lister_;
  UserLocaleCollation collation_;
  Win32UserClock clock_;
  MemoLines summaryLines_{meSummary_};
  EditText subjectText_{edSubject_};
  Win32MailPlatform mailPlatform_;
  MailStack mailStack_;
  ShellAlarm alarmShell_;
  MonitorCycle cycle_;  // after everything it is given
  TFolderBrowseDlg folderBrowseDlg1_;
  TPrintDialog printDialog1_;
  TSaveDialog saveDialog1_;
  std::unique_ptr<TTrayIcon> trayIcon1_;
};

}  // namespace parvex
