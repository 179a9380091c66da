#pragma once
// The real program in e-mail mode against the loopback SMTP servers.
#include <windows.h>

#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "support/test_servers.h"

namespace e2e {

namespace test = parvex::test;

class ParvexMailE2E : public ParvexE2E {
 protected:
  void SetUp() override {
    ParvexE2E::SetUp();
    REQUIRE_SERVERS();
  }

  // E-mail mode on the watched folder, to the given SMTP server (or through MAPI
  // when the server is empty).
  HWND startMailing(const std::string& server, const std::vector<std::string>& recipients,
                    const std::string& sender = "Parvex Monitor") {
    putMailSettings(server, recipients, sender);
    return startMonitoringAutomatically();
  }
  void putMailSettings(const std::string& server, const std::vector<std::string>& recipients,
                       const std::string& sender = "Parvex Monitor") {
    putString("Start", "Dir1", watched);
    putString("Opts", "SoundAlarm", "0");
    putString("Opts", "MAPI", server.empty() ? "1" : "0");
    putString("Opts", "Server", server);
    putString("Opts", "Sender", sender);
    putString("Opts", "SendEmail", "monitor@example.com");
    putString("Opts", "Subject", "Folder changed");
    putString("Opts", "NumRecip", std::to_string(recipients.size()));
    for (std::size_t i = 0; i < recipients.size(); ++i)
      putString("Opts", ("Recip" + std::to_string(i + 1)).c_str(), recipients[i]);
  }

  static std::string sink() { return "127.0.0.1:" + std::to_string(test::SinkPort()); }
  static bool messageArrives(int n, DWORD timeout) {
    return waitUntil([n] { return !test::SinkMessage(n).empty(); }, timeout);
  }
  // The sink stops or starts listening; it says so by its sink.paused file.
  static bool setSinkPaused(bool paused) {
    const std::string flag = test::ServerDir() + "\\sink.pause";
    if (paused) {
      writeFile(flag, "paused");
    } else {
      DeleteFileA(flag.c_str());
    }
    const std::string state = test::ServerDir() + "\\sink.paused";
    return waitUntil([&] { return fileExists(state) == paused; }, kStepTimeout);
  }
  // For what must not happen (a second mail): nothing marks a tick that sent
  // nothing, so the sink is watched for the message over more than an interval.
  static bool noMessageWithin(int n) { return !messageArrives(n, kQuietTimeout); }
  // The lines of message n's summary after its date and blank lines.
  static std::vector<std::string> summaryOfMessage(int n) {
    std::vector<std::string> lines = linesOf(test::SinkMessageAsReceived(n));
    const auto date = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Date/Time ", 0) == 0; });
    if (date == lines.end() || lines.end() - date < 2) return {};
    return {date + 2, lines.end()};
  }
};


}  // namespace e2e
