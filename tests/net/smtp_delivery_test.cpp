// End to end against a real SMTP server (aiosmtpd): what it stores must be the
// message exactly, dot lines and 8-bit bytes included.
#include <gtest/gtest.h>

#include "net/mxsmtp.h"
#include "runtime/streams.h"
#include "support/test_servers.h"

namespace parvex {
namespace {

// What a server keeps of a dot-stuffed text: each line's first dot goes.
std::string Unstuffed(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    end = end == std::string::npos ? text.size() : end + 2;
    std::size_t from = text[start] == '.' ? start + 1 : start;
    out.append(text, from, end - from);
    start = end;
  }
  return out;
}

TEST(LiveSmtpDelivery, RealServerStoresTheMessageByteForByte) {
  REQUIRE_SERVERS();
  TmxMessage message;
  message.Sender().SetAddress("monitor@example.com");
  message.Recipients().AddAddress("first@example.com", "First");
  message.Recipients().AddAddress("second@example.com", "Second");
  message.CC().AddAddress("copy@example.com", "Copy");
  message.BCC().AddAddress("hidden@example.com", "");
  message.SetSubject("Changes in watched folders");
  message.Body() = {
      "Changes found:", ".", ".x", "..", std::string(256, 'L'), "Added C:\\Daten\\\xC4nderung \xFC\xE9.txt", "end"};

  TMemoryStream intended;
  message.EncodeToStream(intended);

  const int before = test::SinkMessageCount();
  TmxSMTP smtp(test::Host(), test::Pump());
  smtp.SetWinsockLoaded(true);
  smtp.SetTimeOut(5);
  smtp.MailMessage = &message;
  smtp.Server = "127.0.0.1:" + std::to_string(test::SinkPort());
  smtp.SendMail();
  EXPECT_FALSE(smtp.Connected());

  const std::string stored = test::WaitForSinkMessage(before + 1);
  const std::string encoded = intended.AsString();
  EXPECT_EQ(stored, Unstuffed(encoded));
  // The message's own line breaks and dots arrive as they were.
  EXPECT_NE(stored.find("\r\n.\r\n.x\r\n..\r\n"), std::string::npos) << stored;
  EXPECT_EQ(test::SinkEnvelope(before + 1),
            "MAIL FROM:monitor@example.com\n"
            "RCPT TO:first@example.com\n"
            "RCPT TO:second@example.com\n"
            "RCPT TO:copy@example.com\n"
            "RCPT TO:hidden@example.com\n");
}

}  // namespace
}  // namespace parvex
