// The browser's side of the sign-in: the authorization address, the loopback
// request, the redirect's parameters and the page the browser shows.
#include "net/oauth_authorization.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/net_errors.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using testing::MessageOf;

const std::string kUnreadable = "The browser's answer to the sign-in could not be read; sign in again.";

TEST(FormEncoding, BothWays) {
  EXPECT_EQ(FormEncode("a b&c=d/\xC3\xA9~._-+%"), "a%20b%26c%3Dd%2F%C3%A9~._-%2B%25");
  EXPECT_EQ(FormDecode("a+b%2Fc%3d"), "a b/c=");
  for (const char* bad : {"a%4", "%zz", "%%41"})
    EXPECT_EQ(MessageOf<EOAuthError>([&] { FormDecode(bad); }), kUnreadable);
}

TEST(AuthorizationUrl, ParametersAfterTheAddressOwnQuery) {
  EXPECT_EQ(AuthorizationUrl({"https://login.example/authorize", "", "a b"}, "id", "http://127.0.0.1:5000/", "st", "ch",
                             "me@example.com"),
            "https://login.example/authorize?response_type=code&client_id=id&redirect_uri=http%3A%2F%2F127.0.0.1%3A5000"
            "%2F&scope=a%20b&state=st&code_challenge=ch&code_challenge_method=S256&login_hint=me%40example.com");
  EXPECT_EQ(AuthorizationUrl({"https://accounts.example/auth?prompt=consent", "", "s"}, "c", "r", "st", "ch", ""),
            "https://accounts.example/auth?prompt=consent&response_type=code&client_id=c&redirect_uri=r&scope=s"
            "&state=st&code_challenge=ch&code_challenge_method=S256");
}

TEST(LoopbackRequest, HeadsInPieces) {
  using Result = LoopbackRequest::Result;
  const std::string start = "GET / HTTP/1.1\r\nX: ";
  const std::string full = start + std::string(LoopbackRequest::kMaxHeadBytes - start.size() - 4, 'x') + "\r\n\r\n";
  const struct {
    std::vector<std::string> pieces;
    Result result;
    std::string target;
  } cases[] = {
      {{"GET /?code=x&state=y HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"}, Result::Complete, "/?code=x&state=y"},
      {{"GET / HTTP/1.1\r\nHost: a\r", "\n\r", "\n"}, Result::Complete, "/"},
      {{"GET /x HTTP/1.0\n\n", "POST / HTTP/1.1\r\n\r\n"}, Result::Complete, "/x"},
      {{"GET / HTTP/1.1\r\n"}, Result::NeedMore, ""},
      {{"POST / HTTP/1.1\r\n"}, Result::Invalid, ""},
      {{"GET http://evil.example/ HTTP/1.1\r\n\r\n"}, Result::Invalid, ""},
      {{full + "body"}, Result::Complete, "/"},
      {{full.substr(0, full.size() - 1) + "x\r\n"}, Result::Invalid, ""},
  };
  for (const auto& c : cases) {
    LoopbackRequest request;
    Result result = Result::NeedMore;
    for (const auto& piece : c.pieces) result = request.Feed(piece);
    EXPECT_EQ(result, c.result) << c.pieces.front().substr(0, 40);
    EXPECT_EQ(request.Target(), c.target);
  }
}

TEST(ReadRedirect, CodeRefusalOrAnotherPath) {
  const RedirectOutcome code = ReadRedirect("/cb?code=abc%2Bd&state=s1", "/cb", "s1");
  EXPECT_EQ(code.kind, RedirectOutcome::Kind::Code);
  EXPECT_EQ(code.code, "abc+d");
  EXPECT_EQ(ReadRedirect("/favicon.ico", "/", "s1").kind, RedirectOutcome::Kind::Other);
  const RedirectOutcome refused =
      ReadRedirect("/?error=access_denied&error_description=The+user+said+no%0D%0A%09.&state=s1", "/", "s1");
  EXPECT_EQ(refused.kind, RedirectOutcome::Kind::Refused);
  EXPECT_EQ(refused.error, "access_denied");
  EXPECT_EQ(refused.description, "The user said no .");
}

TEST(ReadRedirect, AnswersThatEndTheSignIn) {
  const std::string foreign =
      "The browser's answer did not come from this sign-in (its state does not match); sign in again.";
  const struct {
    const char* target;
    const char* expectedState;
    std::string error;
  } cases[] = {
      {"/?code=x&state=s2", "s1", foreign},
      {"/?code=x&state=s1x", "s1", foreign},
      {"/?code=x", "s1", foreign},
      {"/?code=x&state=", "", foreign},
      {"/?state=s1", "s1", "The browser's answer to the sign-in carried no authorization code; sign in again."},
      {"/?code=a&code=b&state=s1", "s1", kUnreadable},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf<EOAuthError>([&] { ReadRedirect(c.target, "/", c.expectedState); }), c.error) << c.target;
  }
}

TEST(BrowserAnswer, RefusalPageAndNotFound) {
  const std::string response = BrowserAnswer(false, "access_denied: <b>&\"it's\"</b>.");
  const std::size_t split = response.find("\r\n\r\n");
  ASSERT_NE(split, std::string::npos);
  const std::string body = response.substr(split + 4);
  EXPECT_EQ(response.substr(0, split), "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                           std::to_string(body.size()) +
                                           "\r\nConnection: close\r\nCache-Control: no-store");
  EXPECT_NE(body.find("<p>The sign-in was not completed: access_denied: &lt;b&gt;&amp;&quot;it&#39;s&quot;&lt;/b&gt;. "
                      "You can close this window and try again in Parvex 2000.</p>"),
            std::string::npos)
      << body;
  EXPECT_EQ(NotFoundAnswer(),
            "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 11\r\n"
            "Connection: close\r\nCache-Control: no-store\r\n\r\nNot found.\n");
}

}  // namespace
}  // namespace parvex
