// The provider's addresses from the settings, and the settings that must not
// reach any server.
#include "net/oauth_provider.h"

#include <gtest/gtest.h>

#include "net/net_errors.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using testing::MessageOf;

TEST(OAuthProvider, AddressesOfEachProvider) {
  const struct {
    OAuthSettings settings;
    const char *authorize, *token, *scope;
  } cases[] = {
      {{"microsoft", "id", "", "", "", "", ""},
       "https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
       "https://login.microsoftonline.com/common/oauth2/v2.0/token",
       "https://outlook.office.com/SMTP.Send offline_access"},
      {{"microsoft", "id", "", "contoso.example", "", "", "SMTP.Send"},
       "https://login.microsoftonline.com/contoso.example/oauth2/v2.0/authorize",
       "https://login.microsoftonline.com/contoso.example/oauth2/v2.0/token",
       "SMTP.Send"},
      // A test server stands in for Google's token address only.
      {{"google", "id", "", "", "", "http://127.0.0.1:8080/token", ""},
       "https://accounts.google.com/o/oauth2/v2/auth?access_type=offline&prompt=consent",
       "http://127.0.0.1:8080/token",
       "https://mail.google.com/"},
      {{"custom", "id", "", "", "https://id.example/a", "https://id.example/t", "smtp"},
       "https://id.example/a",
       "https://id.example/t",
       "smtp"},
  };
  for (const auto& c : cases) {
    const OAuthEndpoints endpoints = ResolveEndpoints(c.settings);
    EXPECT_EQ(endpoints.authorizeUrl, c.authorize);
    EXPECT_EQ(endpoints.tokenUrl, c.token);
    EXPECT_EQ(endpoints.scope, c.scope);
  }
}

TEST(OAuthProvider, SettingsThatMustNotReachAServer) {
  const std::string tokenHttps = "The token address must begin with https://.";
  const struct {
    OAuthSettings settings;
    std::string error;
  } cases[] = {
      {{"google", "", "", "", "", "", ""},
       "Sign-in with OAuth 2.0 needs the client ID of the program's registration; fill it in in the Security dialog."},
      {{"custom", "id", "", "", "https://a.example/", "", "s"},
       "Sign-in with OAuth 2.0 needs the token address; fill it in in the Security dialog."},
      {{"yahoo", "id", "", "", "", "", ""},
       "Sign-in with OAuth 2.0 needs a provider (Microsoft, Google or another); choose one in the Security dialog."},
      {{"microsoft", "id", "", "evil.example/x", "", "", ""},
       "The Microsoft tenant may hold only letters, digits, '.' and '-'; correct it in the Security dialog."},
      {{"google", "id", "", "", "", "http://oauth2.example/token", ""}, tokenHttps},
      {{"google", "id", "", "", "", "http://127.0.0.1.evil.example/", ""}, tokenHttps},
      {{"google", "id", "", "", "", "http://localhost@evil.example/", ""},
       "The token address is not a valid web address; correct it in the Security dialog."},
      {{"microsoft", "id", "", "", "http://login.example/", "", ""},
       "The authorization address must begin with https://."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf<EOAuthError>([&] { ResolveEndpoints(c.settings); }), c.error) << c.settings.tokenUrl;
  }
}

TEST(OAuthProvider, SplitWebAddress) {
  const auto address = SplitWebAddress("HTTPS://Login.example:8443?x=1");
  ASSERT_TRUE(address);
  EXPECT_TRUE(address->https);
  EXPECT_EQ(address->host, "Login.example");
  EXPECT_EQ(address->port, 8443);
  EXPECT_EQ(address->target, "/?x=1");
  for (const char* bad : {"https://h:65536/", "https://h#top", "https://[::1/"})
    EXPECT_FALSE(SplitWebAddress(bad)) << bad;
}

}  // namespace
}  // namespace parvex
