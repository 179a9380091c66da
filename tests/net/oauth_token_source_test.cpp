// The access token for sending, against an in-memory token address, refresh
// token store and clock.
#include "net/oauth_token_source.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "net/net_errors.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using testing::MessageOf;

// Gives its answers in turn; with none left the address cannot be reached.
struct ScriptedPoster : HttpsPoster {
  Answer PostForm(const std::string& url, const std::string& body) override {
    posts.push_back(url + " " + body);
    if (answers.empty()) throw EOAuthError("The token address t.example cannot be reached: Host not found.");
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<Answer> answers;
  std::vector<std::string> posts;
};

struct MemoryStore : RefreshTokenStore {
  std::string Load() override { return token; }
  void Save(const std::string& refreshToken) override {
    token = refreshToken;
    ++saves;
  }
  std::string token = "rt-1";
  int saves = 0;
};

struct ManualClock : SecondsClock {
  long long NowSeconds() const override { return now; }
  long long now = 1000;
};

OAuthSettings Settings(const std::string& tokenUrl) { return {"google", "id", "", "", "", tokenUrl, ""}; }

HttpsPoster::Answer Token(const std::string& access, int expiresIn, const std::string& refresh = "") {
  return {200, R"({"token_type":"Bearer","access_token":")" + access + R"(","expires_in":)" +
                   std::to_string(expiresIn) + R"(,"refresh_token":")" + refresh + "\"}"};
}

struct TokenSource : ::testing::Test {
  ScriptedPoster poster;
  MemoryStore store;
  ManualClock clock;
  AccessTokenSource source{Settings("https://t.example/token"), poster, store, clock};
};

TEST_F(TokenSource, CachedUntilTheRenewalMargin) {
  const struct {
    int expiresIn;
    long long lastCachedSecond;
  } cases[] = {{3600, 3299}, {400, 199}, {60, 29}};
  for (const auto& c : cases) {
    source.Forget();
    const long long start = clock.now;
    poster.answers = {Token("at-a", c.expiresIn), Token("at-b", 3600)};
    EXPECT_EQ(source.AccessToken(), "at-a");
    clock.now = start + c.lastCachedSecond;
    EXPECT_EQ(source.AccessToken(), "at-a") << c.expiresIn;
    clock.now += 1;
    EXPECT_EQ(source.AccessToken(), "at-b") << c.expiresIn;
  }
  EXPECT_EQ(poster.posts.front(),
            "https://t.example/token grant_type=refresh_token&refresh_token=rt-1&client_id=id"
            "&scope=https%3A%2F%2Fmail.google.com%2F");
  EXPECT_EQ(store.saves, 0);
}

TEST_F(TokenSource, RotatedRefreshTokenIsSavedAndNewSettingsDropTheCache) {
  poster.answers = {Token("at-1", 3600, "rt-2"), Token("at-2", 3600, "rt-2")};
  EXPECT_EQ(source.AccessToken(), "at-1");
  source.SettingsChanged(Settings("http://127.0.0.1:9/token"));
  EXPECT_EQ(source.AccessToken(), "at-2");
  EXPECT_EQ(poster.posts.back().rfind("http://127.0.0.1:9/token grant_type=refresh_token&refresh_token=rt-2&", 0), 0u);
  EXPECT_EQ(store.token, "rt-2");
  EXPECT_EQ(store.saves, 1);
}

TEST_F(TokenSource, RevokedSignInLeavesNoTokenBehind) {
  poster.answers = {Token("at-1", 3600), {400, R"({"error":"invalid_grant"})"}, {400, R"({"error":"invalid_grant"})"}};
  EXPECT_EQ(source.AccessToken(), "at-1");
  clock.now += 3300;
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(MessageOf<EOAuthSignInExpired>([&] { source.AccessToken(); }),
              "The sign-in with OAuth 2.0 has expired or was revoked; sign in again in the Security dialog.");
  }
  EXPECT_EQ(poster.posts.size(), 3u);
}

TEST_F(TokenSource, NoAnswerOrNoRefreshToken) {
  EXPECT_EQ(MessageOf<EOAuthError>([&] { source.AccessToken(); }),
            "The token address t.example cannot be reached: Host not found.");
  store.token.clear();
  EXPECT_EQ(MessageOf<EOAuthSignInExpired>([&] { source.AccessToken(); }),
            "Sign in with OAuth 2.0 in the Security dialog first.");
  EXPECT_EQ(poster.posts.size(), 1u);
}

TEST(ExchangeCode, FirstTokensOrNoLastingSignIn) {
  ScriptedPoster poster;
  poster.answers = {Token("at-1", 3600, "rt-1"), Token("at-2", 3600)};
  const OAuthSettings settings = Settings("https://t.example/token");
  EXPECT_EQ(ExchangeCode(settings, poster, "c0de", "http://127.0.0.1:5000/", "v").refreshToken, "rt-1");
  EXPECT_EQ(poster.posts.front(),
            "https://t.example/token grant_type=authorization_code&code=c0de&redirect_uri=http%3A%2F%2F127.0.0.1%3A5000"
            "%2F&code_verifier=v&client_id=id&scope=https%3A%2F%2Fmail.google.com%2F");
  EXPECT_EQ(MessageOf<EOAuthError>([&] { ExchangeCode(settings, poster, "c0de", "http://127.0.0.1:5000/", "v"); }),
            "The sign-in gave no refresh token, so it would end with the first access token; check that the scope "
            "allows offline access and sign in again.");
}

}  // namespace
}  // namespace parvex
