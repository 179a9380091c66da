#include "app/monitor_cycle.h"

#include <algorithm>
#include <utility>

#include "net/net_errors.h"

namespace parvex {

MonitorCycle::MonitorCycle(WatcherScreen& screen, const MailFields& mailFields, MailSender& sender,
                           const DirectoryLister& lister, const Collation& collation, const UserClock& clock)
    : screen_(screen),
      mailFields_(mailFields),
      sender_(sender),
      lister_(lister),
      clock_(clock),
      lbStart1_(collation),
      lbScan1_(collation) {}

bool MonitorCycle::btActivateClick() {
  screen_.hideSummaryPanel();
  const FolderSlots slots = screen_.folderSlots();
  if (std::all_of(slots.begin(), slots.end(), [](const std::string& s) { return isBlank(s); })) {
    screen_.showMessage(kNoDirectoriesMessage);
    screen_.makeReachable();
    return false;
  }
  if (!screen_.newFiles() && !screen_.changedFiles() && !screen_.deletedFiles()) {
    screen_.showMessage(kNoOptionsMessage);
    screen_.makeReachable();
    return false;
  }
  if (const char* problem = signInProblem()) {
    screen_.showMessage(problem);
    screen_.makeReachable();
    return false;
  }
  screen_.saveSettings();
  signInRefused_ = false;
  folders_.setSlots(screen_.folderSlots());
  ClearAndReload();
  try {
    screen_.startTimer(screen_.intervalSeconds() * 1000);
  } catch (...) {
    // Without a timer nothing would ever scan: the window must stay in reach.
    screen_.makeReachable();
    throw;
  }
  screen_.setTrayActive(true);
  screen_.hideWindow();
  return true;
}

const char* MonitorCycle::signInProblem() const {
  if (screen_.soundAlarmSelected()) return nullptr;
  const MailRequest r = mailFields_.mailRequest();
  if (r.useMapi) return nullptr;
  // Read as no security, a value this version does not know could send in clear
  // what the user meant to protect.
  if (r.smtpSecurity == SmtpSecurity::Unknown) return kUnknownSmtpSecurityMessage;
  if (r.smtpAuth == SmtpAuth::Unknown) return kUnknownSmtpAuthMessage;
  if (r.smtpAuth == SmtpAuth::OAuth) {
    // The token opens the whole mailbox: never in clear, not even on this computer.
    if (r.smtpUser.empty()) return kOAuthNeedsMailboxMessage;
    if (r.smtpSecurity == SmtpSecurity::None) return kOAuthInClearMessage;
    if (!r.oauthSignedIn) return kOAuthNotSignedInMessage;
    return nullptr;
  }
  if (r.smtpUser.empty()) return nullptr;
  if (r.smtpPassword.empty()) return kNoSmtpPasswordMessage;
  // A password never crosses a network in clear.
  if (r.smtpSecurity == SmtpSecurity::None && !ServerIsThisComputer(r.server)) return kSmtpPasswordInClearMessage;
  return nullptr;
}

void MonitorCycle::ClearAndReload() {
  summary_.clear();
  screen_.setSummary(summary_);
  // Into a list of its own: a folder out of reach keeps the lines of the old one.
  SnapshotList fresh(lbStart1_.collation());
  folders_.scan(fresh, lbStart1_, nullptr, lister_, notices_);
  lbStart1_ = std::move(fresh);
}

namespace {

struct TickGuard {
  explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~TickGuard() { flag_ = false; }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;
  bool& flag_;
};

}  // namespace

void MonitorCycle::Timer1Timer() {
  if (inTick_) return;
  const TickGuard guard(inTick_);
  runTick();
}

void MonitorCycle::dispatchTick(const std::function<void(std::exception_ptr)>& report) {
  if (inTick_) return;
  std::exception_ptr error;
  {
    const TickGuard guard(inTick_);
    try {
      runTick();
    } catch (...) {
      error = std::current_exception();
    }
  }
  // The box runs a message loop of its own, in which the next ticks scan and
  // retry: a mail server down at night must not halt the watch until morning.
  if (!error || errorShown_) return;
  const TickGuard shown(errorShown_);
  report(error);
}

void MonitorCycle::runTick() {
  folders_.scan(lbScan1_, lbStart1_, &lbStart1_, lister_, notices_);
  const bool different = areListBoxesDifferent(lbStart1_, lbScan1_, screen_, clock_, summary_);
  summary_.insert(summary_.end(), notices_.begin(), notices_.end());
  screen_.setSummary(summary_);
  if (!different && notices_.empty()) return;
  if (screen_.soundAlarmSelected()) {
    notices_.clear();
    showChanges();
  } else if (!signInRefused_) {
    sendEmailMessage();
  }
}

void MonitorCycle::sendEmailMessage() {
  MailRequest request = mailFields_.mailRequest();
  request.body = summary_;
  try {
    sender_.send(request);
  } catch (const ESignInRefused&) {
    signInRefused_ = true;
    throw;
  } catch (const EOAuthSignInExpired&) {
    // Only a new sign-in helps: asking the token address at every scan would not.
    signInRefused_ = true;
    throw;
  }
  // The scan the mail was made from becomes the baseline: listing again now
  // would swallow a change made while the mail was on its way.
  std::swap(lbStart1_, lbScan1_);
  notices_.clear();
  summary_.clear();
  screen_.setSummary(summary_);
}

void MonitorCycle::showChanges() {
  screen_.showSummaryPanel();
  // Off before the alarm, so its message box cannot be overtaken by another tick.
  screen_.stopTimer();
  screen_.playAlarm();
}

void MonitorCycle::Show1Click() {
  screen_.stopTimer();
  screen_.showWindow();
}

void MonitorCycle::Exit1Click() {
  screen_.setTrayActive(false);
  screen_.terminateApplication();
}

void MonitorCycle::btCloseClick() { screen_.closeWindow(); }

void MonitorCycle::FormClose() { screen_.saveSettings(); }

}  // namespace parvex
