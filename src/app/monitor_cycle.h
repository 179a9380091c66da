#pragma once
// The monitoring cycle of the main window: activation, the timer tick's
// scan-compare-notify, the summary state and the exit paths. It reaches the window
// only through WatcherScreen, so the decisions run the same against a real window
// and an in-memory one.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "app/change_detection.h"
#include "app/folder_slots.h"
#include "app/smtp_sign_in.h"
#include "app/snapshot.h"
#include "app/watched_folders.h"
#include "net/smtp_security.h"
#include "runtime/user_clock.h"

namespace parvex {

class WatcherScreen : public ChangeOptions {
 public:
  virtual FolderSlots folderSlots() const = 0;
  virtual bool soundAlarmSelected() const = 0;
  // The interval field's value, already held in 5..600 by the field.
  virtual int intervalSeconds() = 0;

  virtual void showMessage(const std::string& text) = 0;
  // The taskbar entry is shown again and the window is marked to be shown.
  virtual void makeReachable() = 0;
  virtual void hideSummaryPanel() = 0;
  // Summary panel to the front, stay-on-top, "Reactivate", normal state, shown.
  virtual void showSummaryPanel() = 0;
  virtual void setSummary(const std::vector<std::string>& lines) = 0;
  virtual void saveSettings() = 0;
  // Raises when the timer cannot be created.
  virtual void startTimer(int milliseconds) = 0;
  virtual void stopTimer() = 0;
  virtual void setTrayActive(bool active) = 0;
  virtual void hideWindow() = 0;
  virtual void showWindow() = 0;
  virtual void playAlarm() = 0;
  virtual void closeWindow() = 0;
  virtual void terminateApplication() = 0;
};

// What the e-mail transports need of one notification. The cycle fills it from the
// screen; the transport sends it or raises.
struct MailRequest {
  bool useMapi = true;
  std::vector<std::string> recipients;  // as listed, empty lines included
  std::string subject;
  std::string server;
  std::string senderName;
  std::string senderAddress;
  std::vector<std::string> body;
  SmtpSecurity smtpSecurity = SmtpSecurity::None;
  std::string smtpUser;
  std::string smtpPassword;  // as stored: sealed, base64
  SmtpAuth smtpAuth = SmtpAuth::Password;
  OAuthRegistration oauth;
  bool oauthSignedIn = false;  // a refresh token is stored
};

class MailSender {
 public:
  virtual ~MailSender() = default;
  virtual void send(const MailRequest& request) = 0;
};

// The mail fields of the screen, read at the moment of sending.
class MailFields {
 public:
  virtual ~MailFields() = default;
  virtual MailRequest mailRequest() const = 0;
};

inline constexpr const char* kNoDirectoriesMessage =
    "You didn't select any directories.  Parvex will not be activated.";
inline constexpr const char* kTimerFailedMessage =
    "Parvex could not start its scan timer, so it is not monitoring. Close some programs and press Activate again.";
inline constexpr const char* kNoOptionsMessage =
    "You didn't select any notification options.  Parvex will not be activated.";
inline constexpr const char* kNoSmtpPasswordMessage =
    "You entered an SMTP user name but no password.  Parvex will not be activated.";
inline constexpr const char* kUnknownSmtpSecurityMessage =
    "The stored SMTP security setting is not one this version knows: choose it again in the \"Security...\" "
    "dialog.  Parvex will not be activated.";
inline constexpr const char* kSmtpPasswordInClearMessage =
    "The SMTP password would be sent without encryption: choose STARTTLS or SSL/TLS for this server.  Parvex will "
    "not be activated.";

inline constexpr const char* kUnknownSmtpAuthMessage =
    "The stored SMTP sign-in setting is not one this version knows: choose it again in the \"Security...\" "
    "dialog.  Parvex will not be activated.";
inline constexpr const char* kOAuthNeedsMailboxMessage =
    "Sign-in with OAuth 2.0 needs the mailbox address as the user name in the \"Security...\" dialog.  Parvex "
    "will not be activated.";
inline constexpr const char* kOAuthInClearMessage =
    "Sign-in with OAuth 2.0 needs an encrypted connection: choose STARTTLS or SSL/TLS in the \"Security...\" "
    "dialog.  Parvex will not be activated.";
inline constexpr const char* kOAuthNotSignedInMessage =
    "Sign in with OAuth 2.0 in the \"Security...\" dialog first.  Parvex will not be activated.";

class MonitorCycle {
 public:
  MonitorCycle(WatcherScreen& screen, const MailFields& mailFields, MailSender& sender, const DirectoryLister& lister,
               const Collation& collation, const UserClock& clock);

  // True when monitoring started. A folder out of reach does not stop it: the
  // folder gets its baseline when it is first listed whole.
  bool btActivateClick();
  // One tick; errors propagate (the baseline is kept, so the next tick retries).
  void Timer1Timer();
  // One tick as the timer dispatch runs it: an error is handed to report once the
  // tick is over, so ticks go on scanning and retrying while its error box waits
  // for a click. An error while a box is up is not shown in a second one.
  void dispatchTick(const std::function<void(std::exception_ptr)>& report);
  void ClearAndReload();
  // The user chose new sign-in settings: a refused sign-in may be tried again.
  void signInSettingsChanged() { signInRefused_ = false; }
  void sendEmailMessage();
  void showChanges();
  void Show1Click();
  void Exit1Click();
  void btCloseClick();
  // Saves the settings; an error propagates, so the window stays open.
  void FormClose();

  const SnapshotList& startSnapshot() const { return lbStart1_; }
  const std::vector<std::string>& summary() const { return summary_; }
  bool inTick() const { return inTick_; }
  bool signInRefused() const { return signInRefused_; }

 private:
  // Why the SMTP sign-in cannot be used as entered; null when it can (or is not used).
  const char* signInProblem() const;
  void runTick();

  WatcherScreen& screen_;
  const MailFields& mailFields_;
  MailSender& sender_;
  const DirectoryLister& lister_;
  const UserClock& clock_;
  SnapshotList lbStart1_;
  SnapshotList lbScan1_;
  std::vector<std::string> summary_;
  WatchedFolders folders_;
  // Folders gone out of reach or back, not yet told: they go with the next summary.
  std::vector<std::string> notices_;
  // The server refused the user name or password: signing in again with the same
  // ones would only count towards the provider locking the account.
  bool signInRefused_ = false;
  bool errorShown_ = false;
  // Set while a tick scans and notifies. A send lets window messages through, so a
  // tick can be dispatched inside it; that tick must not scan or send again.
  bool inTick_ = false;
};

}  // namespace parvex
