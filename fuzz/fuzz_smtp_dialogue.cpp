// The whole dialogue fed arbitrary server replies, in every security mode: it
// must end (done, a refusal or an error, never a loop), never sign in or send
// the envelope in clear where encryption was asked for, and say nothing more
// after the server refused STARTTLS. With an OAuth 2.0 access token the token
// goes out only inside TLS, whatever the mode.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/net_errors.h"
#include "net/smtp_dialogue.h"

using namespace parvex;

namespace {

constexpr int kCodes[] = {220, 221, 235, 250, 251, 334, 354, 421, 451, 454, 500, 501, 503, 535, 550, 554, -1, 0};
const char* const kKeywords[] = {"STARTTLS",      "AUTH PLAIN",   "AUTH LOGIN", "AUTH=LOGIN",
                                 "AUTH CRAM-MD5", "AUTH XOAUTH2", "8BITMIME",   ""};

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Next() { return position_ < size_ ? data_[position_++] : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

SmtpReply MakeReply(Input& in) {
  SmtpReply reply;
  const std::uint8_t pick = in.Next();
  reply.code = kCodes[pick % (sizeof kCodes / sizeof kCodes[0])];
  reply.closed = (pick & 0x80) != 0;
  const int extra = in.Next() % 4;
  const std::string code = reply.code >= 0 ? std::to_string(reply.code) : std::string("xyz");
  if (reply.code != 0 || !reply.closed) reply.lines.push_back(code + (extra > 0 ? "-" : " ") + "server");
  for (int i = 0; i < extra; ++i)
    reply.lines.push_back(code + (i + 1 < extra ? "-" : " ") + kKeywords[in.Next() % (sizeof kKeywords / sizeof kKeywords[0])]);
  return reply;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const std::uint8_t mode = in.Next();
  SmtpDialogue::Settings settings;
  settings.security = static_cast<SmtpSecurity>(mode % 3);
  settings.userName = (mode & 0x04) ? "user" : "";
  settings.password = "secret";
  settings.server = (mode & 0x08) ? "127.0.0.1:25" : "mail.example.com";
  settings.localHost = "here";
  settings.tlsAvailable = (mode & 0x10) == 0;
  if (mode & 0x40) settings.accessToken = "token";
  const bool encrypted = settings.security != SmtpSecurity::None;

  SmtpDialogue dialogue(settings);
  bool secured = false;
  bool loggedIn = false;
  std::string lastSent;
  int steps = 0;
  auto run = [&](SmtpDialogue::Step step) {
    while (step.action != SmtpDialogue::Action::Done) {
      FUZZ_CHECK(++steps < 200);  // a dialogue always ends
      switch (step.action) {
        case SmtpDialogue::Action::Connect: step = dialogue.Connected(); break;
        case SmtpDialogue::Action::StartTls:
          secured = true;
          step = dialogue.Secured();
          break;
        case SmtpDialogue::Action::SendBody: step = dialogue.BodySent(); break;
        case SmtpDialogue::Action::ConfirmRecipient: step = dialogue.Confirmed(in.Next() & 1); break;
        case SmtpDialogue::Action::SendLine:
          if (encrypted && !secured) {
            // In clear only the greeting's EHLO and STARTTLS itself.
            FUZZ_CHECK(StartsWith(step.text, "EHLO ") || step.text == "STARTTLS" || step.text == "QUIT");
          }
          FUZZ_CHECK(!StartsWith(step.text, "AUTH") || !settings.userName.empty());
          // The token (or the password) never goes in clear.
          if (!settings.accessToken.empty()) FUZZ_CHECK(secured || !StartsWith(step.text, "AUTH"));
          if (!settings.accessToken.empty()) FUZZ_CHECK(!StartsWith(step.text, "AUTH PLAIN") && step.text != "AUTH LOGIN");
          lastSent = step.text;
          [[fallthrough]];
        case SmtpDialogue::Action::ReadReply: {
          const SmtpReply reply = MakeReply(in);
          const bool refusesStartTls = step.action == SmtpDialogue::Action::SendLine && lastSent == "STARTTLS" &&
                                       (reply.code < 0 || reply.code / 100 != 2);
          try {
            step = dialogue.Replied(reply);
          } catch (...) {
            // No QUIT after a refused STARTTLS: nothing more may go out in clear.
            if (refusesStartTls && !reply.lines.empty() && !reply.lines.back().empty())
              FUZZ_CHECK(!dialogue.QuitAllowed());
            throw;
          }
          FUZZ_CHECK(!refusesStartTls);
          break;
        }
        case SmtpDialogue::Action::Done: break;
      }
    }
  };

  try {
    run(dialogue.BeginLogin());
    loggedIn = true;
    // Signed in (or not asked to) only where the settings allow it.
    FUZZ_CHECK(!encrypted || secured);
    FUZZ_CHECK(settings.accessToken.empty() || secured);
    std::vector<std::string> recipients;
    const int count = in.Next() % 4;
    for (int i = 0; i < count; ++i) recipients.push_back("r" + std::to_string(i) + "@example.com");
    run(dialogue.BeginMail((mode & 0x20) ? "" : "monitor@example.com", recipients));
  } catch (const Exception&) {
    // Refusals and server errors are the dialogue's way to end; any other
    // exception (a wrong call order) escapes and is a finding.
  }
  if (dialogue.QuitAllowed() && loggedIn) {
    try {
      run(dialogue.BeginQuit());
    } catch (const Exception&) {
    }
  }
  return 0;
}
