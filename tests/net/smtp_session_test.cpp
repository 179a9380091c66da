// The SMTP dialogue against the fault-injecting server: what the client sends,
// which reply ends a send, and which exception (with which text) comes out.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "mail/mail_errors.h"
#include "net/mxsmtp.h"
#include "net/net_errors.h"
#include "support/test_servers.h"

namespace parvex {
namespace {

using Clock = std::chrono::steady_clock;

class LiveSmtp : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_SERVERS();
    smtp = std::make_unique<TmxSMTP>(test::Host(), test::Pump());
    smtp->SetWinsockLoaded(true);
    smtp->SetTimeOut(2);
    smtp->MailMessage = &message;
    message.Sender().SetAddress("monitor@example.com");
    message.Recipients().AddAddress("one@example.com", "One");
    message.SetSubject("Folder changes");
    message.Body().push_back("Added C:\\data\\new.txt");
  }

  void Use(const std::string& scenario) {
    this->scenario = scenario;
    smtp->Server = "127.0.0.1:" + std::to_string(test::FaultPort(scenario));
  }

  // SendMail's exception text, prefixed with its kind.
  std::string Fails() {
    try {
      smtp->SendMail();
    } catch (const ESignInRefused& e) {
      return "refused: " + e.Message();
    } catch (const EServerError& e) {
      return "server: " + e.Message();
    } catch (const ETimedOutError& e) {
      return "timeout: " + e.Message();
    } catch (const ESocketError& e) {
      return "socket: " + e.Message();
    } catch (const EMessageError& e) {
      return "message: " + e.Message();
    } catch (const ERangeError& e) {
      return "range: " + e.Message();
    } catch (const ETlsError& e) {
      return "tls: " + e.Message();
    }
    return "(sent)";
  }

  std::string Transcript() const { return test::FaultTranscript(scenario); }

  TmxMessage message;
  std::unique_ptr<TmxSMTP> smtp;
  std::string scenario;
};

TEST_F(LiveSmtp, RefusedGreetingStillSaysQuit) {
  Use("greet554");
  EXPECT_EQ(Fails(), "server: 554 No SMTP service here");
  EXPECT_EQ(Transcript(), "C: QUIT\n");
  EXPECT_FALSE(smtp->Connected());
}

TEST_F(LiveSmtp, BareHeloWhenTheNamedOneIsRefused) {
  Use("helo_retry");
  EXPECT_EQ(Fails(), "(sent)");
  EXPECT_EQ(Transcript().rfind("C: HELO " + smtp->LocalHost() + "\nC: HELO\nC: MAIL", 0), 0u) << Transcript();

  Use("helo_refused");
  EXPECT_EQ(Fails(), "server: 502 HELO refused as well");
  EXPECT_NE(Transcript().find("C: HELO\nC: QUIT\n"), std::string::npos) << Transcript();
}

TEST_F(LiveSmtp, EnvelopeOrderAndEmptyAddresses) {
  Use("normal");
  message.Recipients().AddAddress("two@example.com", "");
  message.CC().AddAddress("three@example.com", "");
  message.BCC().AddAddress("four@example.com", "");
  message.BCC().AddAddress("", "nobody");
  std::vector<std::string> events;
  auto note = [&](const char* name) { return [&events, name](TnsSocket&) { events.push_back(name); }; };
  smtp->OnOpen = note("open");
  smtp->OnPrepare = note("prepare");
  smtp->OnSending = note("sending");
  smtp->OnMailSent = note("sent");
  smtp->OnClosing = note("closing");
  smtp->OnClosed = note("closed");
  smtp->OnProgress = [&](TnsSocket&, int, int) {
    if (events.back() != "progress") events.push_back("progress");
  };
  EXPECT_EQ(Fails(), "(sent)");
  const std::string expected =
      "C: MAIL FROM:<monitor@example.com>\n"
      "C: RCPT TO:<one@example.com>\n"
      "C: RCPT TO:<two@example.com>\n"
      "C: RCPT TO:<three@example.com>\n"
      "C: RCPT TO:<four@example.com>\n"
      "C: RCPT TO:<>\n"
      "C: DATA\n";
  EXPECT_NE(Transcript().find(expected), std::string::npos) << Transcript();
  EXPECT_EQ(events, (std::vector<std::string>{"open", "prepare", "sending", "progress", "sent", "closing", "closed"}));
  EXPECT_FALSE(smtp->Connected());
}

TEST_F(LiveSmtp, RejectedRecipient) {
  Use("rcpt_reject");
  message.Recipients().AddAddress("bad@example.com", "");
  message.CC().AddAddress("after@example.com", "");
  // Without a handler the send stops at the refused recipient.
  EXPECT_EQ(Fails(), "server: 550 No such user here: <bad@example.com>");
  EXPECT_EQ(Transcript().find("after@example.com"), std::string::npos);
  EXPECT_EQ(Transcript().find("DATA"), std::string::npos);

  // A handler that proceeds skips it and the rest still get the message.
  std::vector<std::string> rejected;
  smtp->OnAddressRejected = [&](TmxSMTP&, const std::string& address, const std::string& reply, bool& proceed) {
    rejected.push_back(address + " | " + reply);
    proceed = true;
  };
  EXPECT_EQ(Fails(), "(sent)");
  EXPECT_EQ(rejected, std::vector<std::string>{"bad@example.com | 550 No such user here: <bad@example.com>"});
  EXPECT_NE(Transcript().find("C: RCPT TO:<after@example.com>\nC: DATA\n"), std::string::npos);
}

TEST_F(LiveSmtp, DataMustBeAnsweredWithAnIntermediateReply) {
  Use("data_250");
  EXPECT_EQ(Fails(), "server: 250 no data wanted");
  EXPECT_NE(Transcript().find("C: DATA\nC: QUIT\n"), std::string::npos);
}

TEST_F(LiveSmtp, SilentServerTimesOutWithoutQuitAndTheNextSendStartsAfresh) {
  Use("silence");
  smtp->SetTimeOut(1);
  auto start = Clock::now();
  EXPECT_EQ(Fails(), "timeout: Operation timed out");
  auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(800));
  // Generous for a loaded machine; it only has to come well before the default 60 s.
  EXPECT_LT(took, std::chrono::seconds(30));
  EXPECT_FALSE(smtp->Connected());
  // The expired count does not carry over into the next connection.
  Use("normal");
  EXPECT_EQ(Fails(), "(sent)");
}

TEST_F(LiveSmtp, BrokenRepliesEndTheConnectionWithoutQuit) {
  // Natively the read meets the reset; Wine reports it as a close, which cuts
  // the reply: either way the half reply is never taken for a greeting.
  const std::pair<const char*, const char*> cases[] = {
#ifdef _WIN32
      {"reset", "server: The SMTP server closed the connection."},
#else
      {"reset", "socket: Connection reset by peer"},
#endif
      {"line_1025", "range: Range check error"},
  };
  for (auto [scenario, failure] : cases) {
    Use(scenario);
    EXPECT_EQ(Fails(), failure) << scenario;
    EXPECT_FALSE(smtp->Connected()) << scenario;
    EXPECT_EQ(Transcript().find("QUIT"), std::string::npos) << scenario;
  }
}

TEST_F(LiveSmtp, RepliesCutShortOrEndlessEndWithAClearError) {
  const std::pair<const char*, const char*> cases[] = {
      {"cut_greeting", "server: The SMTP server closed the connection."},
      {"endless_reply", "socket: The server's reply ran past 1000 lines."},
  };
  for (auto [scenario, failure] : cases) {
    Use(scenario);
    EXPECT_EQ(Fails(), failure) << scenario;
    EXPECT_FALSE(smtp->Connected()) << scenario;
  }
}

TEST_F(LiveSmtp, FailedQuitKeepsTheConnectionForTheNextSend) {
  Use("quit_fail");
  EXPECT_EQ(Fails(), "server: 500 not now");
  EXPECT_TRUE(smtp->Connected());
  const int connections = test::FaultConnections(scenario);
  // The next send starts at the envelope on the same connection.
  EXPECT_EQ(Fails(), "(sent)");
  EXPECT_EQ(test::FaultConnections(scenario), connections);
  EXPECT_NE(Transcript().find("C: QUIT\nC: MAIL FROM:<monitor@example.com>\n"), std::string::npos) << Transcript();
  EXPECT_FALSE(smtp->Connected());
}

TEST_F(LiveSmtp, MessageProblemsAreFoundAfterTheGreeting) {
  Use("normal");
  smtp->MailMessage = nullptr;
  EXPECT_EQ(Fails(), "socket: MailMessage property must be assigned");
  EXPECT_NE(Transcript().find("C: HELO"), std::string::npos);
  EXPECT_NE(Transcript().find("C: QUIT"), std::string::npos);

  smtp->MailMessage = &message;
  message.Recipients().Clear();
  EXPECT_EQ(Fails(), "message: At least one Recipient, CC or BCC must be entered");
  EXPECT_EQ(Transcript().find("MAIL FROM"), std::string::npos);
}

// A message that lets anything through its own checks.
class UncheckedMessage : public TmxMessage {
 public:
  void Validate() const override {}
};

TEST_F(LiveSmtp, LineBreakInAnAddressIsRefusedBeforeTheEnvelope) {
  Use("normal");
  const char* injected = "x@example.com>\r\nRCPT TO:<spy@example.com";
  message.CC().AddAddress(injected, "");
  std::string failure = Fails();
  EXPECT_EQ(failure.rfind("message: ", 0), 0u) << failure;
  EXPECT_EQ(Transcript().find("MAIL FROM"), std::string::npos);

  // The client refuses it itself too, whatever the message's checks let pass.
  UncheckedMessage unchecked;
  unchecked.Sender().SetAddress("monitor@example.com");
  unchecked.Recipients().AddAddress("one@example.com", "");
  unchecked.BCC().AddAddress(injected, "");
  smtp->MailMessage = &unchecked;
  EXPECT_EQ(Fails(), "message: Line break in e-mail address \"x@example.com>\\r\\nRCPT TO:<spy@example.com\"");
  EXPECT_EQ(Transcript().find("MAIL FROM"), std::string::npos);
  EXPECT_EQ(Transcript().find("spy"), std::string::npos);
}

// The program's pump once the program has been asked to end: nothing more is
// dispatched, so no notification and no time-out tick can end a wait.
class EndingPump final : public MessagePump {
 public:
  explicit EndingPump(Clock::duration after) : at_(Clock::now() + after) {}
  void processMessages() override {
    if (!QuitRequested()) test::Pump().processMessages();
  }
  bool QuitRequested() const override { return Clock::now() >= at_; }
  void WaitForMessage(unsigned timeoutMs) override { test::Pump().WaitForMessage(timeoutMs); }

 private:
  Clock::time_point at_;
};

TEST_F(LiveSmtp, AQuitDuringAWaitEndsTheSendAtOnce) {
  EndingPump ending(std::chrono::milliseconds(300));
  TmxSMTP client(test::Host(), ending);
  client.SetWinsockLoaded(true);
  client.SetTimeOut(30);
  client.MailMessage = &message;
  client.Server = "127.0.0.1:" + std::to_string(test::FaultPort("silence"));
  const auto start = Clock::now();
  EXPECT_THROW(client.SendMail(), EQuitRequested);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));  // not the 30 s time-out
  EXPECT_FALSE(client.Connected());
}

TEST_F(LiveSmtp, EverySendReadsMultiLineRepliesWhole) {
  // The server's close of the first connection must not cut the next one's replies short.
  Use("multiline");
  for (int send = 1; send <= 2; ++send) {
    EXPECT_EQ(Fails(), "(sent)") << send;
    EXPECT_EQ(Transcript().rfind("C: HELO " + smtp->LocalHost() + "\nC: MAIL", 0), 0u) << send << Transcript();
  }
}

TEST_F(LiveSmtp, ServerTextIsRequired) {
  smtp->Server.clear();
  EXPECT_EQ(Fails(), "socket: Server property is required");
}

// Stands in for TLS against the fault server's stand-in handshake ("HELLO" out,
// "WELCOME" back); the bytes pass unchanged, so the transcript stays readable.
class StandInTls final : public TlsChannel {
 public:
  StandInTls(std::string host, std::string* made, const std::string& refusal)
      : host_(std::move(host)), made_(made), refusal_(refusal) {}
  bool Handshake(std::string& received, std::string& toSend) override {
    if (!helloSent_) {
      helloSent_ = true;
      toSend += "HELLO";
      return false;
    }
    if (received.size() < 7) return false;
    received.erase(0, 7);
    return true;
  }
  void VerifyServer() override {
    *made_ += host_ + ";";
    if (!refusal_.empty()) throw ETlsError(refusal_);
  }
  std::string Encrypt(std::string_view plain) override { return std::string(plain); }
  // A \x04 stands for the server's close of the channel, which may come in the
  // same call as the text before it.
  bool Decrypt(std::string& received, std::string& plain) override {
    const auto close = received.find('\x04');
    plain += received.substr(0, close);
    received.clear();
    return close == std::string::npos;
  }

 private:
  std::string host_;
  std::string* made_;
  std::string refusal_;
  bool helloSent_ = false;
};

class LiveSecureSmtp : public LiveSmtp {
 protected:
  void SetUp() override {
    LiveSmtp::SetUp();
    smtp->TlsFactory = [this](const std::string& host) {
      return std::make_unique<StandInTls>(host, &verified, refusal);
    };
    smtp->UserName = "user";
    smtp->Password = "secret";
  }
  std::string Ehlo() const { return "C: EHLO " + smtp->LocalHost() + "\n"; }
  std::string Server() const { return smtp->Server; }

  std::string verified;  // the host names whose certificate was checked
  std::string refusal;   // what the certificate check says, when it fails
};

TEST_F(LiveSecureSmtp, StartTlsThenSignInThenThePlainDialogue) {
  smtp->Security = SmtpSecurity::StartTls;
  Use("esmtp");
  EXPECT_EQ(Fails(), "(sent)");
  EXPECT_EQ(Transcript().rfind(Ehlo() + "C: STARTTLS\nC: <handshake HELLO>\n" + Ehlo() +
                                   "C: AUTH PLAIN AHVzZXIAc2VjcmV0\nC: MAIL FROM:<monitor@example.com>\n",
                               0),
            0u)
      << Transcript();
  EXPECT_NE(Transcript().find("C: DATA\nD: "), std::string::npos);
  EXPECT_EQ(verified, "127.0.0.1;");

  Use("esmtps");  // TLS from the first byte
  smtp->Security = SmtpSecurity::Implicit;
  EXPECT_EQ(Fails(), "(sent)") << Transcript();
  EXPECT_EQ(Transcript().rfind("C: <handshake HELLO>\n" + Ehlo() + "C: AUTH PLAIN", 0), 0u) << Transcript();
}

// A server that closes the channel right after its "221 bye" has taken the mail:
// the reply decrypted with the close is read, and the send succeeds.
TEST_F(LiveSecureSmtp, LastReplyThatComesWithTheCloseIsRead) {
  smtp->Security = SmtpSecurity::Implicit;
  Use("esmtps_bye_close");
  EXPECT_EQ(Fails(), "(sent)") << Transcript();
  EXPECT_NE(Transcript().find("C: QUIT"), std::string::npos);
}

// A reply that the server's close cuts after a whole continuation line is no
// reply: told at once, not taken for its first line's code.
TEST_F(LiveSmtp, ReplyCutByTheCloseIsToldAtOnce) {
  smtp->SetTimeOut(10);
  Use("cut_continuation");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Fails(), "server: The SMTP server closed the connection.");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "waited for the time-out";
  EXPECT_EQ(Transcript().find("C: "), std::string::npos) << "no QUIT to a closed connection: " << Transcript();
}

TEST_F(LiveSecureSmtp, NothingMoreGoesToAServerThatCannotBeTrusted) {
  smtp->Security = SmtpSecurity::StartTls;
  Use("esmtp_no_starttls");
  EXPECT_EQ(Fails(),
            "server: The server " + Server() + " does not offer STARTTLS; nothing was sent without encryption.");
  EXPECT_EQ(Transcript(), Ehlo());
  EXPECT_FALSE(smtp->Connected());

  Use("esmtp_starttls_454");
  EXPECT_EQ(Fails(), "server: The server " + Server() +
                         " refused STARTTLS (454 4.7.0 TLS not available due to temporary reason); nothing was sent "
                         "without encryption.");
  EXPECT_EQ(Transcript(), Ehlo() + "C: STARTTLS\n") << "not even QUIT in clear";

  // Bytes that came with the yes to STARTTLS must not pass for replies inside TLS.
  Use("esmtp_starttls_injected");
  EXPECT_EQ(Fails(), "tls: The secure connection to " + Server() +
                         " failed: The server sent more than its reply to STARTTLS.");
  EXPECT_EQ(Transcript(), Ehlo() + "C: STARTTLS\n") << "no handshake, no QUIT";
  EXPECT_FALSE(smtp->Connected());

  refusal = "the certificate is for another host name";
  Use("esmtp");
  EXPECT_EQ(Fails(), "tls: The secure connection to " + Server() + " failed: " + refusal);
  EXPECT_EQ(Transcript(), Ehlo() + "C: STARTTLS\nC: <handshake HELLO>\n");
  EXPECT_FALSE(smtp->Connected());

  // A password is not sent in clear to a server elsewhere: no connection at all.
  smtp->Security = SmtpSecurity::None;
  const int before = test::FaultConnections("esmtp");
  const std::string port = std::to_string(test::FaultPort("esmtp"));
  smtp->Server = "127.0.0.2:" + port;
  EXPECT_EQ(Fails(), "server: The password for 127.0.0.2:" + port +
                         " is sent only over an encrypted connection; choose STARTTLS or SSL/TLS.");
  EXPECT_EQ(test::FaultConnections("esmtp"), before);
  // Nor with a stored security setting this version does not know.
  smtp->Security = SmtpSecurity::Unknown;
  EXPECT_EQ(Fails(), "server: The SMTP security setting is not one this version knows.");
  EXPECT_EQ(test::FaultConnections("esmtp"), before);
}

TEST_F(LiveSecureSmtp, SignInOnTheLoopbackWithEachMechanism) {
  struct Case {
    const char* scenario;
    const char* password;
    std::string result;
    const char* sent;
  };
  for (const Case& c : std::vector<Case>{
           {"esmtp", "wrong", "refused: The server %s refused the sign-in: 535 5.7.8 Authentication credentials invalid",
            "C: AUTH PLAIN AHVzZXIAd3Jvbmc=\nC: QUIT\n"},
           // A passing trouble is no refusal of the password: the next scan tries again.
           {"esmtp_auth_454", "wrong",
            "server: The server %s refused the sign-in: 454 4.7.0 Temporary authentication failure",
            "C: AUTH PLAIN AHVzZXIAd3Jvbmc=\nC: QUIT\n"},
           {"esmtp_login_only", "secret", "(sent)", "C: AUTH LOGIN\nC: dXNlcg==\nC: c2VjcmV0\nC: MAIL"},
           {"esmtp_no_auth", "secret",
            "server: The server %s offers no sign-in method this program knows (AUTH PLAIN or LOGIN).", "C: QUIT\n"}}) {
    Use(c.scenario);
    smtp->Password = c.password;
    std::string expected = c.result;
    if (auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, Server());
    EXPECT_EQ(Fails(), expected) << c.scenario << Transcript();
    EXPECT_EQ(Transcript().find("STARTTLS"), std::string::npos) << c.scenario;
    EXPECT_NE(Transcript().find(Ehlo()), std::string::npos) << c.scenario;
    EXPECT_NE(Transcript().find(c.sent), std::string::npos) << c.scenario << "\n" << Transcript();
  }
  EXPECT_EQ(verified, "");
}

// OAuth 2.0: the token in the XOAUTH2 frame only inside TLS; a refused token's
// challenge is answered with an empty line and its reason reported.
TEST_F(LiveSecureSmtp, SignInWithAnOAuthAccessToken) {
  smtp->Password.clear();
  smtp->Security = SmtpSecurity::StartTls;
  struct Case {
    const char* scenario;
    const char* token;
    std::string result;
    const char* sent;
  };
  for (const Case& c : std::vector<Case>{
           {"esmtp_xoauth2", "current-token", "(sent)",
            "C: AUTH XOAUTH2 dXNlcj11c2VyAWF1dGg9QmVhcmVyIGN1cnJlbnQtdG9rZW4BAQ==\nC: MAIL"},
           {"esmtp_xoauth2", "old-token",
            "refused: The server %s refused the sign-in: 535 5.7.8 Username and Password not accepted (status 401, "
            "scope https://mail.google.com/)",
            "C: AUTH XOAUTH2 dXNlcj11c2VyAWF1dGg9QmVhcmVyIG9sZC10b2tlbgEB\nC: \nC: QUIT\n"},
           {"esmtp", "current-token",
            "server: The server %s does not offer sign-in with OAuth 2.0 (AUTH XOAUTH2).", "C: QUIT\n"}}) {
    Use(c.scenario);
    smtp->AccessToken = c.token;
    std::string expected = c.result;
    if (auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, Server());
    EXPECT_EQ(Fails(), expected) << c.scenario << Transcript();
    EXPECT_NE(Transcript().find("C: STARTTLS\nC: <handshake HELLO>\n" + Ehlo() + c.sent), std::string::npos)
        << c.scenario << "\n" << Transcript();
  }
  // Never in clear, not even to this computer.
  smtp->Security = SmtpSecurity::None;
  const int before = test::FaultConnections("esmtp_xoauth2");
  EXPECT_EQ(Fails(),
            "server: Sign-in with OAuth 2.0 is sent only over an encrypted connection; choose STARTTLS or SSL/TLS.");
  EXPECT_EQ(test::FaultConnections("esmtp_xoauth2"), before);
  // A token without a mailbox is a setting to mend, not a plain HELO.
  smtp->UserName.clear();
  EXPECT_EQ(Fails(), "server: Sign-in with OAuth 2.0 needs the mailbox address as the user name; fill it in in the "
                     "Security dialog.");
  EXPECT_EQ(test::FaultConnections("esmtp_xoauth2"), before);
  smtp->UserName = "user";

  // With a password where the provider has turned passwords off, the user is told what to choose.
  smtp->AccessToken.clear();
  smtp->Security = SmtpSecurity::StartTls;
  smtp->Password = "wrong";
  Use("esmtp_basic_disabled");
  EXPECT_EQ(Fails(), "refused: The server " + Server() +
                         " refused the sign-in: 535 5.7.139 Authentication unsuccessful, basic authentication is "
                         "disabled. The provider takes only sign-in with OAuth 2.0: choose it in the Security dialog.");
}

TEST(SmtpCapabilities, EhloKeywordsInEitherForm) {
  struct Case {
    std::vector<std::string> lines;
    bool startTls, plain, login, xoauth2 = false;
  };
  for (const Case& c : std::vector<Case>{
           {{"250-mx hello", "250-starttls", "250 AUTH LOGIN PLAIN"}, true, true, true},
           {{"250-mx", "250-AUTH=LOGIN", "250 SIZE 100"}, false, false, true},
           {{"250-mx", "250-AUTH CRAM-MD5 xoauth2", "250 STARTTLSX"}, false, false, false, true},
           {{"250 STARTTLS"}, false, false, false},  // the greeting line names no keyword
       }) {
    const SmtpCapabilities got = ParseEhloReply(c.lines);
    EXPECT_EQ(got.startTls, c.startTls) << c.lines.back();
    EXPECT_EQ(got.authPlain, c.plain) << c.lines.back();
    EXPECT_EQ(got.authLogin, c.login) << c.lines.back();
    EXPECT_EQ(got.authXoauth2, c.xoauth2) << c.lines.back();
  }
}

TEST_F(LiveSmtp, SmtpsTakesItsOwnPortWhenTheServerNamesNone) {
  smtp->Server = "127.0.0.1";
  smtp->Security = SmtpSecurity::Implicit;
  smtp->Open();
  EXPECT_EQ(smtp->RemotePort(), 465);
  smtp->Close();
}

}  // namespace
}  // namespace parvex
