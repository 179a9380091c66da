// The real program in e-mail mode: each change is mailed once to a real SMTP
// server on loopback (also over TLS, signed in), failures are shown and retried,
// and a slow server neither freezes the window nor gets a second send from
// overlapping ticks.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/password_seal.h"
#include "net/net_strings.h"
#include "mail_e2e_fixture.h"
#include "support/win32/linux_proc.h"
#include "support/win32/trusted_test_ca.h"

namespace e2e {
namespace {

TEST_F(ParvexMailE2E, EachChangeIsMailedOnceAndAFailedSendIsRetriedWhileItsErrorIsShown) {
  const std::string other = work + "\\other";
  CreateDirectoryA(other.c_str(), nullptr);
  putString("Start", "Dir2", other);
  HWND main = startMailing(sink(), {"root@localhost", "ops@example.com"});
  ASSERT_NE(main, nullptr);
  const int before = test::SinkMessageCount();
  writeFile(watched + "\\new.txt", "new");
  ASSERT_TRUE(messageArrives(before + 1, kTickTimeout)) << "no message within one interval";
  const std::string stored = test::SinkMessage(before + 1);
  for (const std::string& part :
       {std::string("From:     Parvex Monitor <monitor@example.com>\r\n"),
        std::string("To:       \"root@localhost\" <root@localhost>,\r\n"
                    "          \"ops@example.com\" <ops@example.com>\r\n"),
        std::string("Subject: Folder changed\r\n"), std::string("\r\nDate: "), std::string("\r\nMessage-ID: <"),
        std::string("Content-Type: text/plain"), std::string("\r\n \r\nAdded " + watched + "\\new.txt\r\n")})
    EXPECT_NE(stored.find(part), std::string::npos) << part << "\n--- in ---\n" << stored;
  EXPECT_EQ(test::SinkEnvelope(before + 1),
            "MAIL FROM:monitor@example.com\nRCPT TO:root@localhost\nRCPT TO:ops@example.com\n");
  EXPECT_FALSE(visible(main)) << "e-mail mode stays in the tray";

  EXPECT_TRUE(noMessageWithin(before + 2)) << "a tick without a change mailed again";

  // A refused connection is told at once, not at the socket layer's time-out.
  ASSERT_TRUE(setSinkPaused(true));
  writeFile(watched + "\\second.txt", "2");
  const MessageBoxSeen box = waitMessageBox(processes.back().pid(), kTickTimeout + 5000);
  ASSERT_NE(box.window, nullptr) << "a failed send must be shown";
  EXPECT_EQ(box.caption, kProgramTitle);
  EXPECT_NE(box.text.find(parvex::WinsockErrorText(10061)), std::string::npos) << box.text;
  // The box waits for a click, and the watch goes on: once the server is back the
  // kept change goes out with one made meanwhile in another folder.
  writeFile(other + "\\meanwhile.txt", "m");
  ASSERT_TRUE(setSinkPaused(false));
  ASSERT_TRUE(messageArrives(before + 2, 2 * kTickTimeout)) << "no scan or send while the error box waited";
  EXPECT_EQ(summaryOfMessage(before + 2),
            (std::vector<std::string>{"Added " + other + "\\meanwhile.txt", "Added " + watched + "\\second.txt"}));
  // Three intervals with the box open, and never a second one beside it.
  int mostBoxes = 0;
  waitUntil(
      [&] {
        int shown = 0;
        for (HWND w : topLevelWindows(processes.back().pid(), "#32770")) shown += IsWindowVisible(w) ? 1 : 0;
        mostBoxes = std::max(mostBoxes, shown);
        return false;
      },
      3 * 5000);
  EXPECT_EQ(mostBoxes, 1) << "error boxes were stacked";
  EXPECT_TRUE(IsWindow(box.window)) << "the box was closed by something else than a click";
  dismiss(box.window);
  EXPECT_TRUE(closedWithin(box.window));
  const MessageBoxSeen after = waitMessageBox(processes.back().pid(), 1000);
  EXPECT_EQ(after.window, nullptr) << "an error after the server was back: " << after.text;
  EXPECT_TRUE(noMessageWithin(before + 3)) << "the change was mailed twice";
  EXPECT_TRUE(processes.back().running());
}

TEST_F(ParvexMailE2E, NamesInEveryScriptAreMailedSoThatAStrictReceiverReadsThem) {
  watchScriptsFolder();
  const std::string sender =
      "\xC3\x9C"
      "berwachung \xE7\x9B\x91\xE8\xA7\x86";  // Überwachung 监视
  HWND main = startMailing(sink(), {"ops@example.com"}, sender);
  ASSERT_NE(main, nullptr);
  const int before = test::SinkMessageCount();
  ASSERT_TRUE(renameJapanToCafe());
  ASSERT_TRUE(messageArrives(before + 1, kTickTimeout))
      << "no message within one interval: " << waitMessageBox(processes.back().pid(), 100).text;
  const std::string received = test::SinkMessageAsReceived(before + 1);
  for (const std::string& part :
       {"From: " + sender + " <monitor@example.com>\n", std::string("To: \"ops@example.com\" <ops@example.com>\n"),
        std::string("Subject: Folder changed\n"), std::string("Defects: 0\n"),
        "\nDeleted " + watched + "\\" + kJapan + "\n", "\nAdded " + watched + "\\" + kCafe + "\n"})
    EXPECT_NE(received.find(part), std::string::npos) << part << "\n--- in ---\n" << received;
  EXPECT_EQ(received.find(kChina), std::string::npos) << received;
  EXPECT_EQ(received.find("\xEF\xBF\xBD"), std::string::npos) << "undecodable bytes\n" << received;
  EXPECT_NE(test::SinkMessage(before + 1).find("charset=\"utf-8\""), std::string::npos);
  EXPECT_TRUE(noMessageWithin(before + 2)) << "an unchanged name was reported";
}

TEST_F(ParvexMailE2E, SlowServerGetsOneSendWhileTheWindowAnswers) {
  HWND main = startMailing("127.0.0.1:" + std::to_string(test::FaultPort("slow_data")), {"ops@example.com"});
  ASSERT_NE(main, nullptr);
  const int before = test::FaultConnections("slow_data");
  writeFile(watched + "\\new.txt", "new");
  ASSERT_TRUE(waitUntil(
      [&] {
        return test::FaultTranscript("slow_data").find("D: ") != std::string::npos &&
               test::FaultConnections("slow_data") == before + 1;
      },
      kTickTimeout))
      << "the message did not reach the server";
  // The server holds its reply for 8 s; meanwhile the window answers at once, each
  // time it is asked until the client says QUIT (the send is over).
  const auto sendEnded = [] { return test::FaultTranscript("slow_data").find("C: QUIT") != std::string::npos; };
  int answered = 0;
  while (!sendEnded() && answered < 3) {
    EXPECT_TRUE(answers(main, 1000)) << "the window did not answer during the send";
    ++answered;
    waitUntil(sendEnded, 1500);
  }
  EXPECT_EQ(answered, 3) << "the send ended before the window was asked three times";
  ASSERT_TRUE(waitUntil(sendEnded, 30000)) << "the send did not end";
  // The ticks during the hold have run by now; one more interval shows whether any
  // of them left a second send behind: it would be a new connection.
  EXPECT_FALSE(waitUntil([&] { return test::FaultConnections("slow_data") > before + 1; }, kQuietTimeout))
      << "overlapping ticks sent again";
  EXPECT_EQ(waitMessageBox(processes.back().pid(), 200).window, nullptr);
}

TEST_F(ParvexMailE2E, SignsInOverStartTlsOrSslAndTellsAWrongPassword) {
  const std::string der = test::ReadFile(test::ServerDir() + "/ca.der");
  if (der.empty()) {
    if (test::ServersMustRun()) GTEST_FAIL() << "no test CA under CI";
    GTEST_SKIP() << "no test CA (no openssl on the Linux side)";
  }
  const test::TrustedTestCa ca(der);
  ASSERT_TRUE(ca.trusted()) << GetLastError();
  struct Case {
    const char* security;  // as stored: 1 STARTTLS, 2 SSL/TLS from the start
    const char* listener;
    const char* password;
    bool delivered;
  };
  int serial = 0;
  for (const Case& c : {Case{"1", "starttls", "secret", true}, Case{"2", "smtps", "secret", true},
                        Case{"1", "starttls", "wrong", false}}) {
    SCOPED_TRACE(std::string(c.listener) + " with password " + c.password);
    putString("Opts", "SmtpSecurity", c.security);
    putString("Opts", "SmtpUser", "user");
    putString("Opts", "SmtpPassword", parvex::SealPassword(parvex::UserSecretSealer(), c.password));
    const int port = std::atoi(test::ReadFile(test::ServerDir() + "/sink." + c.listener + ".port").c_str());
    ASSERT_NE(port, 0);
    // By name: the server's certificate is for localhost.
    const std::string server = "localhost:" + std::to_string(port);
    ASSERT_NE(startMailing(server, {"ops@example.com"}), nullptr);
    const int before = test::SinkMessageCount();
    const int refusedBefore = countLines(linesOf(test::ReadFile(test::ServerDir() + "/sink.signins")), "refused");
    const std::string name = "new" + std::to_string(++serial) + ".txt";
    writeFile(watched + "\\" + name, "new");
    if (c.delivered) {
      ASSERT_TRUE(messageArrives(before + 1, kTickTimeout))
          << "no message within one interval: " << waitMessageBox(processes.back().pid(), 100).text;
      EXPECT_NE(test::SinkMessage(before + 1).find("\r\nAdded " + watched + "\\" + name + "\r\n"), std::string::npos)
          << test::SinkMessage(before + 1);
      EXPECT_EQ(test::SinkEnvelope(before + 1), "MAIL FROM:monitor@example.com\nRCPT TO:ops@example.com\n");
    } else {
      const MessageBoxSeen box = waitMessageBox(processes.back().pid(), kTickTimeout);
      ASSERT_NE(box.window, nullptr) << "a refused sign-in must be shown";
      EXPECT_NE(box.text.find("The server " + server + " refused the sign-in: 535"), std::string::npos) << box.text;
      dismiss(box.window);
      EXPECT_TRUE(processes.back().running());
      EXPECT_EQ(test::SinkMessageCount(), before);
      // Providers lock an account after a few refusals: the wrong password is
      // not sent again at the next scans, and no second box comes.
      waitUntil([] { return false; }, 3 * 5000);
      EXPECT_EQ(countLines(linesOf(test::ReadFile(test::ServerDir() + "/sink.signins")), "refused"), refusedBefore + 1);
      EXPECT_EQ(waitMessageBox(processes.back().pid(), 200).window, nullptr);
    }
    processes.back().kill();
  }
}

// Processor time, in seconds, of the Linux processes that run parvex.exe. Wine's
// GetProcessTimes says nothing about another process, so Linux is asked.
double programCpuSeconds() {
  double total = 0;
  for (const std::string& pid : test::LinuxProcessesRunning("parvex.exe")) {
    const std::string stat = test::ReadProcFile("Z:\\proc\\" + pid + "\\stat");
    const std::size_t end = stat.rfind(')');  // the name may hold spaces
    if (end == std::string::npos) continue;
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) utime = std::stoull(field);
      if (i == 15) stime = std::stoull(field);
    }
    total += static_cast<double>(utime + stime) / 100.0;  // USER_HZ
  }
  return total;
}

// The SMTP client's temporary message files in the user's temporary folder.
int temporaryMessageFiles() {
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(sizeof folder, folder);
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((std::string(folder) + "mx*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileA(find, &found));
  FindClose(find);
  return count;
}

TEST_F(ParvexMailE2E, AHeldSendCostsNoProcessorAndClosingDuringItEndsTheProgram) {
  const int filesBefore = temporaryMessageFiles();
  HWND main = startMailing("127.0.0.1:" + std::to_string(test::FaultPort("held_data")), {"ops@example.com"});
  ASSERT_NE(main, nullptr);
  writeFile(watched + "\\new.txt", "new");
  ASSERT_TRUE(
      waitUntil([] { return test::FaultTranscript("held_data").find("D: ") != std::string::npos; }, kTickTimeout))
      << "the message did not reach the server";
  // The server now holds its reply: the program waits on it.
  const double before = programCpuSeconds();
  ASSERT_GT(before, 0) << "the program's processor time cannot be read";
  waitUntil([] { return false; }, 5000);  // a stretch of waiting, measured by the clock on purpose
  const double spent = programCpuSeconds() - before;
  std::printf("processor time over 5 s of a held send: %.2f s\n", spent);
  EXPECT_LT(spent, 1.0) << "the wait spins";

  // Closing the window during the send ends the program, not only its window.
  const DWORD closed = GetTickCount();
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(processes.back().waitExit(20000)) << "the program kept running after its window closed";
  std::printf("from the close to the end of the process: %lu ms\n",
              static_cast<unsigned long>(GetTickCount() - closed));
  EXPECT_EQ(test::FaultTranscript("held_data").find("C: QUIT"), std::string::npos) << "QUIT need not wait";
  EXPECT_EQ(temporaryMessageFiles(), filesBefore) << "the message's temporary file was left behind";
}

TEST_F(ParvexMailE2E, NoRecipientsIsToldAndTheProgramCarriesOn) {
  HWND main = startMailing(sink(), {});
  ASSERT_NE(main, nullptr);
  const int before = test::SinkMessageCount();
  writeFile(watched + "\\new.txt", "new");
  const MessageBoxSeen box = waitMessageBox(processes.back().pid(), kTickTimeout);
  ASSERT_NE(box.window, nullptr);
  EXPECT_NE(box.text.find("At least one Recipient, CC or BCC must be entered"), std::string::npos) << box.text;
  dismiss(box.window);
  EXPECT_TRUE(processes.back().running());
  EXPECT_EQ(test::SinkMessageCount(), before);
}

// "%41" and "+" as a mail composer reads them back from a mailto: URL.
std::string unescapeUrl(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST_F(ParvexMailE2E, MapiHandsEachChangeToTheMailClient) {
  const std::string handed = test::ServerDir() + "\\xdg-email.log";
  DeleteFileA(handed.c_str());
  HWND main = startMailing("", {"root@localhost", "ops@example.com"});
  ASSERT_NE(main, nullptr);
  // A name outside the ANSI code page. (Not kCafe: Wine's hand-off escapes the
  // characters below U+0100 as single bytes, the others in UTF-8.)
  writeFile(watched + "\\" + kChina, "new");
  ASSERT_TRUE(waitUntil([&] { return !test::ReadFile(handed).empty(); }, kTickTimeout))
      << "Wine's MAPI did not hand the message to the mail composer";
  const std::string url = unescapeUrl(test::ReadFile(handed));
  EXPECT_EQ(url.rfind("mailto:", 0), 0u) << url;
  for (const std::string& part :
       {std::string("root@localhost"), std::string("ops@example.com"), std::string("subject=Folder changed"),
        std::string("Date/Time "), std::string("Added " + watched + "\\" + kChina)})
    EXPECT_NE(url.find(part), std::string::npos) << part << " not in " << url;
  EXPECT_EQ(waitMessageBox(processes.back().pid(), 200).window, nullptr);
  // A second hand-off would be a second line: watched over more than an interval.
  EXPECT_FALSE(waitUntil([&] { return linesOf(test::ReadFile(handed)).size() > 1; }, kQuietTimeout))
      << "a tick without a change mailed again";
}

}  // namespace
}  // namespace e2e
