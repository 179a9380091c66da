#include "app/monitor_cycle.h"

#include <algorithm>

namespace parvex {

MonitorCycle::MonitorCycle(WatcherScreen& screen, const MailFields& mailFields,
                           MailSender& sender, const DirectoryLister& lister,
                           const Collation& collation, const UserClock& clock)
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
  screen_.saveSettings();
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

void MonitorCycle::ClearAndReload() {
  summary_.clear();
  screen_.setSummary(summary_);
  TakeSnapshot(screen_.folderSlots(), lbStart1_, lister_);
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
  TakeSnapshot(screen_.folderSlots(), lbScan1_, lister_);
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
  ClearAndReload();
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
