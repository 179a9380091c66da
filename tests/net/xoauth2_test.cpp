// The XOAUTH2 frame and the server's challenge.
#include "net/xoauth2.h"

#include <gtest/gtest.h>

#include "mail/base64.h"
#include "net/net_errors.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using testing::MessageOf;

TEST(Xoauth2, InitialResponseAndWhatWouldBreakTheFrame) {
  // The example of Google's XOAUTH2 description.
  EXPECT_EQ(Xoauth2InitialResponse("someuser@example.com", "ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg"),
            "dXNlcj1zb21ldXNlckBleGFtcGxlLmNvbQFhdXRoPUJlYXJlciB5YTI5LnZGOWRmdDRxbVRjMk52YjNSbGNrQmhkSFJoZG1semRHRXV"
            "ZMjl0Q2cBAQ==");
  for (const char* user : {"", "a\x01@example.com", "a@example.com\r\nRCPT"}) {
    EXPECT_NE(MessageOf<EOAuthError>([&] { Xoauth2InitialResponse(user, "t"); }), "(no error)");
  }
  EXPECT_EQ(MessageOf<EOAuthError>([&] { Xoauth2InitialResponse("u@example.com", "t\n"); }),
            "The access token cannot be sent (it is empty or holds a line break); sign in again.");
}

TEST(Xoauth2, ChallengeText) {
  EXPECT_EQ(
      Xoauth2ChallengeText(Base64Text(R"({"status":"401","schemes":"bearer","scope":"https://mail.google.com/"})")),
      "status 401, scope https://mail.google.com/");
  EXPECT_EQ(Xoauth2ChallengeText(Base64Text(R"({"status":400,"scope":"a\r\nb"})")), "status 400, scope a b");
  for (const std::string& garbage : {Base64Text("not json"), Base64Text(R"(["status"])"), std::string("%%%%")}) {
    EXPECT_EQ(Xoauth2ChallengeText(garbage), "") << garbage;
  }
}

}  // namespace
}  // namespace parvex
