#include "app/monitor_cycle.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/alarm.h"
#include "net/net_errors.h"
#include "runtime/exceptions.h"
#include "runtime/string_routines.h"
#include "support/snapshot_fakes.h"

namespace parvex {
namespace {

using testing::FixedClock;
using testing::MemoryLister;

class BytewiseCollation final : public Collation {
 public:
  std::string sortKey(std::string_view text) const override { return std::string(text); }
};

class MemoryScreen final : public WatcherScreen, public MailFields {
 public:
  FolderSlots folderSlots() const override { return slots; }
  bool newFiles() const override { return optNew; }
  bool changedFiles() const override { return optChange; }
  bool deletedFiles() const override { return optDelete; }
  bool soundAlarmSelected() const override { return soundAlarm; }
  int intervalSeconds() override { return interval; }
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void makeReachable() override { reachable = true; }
  void hideSummaryPanel() override { summaryShown = false; }
  void showSummaryPanel() override {
    summaryShown = true;
    windowShown = true;
    caption = "Reactivate";
  }
  void setSummary(const std::vector<std::string>& lines) override { memo = lines; }
  void saveSettings() override {
    if (saveFails) throw Exception("Failed to set data for 'Nsecs'");
    ++saves;
  }
  void startTimer(int ms) override {
    if (timerFails) throw Exception(kTimerFailedMessage);
    timerMs = ms;
  }
  void stopTimer() override { timerMs = 0; }
  void setTrayActive(bool active) override { tray = active; }
  void hideWindow() override { windowShown = false; }
  void showWindow() override { windowShown = true; }
  void playAlarm() override {
    ++alarms;
    alarmWithTimer = timerMs;
  }
  void closeWindow() override { closed = true; }
  void terminateApplication() override { terminated = true; }
  MailRequest mailRequest() const override {
    MailRequest r;
    r.useMapi = false;
    r.recipients = SplitLines("a@x\r\n\r\nb@x");  // read from the memo as the window does
    r.subject = "subj";
    r.server = server;
    r.smtpSecurity = security;
    r.smtpUser = user;
    r.smtpPassword = password;
    r.smtpAuth = auth;
    r.oauthSignedIn = signedIn;
    return r;
  }

  FolderSlots slots;
  std::string server = "mail.example.com:587", user, password;
  SmtpSecurity security = SmtpSecurity::None;
  SmtpAuth auth = SmtpAuth::Password;
  bool signedIn = false;
  bool optNew = true, optChange = true, optDelete = true, soundAlarm = true;
  int interval = 5;
  std::vector<std::string> messages, memo;
  bool reachable = false, summaryShown = false, windowShown = true, tray = false;
  bool closed = false, terminated = false, timerFails = false, saveFails = false;
  std::string caption = "Activate";
  int saves = 0, timerMs = 0, alarms = 0, alarmWithTimer = -1;
};

class FakeSender final : public MailSender {
 public:
  void send(const MailRequest& request) override {
    ++sends;
    last = request;
    if (during) during();
    if (error) error();
    if (fail) throw Exception("connection refused");
  }
  int sends = 0;
  bool fail = false;
  MailRequest last;
  std::function<void()> during, error;
};

class MonitorCycleTest : public ::testing::Test {
 protected:
  MonitorCycleTest() : cycle(screen, screen, sender, lister, collation, clock) {
    screen.slots[6] = "C:\\w";
    lister.setFolder("C:\\w", {{"a.txt", 100}, {"b.txt", 200}});
  }
  MemoryScreen screen;
  FakeSender sender;
  MemoryLister lister;
  BytewiseCollation collation;
  FixedClock clock{CivilTime{2001, 2, 3, 4, 5, 6}};
  MonitorCycle cycle;
};

TEST_F(MonitorCycleTest, ActivationWithOneSlotSavesSnapshotsAndHides) {
  EXPECT_TRUE(cycle.btActivateClick());
  EXPECT_EQ(screen.saves, 1);
  EXPECT_EQ(cycle.startSnapshot().count(), 2u);
  EXPECT_EQ(screen.timerMs, 5000);
  EXPECT_TRUE(screen.tray);
  EXPECT_FALSE(screen.windowShown);
  EXPECT_TRUE(screen.messages.empty());
}

TEST_F(MonitorCycleTest, ActivationThatCannotSaveOrStartTheTimerStopsInReach) {
  screen.saveFails = true;
  EXPECT_THROW(cycle.btActivateClick(), Exception);
  EXPECT_EQ(cycle.startSnapshot().count(), 0u) << "no snapshot after a failed save";
  EXPECT_EQ(screen.timerMs, 0);

  screen.saveFails = false;
  screen.timerFails = true;
  EXPECT_THROW(cycle.btActivateClick(), Exception);
  EXPECT_TRUE(screen.reachable) << "without a timer the window must stay in reach";
  EXPECT_FALSE(screen.tray);
  EXPECT_TRUE(screen.windowShown);
}

TEST_F(MonitorCycleTest, RefusalsLeaveTheTimerOffAndTheWindowReachable) {
  struct Case {
    std::string slot;
    bool n, c, d;
    const char* message;
  };
  const Case cases[] = {
      {"", true, true, true, kNoDirectoriesMessage},
      {" \r\n\b ", true, true, true, kNoDirectoriesMessage},
      {"C:\\w", false, false, false, kNoOptionsMessage},
  };
  for (const auto& c : cases) {
    MemoryScreen s;
    FakeSender snd;
    MonitorCycle mc(s, s, snd, lister, collation, clock);
    s.slots[6] = c.slot;
    s.optNew = c.n;
    s.optChange = c.c;
    s.optDelete = c.d;
    s.summaryShown = true;
    EXPECT_FALSE(mc.btActivateClick());
    EXPECT_EQ(s.messages, std::vector<std::string>{c.message});
    EXPECT_TRUE(s.reachable);
    EXPECT_FALSE(s.summaryShown) << "Reactivate hides the panel even when refused";
    EXPECT_EQ(s.timerMs, 0);
    EXPECT_EQ(s.saves, 0);
    EXPECT_FALSE(s.tray);
  }
  // A sign-in that cannot work, or would send the password in clear, when mailing by SMTP.
  struct SignIn {
    std::string server, user, password;
    SmtpSecurity security;
    const char* message;  // null: activated
    SmtpAuth auth = SmtpAuth::Password;
    bool signedIn = false;
  };
  for (const SignIn& c :
       std::vector<SignIn>{{"mail.example.com", "me", "", SmtpSecurity::StartTls, kNoSmtpPasswordMessage},
                           {"mail.example.com:587", "me", "c2VhbGVk", SmtpSecurity::None, kSmtpPasswordInClearMessage},
                           {"LocalHost:25", "me", "c2VhbGVk", SmtpSecurity::None, nullptr},
                           {"mail.example.com", "me", "c2VhbGVk", SmtpSecurity::Implicit, nullptr},
                           {"mail.example.com", "", "c2VhbGVk", SmtpSecurity::None, nullptr},
                           {"mail.example.com", "", "", SmtpSecurity::Unknown, kUnknownSmtpSecurityMessage},
                           {"LocalHost:25", "me", "c2VhbGVk", SmtpSecurity::Unknown, kUnknownSmtpSecurityMessage},
                           {"smtp.office365.com", "me@x", "", SmtpSecurity::StartTls, nullptr, SmtpAuth::OAuth, true},
                           {"smtp.office365.com", "", "", SmtpSecurity::StartTls, kOAuthNeedsMailboxMessage,
                            SmtpAuth::OAuth, true},
                           {"LocalHost:25", "me@x", "", SmtpSecurity::None, kOAuthInClearMessage, SmtpAuth::OAuth, true},
                           {"smtp.gmail.com", "me@x", "", SmtpSecurity::Implicit, kOAuthNotSignedInMessage,
                            SmtpAuth::OAuth, false},
                           {"smtp.gmail.com", "me@x", "c2VhbGVk", SmtpSecurity::Implicit, kUnknownSmtpAuthMessage,
                            SmtpAuth::Unknown}}) {
    MemoryScreen s;
    FakeSender snd;
    MonitorCycle mc(s, s, snd, lister, collation, clock);
    s.slots[0] = "C:\\w";
    s.soundAlarm = false;
    s.server = c.server;
    s.user = c.user;
    s.password = c.password;
    s.security = c.security;
    s.auth = c.auth;
    s.signedIn = c.signedIn;
    EXPECT_EQ(mc.btActivateClick(), c.message == nullptr) << c.server;
    EXPECT_EQ(s.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}) << c.server;
    EXPECT_EQ(s.saves, c.message ? 0 : 1) << c.server;
  }
  // A tab is not blank, and one ticked option is enough.
  screen.slots[6] = "\t";
  screen.optNew = screen.optDelete = false;
  EXPECT_TRUE(cycle.btActivateClick());
}

TEST_F(MonitorCycleTest, SoundModeShowsTheSummaryStopsTheTimerThenAlarms) {
  cycle.btActivateClick();
  cycle.Timer1Timer();
  EXPECT_EQ(screen.alarms, 0);
  EXPECT_EQ(screen.memo.size(), 2u);  // date line and blank line only

  lister.setEntry("C:\\w", "c.txt", 300);
  cycle.Timer1Timer();
  EXPECT_TRUE(screen.summaryShown);
  EXPECT_EQ(screen.caption, "Reactivate");
  EXPECT_TRUE(screen.windowShown);
  EXPECT_EQ(screen.alarms, 1);
  EXPECT_EQ(screen.alarmWithTimer, 0);
  EXPECT_EQ(screen.memo, (std::vector<std::string>{"Date/Time 03/02/2001 04:05:06", " ", "Added C:\\w\\c.txt"}));

  // Reactivate takes the shown changes as the new baseline.
  EXPECT_TRUE(cycle.btActivateClick());
  EXPECT_FALSE(screen.summaryShown);
  EXPECT_TRUE(screen.memo.empty());
  cycle.Timer1Timer();
  EXPECT_EQ(screen.alarms, 1);
}

TEST_F(MonitorCycleTest, FilteredDifferencesAreNeverReported) {
  screen.optNew = false;
  cycle.btActivateClick();
  lister.setEntry("C:\\w", "new.txt", 1);
  for (int i = 0; i < 3; ++i) cycle.Timer1Timer();
  EXPECT_EQ(screen.alarms, 0);
  EXPECT_EQ(cycle.startSnapshot().count(), 2u);  // baseline kept
  // Once the option is ticked the same difference is reported.
  screen.optNew = true;
  cycle.Timer1Timer();
  EXPECT_EQ(screen.alarms, 1);
}

TEST_F(MonitorCycleTest, EmailModeSendsOnceThenRenewsTheBaseline) {
  screen.soundAlarm = false;
  cycle.btActivateClick();
  lister.removeEntry("C:\\w", "a.txt");
  cycle.Timer1Timer();
  ASSERT_EQ(sender.sends, 1);
  EXPECT_EQ(sender.last.body.back(), "Deleted C:\\w\\a.txt");
  EXPECT_EQ(sender.last.recipients, (std::vector<std::string>{"a@x", "", "b@x"}));
  EXPECT_TRUE(screen.memo.empty());
  EXPECT_EQ(screen.timerMs, 5000) << "the timer keeps running";
  EXPECT_FALSE(screen.windowShown);
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 1);
  // A change made while a mail is on its way is not swallowed by the new baseline.
  lister.setEntry("C:\\w", "b.txt", 201);
  sender.during = [&] { lister.setEntry("C:\\w", "during.txt", 1); };
  cycle.Timer1Timer();
  sender.during = nullptr;
  cycle.Timer1Timer();
  ASSERT_EQ(sender.sends, 3);
  EXPECT_EQ(sender.last.body.back(), "Added C:\\w\\during.txt");
}

TEST_F(MonitorCycleTest, FailedSendKeepsTheBaselineAndRetries) {
  screen.soundAlarm = false;
  cycle.btActivateClick();
  lister.setEntry("C:\\w", "b.txt", 201);
  sender.fail = true;
  EXPECT_THROW(cycle.Timer1Timer(), Exception);
  EXPECT_FALSE(cycle.inTick()) << "the guard is released on an error";
  sender.fail = false;
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 2);
  EXPECT_EQ(sender.last.body.back(), "Changed C:\\w\\b.txt");
}

TEST_F(MonitorCycleTest, TickInsideASendNeitherScansNorSends) {
  screen.soundAlarm = false;
  cycle.btActivateClick();
  lister.setEntry("C:\\w", "c.txt", 1);
  int listingsInside = -1;
  sender.during = [&] {
    const int before = lister.listings();
    cycle.Timer1Timer();  // dispatched while the send pumps messages
    listingsInside = lister.listings() - before;
  };
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 1);
  EXPECT_EQ(listingsInside, 0);
  // Afterwards ticks run again.
  sender.during = nullptr;
  lister.setEntry("C:\\w", "d.txt", 1);
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 2);
}

// A folder that cannot be listed (gone, a share away, a listing cut short) keeps
// its baseline: no entry of it is reported deleted, and on its return only what
// really changed is reported. Going and coming back are each told once.
TEST_F(MonitorCycleTest, FolderOutOfReachKeepsItsBaselineAndIsToldOnce) {
  const std::string header = "Date/Time 03/02/2001 04:05:06";
  screen.soundAlarm = false;
  screen.slots[2] = "C:\\other";
  lister.setFolder("C:\\other", {{"o.txt", 1}});
  ASSERT_TRUE(cycle.btActivateClick());
  for (const bool cutShort : {false, true}) {
    SCOPED_TRACE(cutShort ? "cut short" : "gone");
    const int before = sender.sends;
    if (cutShort)
      lister.cutShortFolder = "C:\\w";
    else
      lister.removeFolder("C:\\w");
    lister.setEntry("C:\\other", "during.txt", 5 + before);
    cycle.Timer1Timer();
    ASSERT_EQ(sender.sends, before + 1);
    const std::string why = cutShort ? "The network name is no longer available." : "The system cannot find the path specified.";
    const std::vector<std::string> expected{header, " ",
                                            (cutShort ? "Changed" : "Added") + std::string(" C:\\other\\during.txt"),
                                            "Could not list the folder C:\\w: " + why};
    EXPECT_EQ(sender.last.body, expected);
    cycle.Timer1Timer();
    EXPECT_EQ(sender.sends, before + 1) << "told once";

    lister.cutShortFolder.clear();
    lister.setFolder("C:\\w", {{"a.txt", 100}, {"b.txt", 200}, {"back.txt", 7}});
    cycle.Timer1Timer();
    ASSERT_EQ(sender.sends, before + 2);
    EXPECT_EQ(sender.last.body, (std::vector<std::string>{header, " ", "Added C:\\w\\back.txt",
                                                          "The folder C:\\w can be listed again."}));
    lister.removeEntry("C:\\w", "back.txt");
    cycle.Timer1Timer();
    ASSERT_EQ(sender.sends, before + 3);
  }
}

// At activation (the log-on start before the network drives are back) a folder
// out of reach neither stops monitoring nor is mailed whole when it appears.
TEST_F(MonitorCycleTest, FolderOutOfReachAtActivationGetsItsBaselineWhenFirstListed) {
  screen.soundAlarm = false;
  lister.removeFolder("C:\\w");
  ASSERT_TRUE(cycle.btActivateClick());
  EXPECT_TRUE(screen.messages.empty());
  cycle.Timer1Timer();
  ASSERT_EQ(sender.sends, 1);
  EXPECT_EQ(sender.last.body.back(), "Could not list the folder C:\\w: The system cannot find the path specified.");
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 1);
  lister.setFolder("C:\\w", {{"a.txt", 100}, {"b.txt", 200}});
  cycle.Timer1Timer();
  ASSERT_EQ(sender.sends, 2);
  EXPECT_EQ(sender.last.body,
            (std::vector<std::string>{"Date/Time 03/02/2001 04:05:06", " ", "The folder C:\\w can be listed again."}));
  lister.setEntry("C:\\w", "b.txt", 201);
  cycle.Timer1Timer();
  ASSERT_EQ(sender.sends, 3);
  EXPECT_EQ(sender.last.body.back(), "Changed C:\\w\\b.txt");

  // In sound mode the summary shows it; Reactivate keeps the folder's baseline.
  screen.soundAlarm = true;
  lister.removeFolder("C:\\w");
  cycle.Timer1Timer();
  EXPECT_EQ(screen.alarms, 1);
  EXPECT_EQ(screen.memo.back(), "Could not list the folder C:\\w: The system cannot find the path specified.");
  ASSERT_TRUE(cycle.btActivateClick());
  lister.setFolder("C:\\w", {{"a.txt", 100}, {"b.txt", 201}, {"c.txt", 1}});
  cycle.Timer1Timer();
  EXPECT_EQ(screen.memo, (std::vector<std::string>{"Date/Time 03/02/2001 04:05:06", " ", "Added C:\\w\\c.txt",
                                                   "The folder C:\\w can be listed again."}));
}

TEST_F(MonitorCycleTest, MenuAndExitPaths) {
  cycle.btActivateClick();
  cycle.Show1Click();
  EXPECT_EQ(screen.timerMs, 0);
  EXPECT_TRUE(screen.windowShown);
  EXPECT_EQ(screen.caption, "Activate");

  cycle.FormClose();
  EXPECT_EQ(screen.saves, 2);
  cycle.btCloseClick();
  EXPECT_TRUE(screen.closed);

  cycle.Exit1Click();
  EXPECT_FALSE(screen.tray);
  EXPECT_TRUE(screen.terminated);
  EXPECT_EQ(screen.saves, 2) << "Exit from the menu does not save";
}

class RecordingShell final : public AlarmShell {
 public:
  bool fileExists(const std::string& name) const override {
    asked = name;
    return exists;
  }
  void warningBeep() override { ++beeps; }
  long shellOpen(const std::string& name) override {
    opened.push_back(name);
    return result;
  }
  void errorBox(const std::string& text) override { boxes.push_back(text); }
  bool exists = true;
  long result = 42;
  int beeps = 0;
  mutable std::string asked;
  std::vector<std::string> opened, boxes;
};

TEST(PlayAlarmSound, BeepsOpensOrReportsTheFailure) {
  RecordingShell missing;
  missing.exists = false;
  playAlarmSound("", missing);
  EXPECT_EQ(missing.beeps, 1);
  EXPECT_TRUE(missing.opened.empty());
  EXPECT_TRUE(missing.boxes.empty());

  RecordingShell ok;
  playAlarmSound("C:\\alarm.bat", ok);
  EXPECT_EQ(ok.opened, std::vector<std::string>{"C:\\alarm.bat"});
  EXPECT_TRUE(ok.boxes.empty());

  RecordingShell failing;
  failing.result = 32;
  playAlarmSound("C:\\x.zzz", failing);
  EXPECT_EQ(failing.boxes, std::vector<std::string>{"Couldn't execute C:\\x.zzz"});
}

TEST(PlayAlarmSound, CutsTheNameAndTheMessage) {
  RecordingShell shell;
  shell.result = 2;
  const std::string longName(250, 'n');
  playAlarmSound(longName, shell);
  EXPECT_EQ(shell.asked.size(), 201u);
  EXPECT_EQ(shell.opened.at(0).size(), 201u);
  // The message's own cut leaves the whole (already cut) name in it.
  EXPECT_EQ(shell.boxes.at(0), "Couldn't execute " + std::string(201, 'n'));
}

TEST(FolderSlotTests, BlankAndDuplicateChecks) {
  EXPECT_TRUE(isBlank(""));
  EXPECT_TRUE(isBlank(" \r\n\b"));
  EXPECT_FALSE(isBlank("\t"));
  EXPECT_FALSE(isBlank(" a "));

  FolderSlots slots;
  slots[2] = "C:\\three";
  slots[8] = "C:\\nine";
  EXPECT_FALSE(notAlreadyMonitored(slots, 2, "C:\\nine"));
  EXPECT_TRUE(notAlreadyMonitored(slots, 2, "C:\\three"));  // its own text
  EXPECT_TRUE(notAlreadyMonitored(slots, 2, "c:\\NINE"));
  EXPECT_TRUE(notAlreadyMonitored(slots, 2, "C:\\nine\\"));
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

// An error box waits for a click in a message loop of its own; the watch goes on
// meanwhile, retrying the mail, and a second error opens no second box.
TEST_F(MonitorCycleTest, TicksGoOnWhileATickErrorIsShown) {
  screen.soundAlarm = false;
  cycle.btActivateClick();
  lister.setEntry("C:\\w", "c.txt", 1);
  sender.fail = true;
  int reports = 0;
  std::function<void(std::exception_ptr)> report = [&](std::exception_ptr error) {
    ++reports;
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "connection refused");
    }
    cycle.dispatchTick(report);  // fails again: no second box
    sender.fail = false;
    lister.setEntry("C:\\w", "d.txt", 1);
    cycle.dispatchTick(report);  // the server is back while the box still waits
  };
  cycle.dispatchTick(report);
  EXPECT_EQ(reports, 1);
  ASSERT_EQ(sender.sends, 3);
  EXPECT_EQ(sender.last.body, (std::vector<std::string>{"Date/Time 03/02/2001 04:05:06", " ", "Added C:\\w\\c.txt",
                                                        "Added C:\\w\\d.txt"}));
  EXPECT_FALSE(cycle.inTick());
  sender.fail = true;
  cycle.dispatchTick(report);
  EXPECT_EQ(sender.sends, 3) << "nothing new to send";
}

// Providers lock an account after a few failed sign-ins: a refused password is
// sent once, the changes wait, and new sign-in settings or Activate send them.
TEST_F(MonitorCycleTest, RefusedSignInIsNotTriedAgainUntilTheSettingsChange) {
  screen.soundAlarm = false;
  cycle.btActivateClick();
  lister.setEntry("C:\\w", "c.txt", 1);
  sender.error = [] { throw ESignInRefused("The server x refused the sign-in: 535 5.7.8 bad"); };
  EXPECT_THROW(cycle.Timer1Timer(), ESignInRefused);
  lister.setEntry("C:\\w", "d.txt", 1);
  for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(cycle.Timer1Timer());
  EXPECT_EQ(sender.sends, 1);
  sender.error = nullptr;
  cycle.signInSettingsChanged();
  cycle.Timer1Timer();
  ASSERT_EQ(sender.sends, 2);
  EXPECT_EQ(sender.last.body.size(), 4u) << "both changes, kept while the sign-in was refused";

  // A passing refusal (4xx) is tried again at the next scan; Activate also lifts a refusal.
  lister.setEntry("C:\\w", "e.txt", 1);
  sender.error = [] { throw EServerError("The server x refused the sign-in: 454 4.7.0 try later"); };
  EXPECT_THROW(cycle.Timer1Timer(), EServerError);
  EXPECT_THROW(cycle.Timer1Timer(), EServerError);
  EXPECT_EQ(sender.sends, 4);
  sender.error = [] { throw ESignInRefused("refused"); };
  EXPECT_THROW(cycle.Timer1Timer(), ESignInRefused);
  sender.error = nullptr;
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 5);
  ASSERT_TRUE(cycle.btActivateClick());
  lister.setEntry("C:\\w", "f.txt", 1);
  cycle.Timer1Timer();
  EXPECT_EQ(sender.sends, 6);

  // A revoked OAuth 2.0 sign-in likewise waits for the user's new sign-in.
  lister.setEntry("C:\\w", "g.txt", 1);
  sender.error = [] { throw EOAuthSignInExpired("sign in again"); };
  EXPECT_THROW(cycle.Timer1Timer(), EOAuthSignInExpired);
  lister.setEntry("C:\\w", "h.txt", 1);
  EXPECT_NO_THROW(cycle.Timer1Timer());
  EXPECT_EQ(sender.sends, 7);
}

}  // namespace
}  // namespace parvex
