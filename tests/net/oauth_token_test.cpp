// The token address's requests and answers.
#include "net/oauth_token.h"

#include <gtest/gtest.h>

#include "net/net_errors.h"

namespace parvex {
namespace {

TEST(TokenRequests, RefreshBodyWithClientSecret) {
  EXPECT_EQ(
      RefreshBody({"google", "id.apps", "s&=cret", "", "", "", ""}, {"", "", "https://mail.google.com/"}, "1//r+t"),
      "grant_type=refresh_token&refresh_token=1%2F%2Fr%2Bt&client_id=id.apps&client_secret=s%26%3Dcret"
      "&scope=https%3A%2F%2Fmail.google.com%2F");
}

TEST(TokenAnswer, TokensAndLifetime) {
  const struct {
    std::string body;
    long long expires;
    std::string refresh;
  } cases[] = {
      {R"({"access_token":"at","token_type":"Bearer","expires_in":3599,"refresh_token":"rt-2"})", 3599, "rt-2"},
      {R"({"access_token":"at","token_type":"bearer","refresh_token":""})", 3600, ""},
      {R"({"access_token":"at","expires_in":"1800"})", 1800, ""},
      {R"({"access_token":"at","expires_in":0})", 1, ""},
      {R"({"access_token":"at","expires_in":8})", 8, ""},
      {R"({"access_token":"at","expires_in":1e300})", 86400, ""},
  };
  for (const auto& c : cases) {
    const TokenAnswer answer = ReadTokenAnswer(200, c.body, true);
    EXPECT_EQ(answer.accessToken, "at") << c.body;
    EXPECT_EQ(answer.expiresInSeconds, c.expires) << c.body;
    EXPECT_EQ(answer.refreshToken, c.refresh) << c.body;
  }
}

std::string Refusal(int status, const std::string& body, bool refreshing) {
  try {
    ReadTokenAnswer(status, body, refreshing);
  } catch (const EOAuthSignInExpired& e) {
    return "expired: " + e.Message();
  } catch (const EOAuthError& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(TokenAnswer, RefusalsAndAnswersWithoutAToken) {
  const std::string unusable = "The token address answered with a token that cannot be used; sign in again.";
  const std::string aadsts = R"({"error":"invalid_grant","error_description":"AADSTS70008: expired.\r\nTrace ID: 1"})";
  // A long description is cut at 300 bytes, not inside a UTF-8 character.
  std::string acute200, acute149;
  for (int i = 0; i < 200; ++i) acute200 += "\xC3\xA9";
  for (int i = 0; i < 149; ++i) acute149 += "\xC3\xA9";
  const struct {
    int status;
    std::string body;
    bool refreshing;
    std::string error;
  } cases[] = {
      {400, aadsts, true,
       "expired: The sign-in with OAuth 2.0 has expired or was revoked; sign in again in the Security dialog."},
      {400, aadsts, false, "The token address refused the request: invalid_grant: AADSTS70008: expired. Trace ID: 1"},
      {200, R"({"error":"slow_down","access_token":"at"})", true, "The token address refused the request: slow_down"},
      {400, R"({"error":"x","error_description":"x)" + acute200 + "\"}", true,
       "The token address refused the request: x: x" + acute149},
      {502, "<html>Bad gateway</html>", true, "The token address answered with HTTP 502 and no token."},
      {201, R"({"access_token":"at"})", false, "The token address answered with HTTP 201 and no token."},
      {200, R"({"access_token":"secret-at","token_type":"mac"})", false,
       "The token address gave a token of the type \"mac\", which mail servers do not take; only bearer tokens will "
       "do."},
      {200, R"({"access_token":"at","refresh_token":"r\nt"})", false, unusable},
      {200, R"({"access_token":")" + std::string(kMaxTokenBytes + 1, 'a') + "\"}", false, unusable},
  };
  for (const auto& c : cases) EXPECT_EQ(Refusal(c.status, c.body, c.refreshing), c.error) << c.body.substr(0, 80);
}

}  // namespace
}  // namespace parvex
