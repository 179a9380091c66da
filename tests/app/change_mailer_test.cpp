// The mail stack, set up as the window uses it, sends through MAPI without a dialog
// and with the window's memo and subject, and a summary mailed by SMTP reaches a
// real server complete, with its origination fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "app/mail_stack.h"
#include "net/net_errors.h"
#include "support/message_of.h"
#include "support/test_servers.h"

namespace parvex {
namespace {

class CountingPump final : public MessagePump {
 public:
  int turns = 0;
  std::function<void()> onTurn;
  void processMessages() override {
    ++turns;
    if (onTurn) onTurn();
  }
};

class FixedOrigin final : public MailOrigin {
 public:
  Moment Now() override { return {{2026, 12, 8, 5, 48, 4}, 60, 1796708884}; }
  unsigned ProcessId() override { return 4242; }
  std::string HostName() override { return "watcher.example"; }
};

class SilentMapi final : public mapi::SimpleMapi {
 public:
  std::vector<std::string> resolved;
  int sends = 0;
  mapi::Ulong sendFlags = 0;
  std::string subject, text;
  bool Bound(mapi::Function) override { return true; }
  mapi::Ulong Logon(mapi::UiParam, char*, char*, mapi::Ulong, mapi::Ulong, mapi::Handle* s) override {
    *s = 1;
    return 0;
  }
  mapi::Ulong SendMail(mapi::Handle, mapi::UiParam, mapi::MapiMessage* m, mapi::Ulong flags, mapi::Ulong) override {
    ++sends;
    sendFlags = flags;
    subject = m->lpszSubject ? m->lpszSubject : "";
    text = m->lpszNoteText ? m->lpszNoteText : "";
    return 0;
  }
  mapi::Ulong FreeBuffer(void*) override { return 0; }
  mapi::Ulong ResolveName(mapi::Handle, mapi::UiParam, char* name, mapi::Ulong, mapi::Ulong,
                          mapi::MapiRecipDesc** out) override {
    resolved.emplace_back(name);
    *out = &record_;
    return 0;
  }

 private:
  mapi::MapiRecipDesc record_{};
};

class NoHost final : public MapiSendHost {
 public:
  mapi::UiParam ApplicationWindow() override { return 0; }
  void SetWaitCursor(bool) override {}
  std::string ExpandFileName(const std::string& name) override { return name; }
};

class TestPlatform final : public MailPlatform {
 public:
  SilentMapi mapiCalls;
  SocketHost& socketHost() override { return test::Host(); }
  MessagePump& socketPump() override { return test::Pump(); }
  mapi::SimpleMapi& simpleMapi() override { return mapiCalls; }
  MapiSendHost& mapiSendHost() override { return host_; }
  MailOrigin& mailOrigin() override { return origin_; }
  HttpsPoster& tokenPoster() override { return poster; }
  RefreshTokenStore& refreshTokens() override { return tokens; }

  // The token address: answers every refresh with a new access token.
  struct Poster final : HttpsPoster {
    Answer PostForm(const std::string& url, const std::string& body) override {
      requests.push_back(url + " " + body);
      return {200, R"({"access_token":"current-token","token_type":"Bearer","expires_in":3600})"};
    }
    std::vector<std::string> requests;
  } poster;
  struct Tokens final : RefreshTokenStore {
    std::string Load() override { return stored; }
    void Save(const std::string& token) override { stored = token; }
    std::string stored = "refresh-1";
  } tokens;

 private:
  NoHost host_;
  FixedOrigin origin_;
};

class FixedLines final : public TextLinesSource {
 public:
  std::vector<std::string> Lines() const override { return {"Added C:\\new.txt", "Deleted C:\\old.txt"}; }
};
class FixedText final : public TextSource {
 public:
  std::string Text() const override { return "Subject field"; }
};

struct Components {
  CountingPump pump;
  TestPlatform platform;
  FixedLines memo;
  FixedText subjectField;
  MailStack stack{platform, pump, memo, subjectField};
  SilentMapi& mapiCalls = platform.mapiCalls;
  TMapiSendMessage& mapi = stack.mapiSndMsg();
  TmxSMTP& smtp = stack.mxSMTP1();
  MailSender& mailer = stack.mailer();
  Components() { smtp.SetTimeOut(10); }
};

TEST(ChangeMailer, MapiGetsEveryRecipientLineInOrder) {
  Components c;
  c.mapi.SetToRecipients({"stale"});
  MailRequest r;
  r.useMapi = true;
  r.recipients = {"a@example.com", "", "b@example.com"};
  c.mailer.send(r);
  EXPECT_EQ(c.mapiCalls.resolved, (std::vector<std::string>{"a@example.com", "", "b@example.com"}));
  EXPECT_EQ(c.mapiCalls.sends, 1);
  // A change found in the background goes out without the mail client's dialog.
  EXPECT_EQ(c.mapiCalls.sendFlags & mapi::kDialog, 0u);
  EXPECT_EQ(c.mapiCalls.subject, "Subject field");
  EXPECT_NE(c.mapiCalls.text.find("Added C:\\new.txt"), std::string::npos) << c.mapiCalls.text;
  EXPECT_NE(c.mapiCalls.text.find("Deleted C:\\old.txt"), std::string::npos) << c.mapiCalls.text;
}

TEST(ChangeMailer, OriginationFieldsAreStampedAndReplacedAtEachSend) {
  EXPECT_EQ(RfcDate({2026, 12, 8, 5, 48, 4}, 60), "Tue, 08 Dec 2026 05:48:04 +0100");
  EXPECT_EQ(RfcDate({2024, 2, 29, 23, 0, 9}, -330), "Thu, 29 Feb 2024 23:00:09 -0530");
  EXPECT_EQ(MakeMessageId(17, 3, 2, "bad host"), "<17.3.2@localhost>");
  for (const auto& [sender, domain] : std::vector<std::pair<std::string, std::string>>{
           {"monitor@example.com", "example.com"}, {"ops@mail.example.org>", "mail.example.org"},
           {"me@vm", "host"}, {"", "host"}, {"x@bad domain.com", "host"}, {"x@", "host"}})
    EXPECT_EQ(MessageIdDomain(sender, "host"), domain) << sender;

  // Seen at the window's turn just before the connection, which is not tried.
  Components c;
  TStrings lines;
  c.pump.onTurn = [&] {
    lines = c.stack.mxMsg().Headers().Lines();
    throw std::runtime_error("stop before connecting");
  };
  MailRequest r;
  r.recipients = {"root@localhost"};
  r.useMapi = false;
  r.server = "127.0.0.1:1";
  for (int n = 0; n < 2; ++n) {
    try {
      c.mailer.send(r);
    } catch (const std::runtime_error&) {
    }
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Date: Tue, 08 Dec 2026 05:48:04 +0100"), 1)
      << "replaced, not added";
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Message-ID: <1796708884.4242.2@watcher.example>"), 1);
  EXPECT_EQ(
      std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Message-ID:", 0) == 0; }),
      1);
}

// OAuth 2.0: the access token comes from the kept refresh token before the
// connection and serves the next send too; no password is unsealed for it.
TEST(ChangeMailer, OAuthTakesTheAccessTokenOnceAndNeverSendsItInClear) {
  Components c;
  MailRequest r;
  r.useMapi = false;
  r.server = "127.0.0.1:1";
  r.recipients = {"a@example.com"};
  r.smtpUser = "me@example.com";
  r.smtpPassword = "not sealed";
  r.smtpAuth = SmtpAuth::OAuth;
  r.oauth.clientId = "id";
  for (int send = 0; send < 2; ++send)
    EXPECT_EQ(testing::MessageOf([&] { c.mailer.send(r); }),
              "Sign-in with OAuth 2.0 is sent only over an encrypted connection; choose STARTTLS or SSL/TLS.");
  const auto& asked = c.platform.poster.requests;
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].rfind("https://login.microsoftonline.com/common/oauth2/v2.0/token ", 0), 0u) << asked[0];
  EXPECT_NE(asked[0].find("grant_type=refresh_token"), std::string::npos) << asked[0];
  EXPECT_NE(asked[0].find("refresh_token=refresh-1"), std::string::npos) << asked[0];
  // Another registration's token is not this one's.
  r.oauth.clientId = "other";
  EXPECT_THROW(c.mailer.send(r), EServerError);
  EXPECT_EQ(asked.size(), 2u);
}

TEST(LiveChangeMailer, SmtpDeliversTheWholeSummaryWithDateAndMessageId) {
  REQUIRE_SERVERS();
  Components c;
  MailRequest r;
  r.useMapi = false;
  r.recipients = {"root@localhost", "second@example.com"};
  r.subject = "PARVEX 2000 directory change!";
  r.server = "127.0.0.1:" + std::to_string(test::SinkPort());
  r.senderName = "Parvex Monitor";
  r.senderAddress = "monitor@example.com";
  r.body = {"Date/Time 08/12/2026 05:48:04", " ", "Added C:\\Data\\new.txt", "Deleted C:\\Data\\old.txt"};
  const int before = test::SinkMessageCount();
  c.mailer.send(r);
  c.mailer.send(r);
  EXPECT_GE(c.pump.turns, 2) << "pending window messages get one turn before each send";

  for (int n : {before + 1, before + 2}) {
    const std::string stored = test::WaitForSinkMessage(n);
    EXPECT_NE(stored.find("To:       \"root@localhost\" <root@localhost>,\r\n"
                          "          \"second@example.com\" <second@example.com>\r\n"),
              std::string::npos)
        << stored;
    EXPECT_NE(stored.find("From:     Parvex Monitor <monitor@example.com>\r\n"), std::string::npos);
    EXPECT_NE(stored.find("\r\nDate: Tue, 08 Dec 2026 05:48:04 +0100\r\n"), std::string::npos) << stored;
    // The sender's domain, not the machine's name.
    EXPECT_NE(stored.find("\r\nMessage-ID: <1796708884.4242." + std::to_string(n - before) + "@example.com>\r\n"),
              std::string::npos)
        << stored;
    EXPECT_NE(stored.find("\r\n\r\nDate/Time 08/12/2026 05:48:04\r\n \r\nAdded C:\\Data\\new.txt\r\n"
                          "Deleted C:\\Data\\old.txt\r\n"),
              std::string::npos)
        << stored;
    EXPECT_EQ(stored.find("\r\nDate: "), stored.rfind("\r\nDate: ")) << "one Date line only";
    EXPECT_NE(stored.find("\r\nContent-Type: text/plain"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("Return-Receipt-To"), std::string::npos) << "no receipt is asked for";
  }
  EXPECT_EQ(test::SinkEnvelope(before + 1),
            "MAIL FROM:monitor@example.com\nRCPT TO:root@localhost\nRCPT TO:second@example.com\n");
}

TEST(LiveChangeMailer, BadFieldsEndInAClearErrorOrAreCut) {
  REQUIRE_SERVERS();
  const std::string sink = "127.0.0.1:" + std::to_string(test::SinkPort());
  struct Case {
    const char* name;
    std::string server, recipient, subject;
    const char* error;  // "" when the send goes through
    std::string user{}, storedPassword{};
    SmtpSecurity security = SmtpSecurity::None;
  } cases[] = {
      {"blank server", "   ", "a@example.com", "s", "Host not found"},
      {"port out of range", "127.0.0.1:99999", "a@example.com", "s",
       "The port in the server \"127.0.0.1:99999\" is not a number from 1 to 65535."},
      {"long recipient", sink, std::string(290, 'r') + "@example.com", "s", ""},
      {"long subject", sink, "a@example.com", std::string(300, 's'), ""},
      {"password not sealed", sink, "a@example.com", "s",
       "The stored SMTP password cannot be read; please enter it again.", "me", "c2VjcmV0"},
      // No STARTTLS from this server (or no TLS on this system): nothing goes out.
      {"STARTTLS unavailable", sink, "a@example.com", "s", "*", "", "", SmtpSecurity::StartTls},
  };
  for (const Case& c : cases) {
    Components comp;
    comp.smtp.SetTimeOut(3);
    MailRequest r;
    r.useMapi = false;
    r.recipients = {c.recipient};
    r.subject = c.subject;
    r.server = c.server;
    r.senderAddress = "monitor@example.com";
    r.body = {"Added x"};
    r.smtpUser = c.user;
    r.smtpPassword = c.storedPassword;
    r.smtpSecurity = c.security;
    const int before = test::SinkMessageCount();
    std::string error;
    try {
      comp.mailer.send(r);
    } catch (const Exception& e) {
      error = e.Message();
    }
    if (std::string(c.error).empty()) {
      EXPECT_EQ(error, "") << c.name;
      const std::string stored = test::WaitForSinkMessage(before + 1);
      EXPECT_NE(stored.find("Subject: " + std::string(c.subject).substr(0, 255) + "\r\n"), std::string::npos) << c.name;
    } else if (std::string(c.error) == "*") {
      EXPECT_NE(error, "") << c.name;
    } else {
      EXPECT_EQ(error, c.error) << c.name;
    }
    EXPECT_EQ(test::SinkMessageCount(), before + (error.empty() ? 1 : 0)) << c.name;
  }
}

}  // namespace
}  // namespace parvex
