#include "app/monitor_cycle.h"

#include <algorithm>
#include <utility>

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
  try {
    ClearAndReload();
  } catch (const ListingCutShort& e) {
    // A cut start snapshot would report the missing entries as added later on.
    screen_.makeReachable();
    throw Exception(e.Message() + " Parvex will not be activated.");
  }
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
  if (r.useMapi || r.smtpUser.empty()) return nullptr;
  if (r.smtpPassword.empty()) return kNoSmtpPasswordMessage;
  // A password never crosses a network in clear.
  if (r.smtpSecurity == SmtpSecurity::None && !ServerIsThisComputer(r.server)) return kSmtpPasswordInClearMessage;
  return nullptr;
}

void MonitorCycle::ClearAndReload() {
  summary_.clear();
  screen_.setSummary(summary_);
  // Into a list of its own, so that a listing cut short leaves the baseline whole.
  SnapshotList fresh(lbStart1_.collation());
  TakeSnapshot(screen_.folderSlots(), fresh, lister_);
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
  const TickGuard guard(inTick_);
  try {
    runTick();
  } catch (...) {
    report(std::current_exception());
  }
}

void MonitorCycle::runTick() {
  try {
    TakeSnapshot(screen_.folderSlots(), lbScan1_, lister_);
  } catch (const ListingCutShort& e) {
    // The baseline stays, so nothing is reported from a partial listing.
    throw Exception(e.Message() + " The changes are checked again at the next scan.");
  }
  const bool different = areListBoxesDifferent(lbStart1_, lbScan1_, screen_, clock_, summary_);
  screen_.setSummary(summary_);
  if (!different) return;
  if (!screen_.soundAlarmSelected())
    sendEmailMessage();
  else
    showChanges();
}

void MonitorCycle::sendEmailMessage() {
  MailRequest request = mailFields_.mailRequest();
  request.body = summary_;
  sender_.send(request);
  try {
    ClearAndReload();
  } catch (const ListingCutShort&) {
    // The mail is out; the scan it came from is complete, so that becomes the
    // baseline rather than mailing the same changes again.
    std::swap(lbStart1_, lbScan1_);
  }
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
