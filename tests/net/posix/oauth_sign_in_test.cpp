// The browser sign-in on this computer: the listener on a real loopback port,
// a stand-in browser that answers through its own connections, and a token
// address in memory.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "net/net_errors.h"
#include "net/oauth_sign_in.h"
#include "net/sha256.h"
#include "support/message_of.h"
#include "support/test_servers.h"

namespace parvex {
namespace {

std::string QueryValue(const std::string& url, const std::string& name) {
  for (const char* separator : {"?", "&"}) {
    const auto at = url.find(separator + name + "=");
    if (at == std::string::npos) continue;
    const auto start = at + name.size() + 2;
    return FormDecode(url.substr(start, url.find('&', start) - start));
  }
  return {};
}

// Sends each request on a connection of its own when the sign-in opens it, and
// reads the pages back afterwards.
class StandInBrowser final : public BrowserOpener {
 public:
  StandInBrowser(int port, std::function<std::vector<std::string>(const std::string& url)> requests)
      : port_(port), requests_(std::move(requests)) {}
  ~StandInBrowser() override {
    for (int fd : connections_) close(fd);
  }

  void Open(const std::string& url) override {
    opened = url;
    for (const std::string& request : requests_(url)) {
      const int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_port = htons(static_cast<uint16_t>(port_));
      to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
      EXPECT_EQ(send(fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
      connections_.push_back(fd);
    }
  }

  // The first line of each page the program sent back, and the last page's text.
  std::vector<std::string> StatusLines(std::string* lastPage = nullptr) {
    std::vector<std::string> lines;
    for (int fd : connections_) {
      std::string page;
      char buffer[4096];
      for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) page.append(buffer, static_cast<std::size_t>(n));
      lines.push_back(page.substr(0, page.find("\r\n")));
      if (lastPage) *lastPage = page;
    }
    return lines;
  }

  std::string opened;

 private:
  int port_;
  std::function<std::vector<std::string>(const std::string&)> requests_;
  std::vector<int> connections_;
};

class FixedRandom final : public RandomSource {
 public:
  void Fill(std::uint8_t* out, std::size_t n) override {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(next_++);
  }

 private:
  unsigned next_ = 7;
};

class TokenAddress final : public HttpsPoster {
 public:
  Answer PostForm(const std::string& url, const std::string& body) override {
    posted.push_back(url + " " + body);
    return answer;
  }
  Answer answer{200, R"({"access_token":"at","token_type":"Bearer","expires_in":3600,"refresh_token":"rt"})"};
  std::vector<std::string> posted;
};

struct SignIn {
  LoopbackListener listener{TnsWinsock::Instance(), test::Host(), test::Pump()};
  FixedRandom random;
  TokenAddress tokens;
  OAuthSettings settings;
  bool cancel = false;
  SignIn() {
    settings.provider = "custom";
    settings.clientId = "parvex";
    settings.authorizeUrl = "https://auth.example.com/authorize";
    settings.tokenUrl = "https://auth.example.com/token";
    settings.scope = "mail offline";
  }
  TokenAnswer Run(StandInBrowser& browser, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    SignInProgress progress;
    progress.cancelled = [this] { return cancel; };
    return SignInWithBrowser(settings, "me@example.com", random, listener, browser, tokens, progress, limit);
  }
};

std::string Get(const std::string& target) { return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"; }

TEST(OAuthSignIn, CodeFromTheBrowserIsExchangedWithItsVerifier) {
  SignIn s;
  StandInBrowser browser(s.listener.Port(), [](const std::string& url) {
    // A browser asks for its icon first; then the redirect comes.
    return std::vector<std::string>{Get("/favicon.ico"), Get("/?code=the-code&state=" + QueryValue(url, "state"))};
  });
  const TokenAnswer answer = s.Run(browser);
  EXPECT_EQ(answer.accessToken, "at");
  EXPECT_EQ(answer.refreshToken, "rt");
  std::string page;
  EXPECT_EQ(browser.StatusLines(&page), (std::vector<std::string>{"HTTP/1.1 404 Not Found", "HTTP/1.1 200 OK"}));
  EXPECT_NE(page.find("signed in"), std::string::npos) << page;

  const std::string redirect = "http://127.0.0.1:" + std::to_string(s.listener.Port()) + "/";
  EXPECT_EQ(browser.opened.rfind("https://auth.example.com/authorize?", 0), 0u) << browser.opened;
  EXPECT_EQ(QueryValue(browser.opened, "redirect_uri"), redirect);
  EXPECT_EQ(QueryValue(browser.opened, "login_hint"), "me@example.com");
  EXPECT_EQ(QueryValue(browser.opened, "code_challenge_method"), "S256");
  ASSERT_EQ(s.tokens.posted.size(), 1u);
  const std::string& posted = s.tokens.posted[0];
  EXPECT_EQ(posted.rfind("https://auth.example.com/token ", 0), 0u) << posted;
  const std::string body = posted.substr(posted.find(' ') + 1);
  EXPECT_EQ(QueryValue("?" + body, "code"), "the-code");
  EXPECT_EQ(QueryValue("?" + body, "redirect_uri"), redirect);
  // The verifier sent to the token address is the one whose hash the browser carried.
  const std::string verifier = QueryValue("?" + body, "code_verifier");
  ASSERT_GE(verifier.size(), 43u);
  EXPECT_EQ(CodeChallengeS256(verifier), QueryValue(browser.opened, "code_challenge"));
}

TEST(OAuthSignIn, AForeignAnswerARefusalOrNoTokenEndsTheSignIn) {
  struct Case {
    const char* name;
    std::function<std::string(const std::string& url)> redirect;
    std::string tokenAnswer;  // empty: the usual one
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"another sign-in's state", [](const std::string&) { return Get("/?code=c&state=someone-else"); }, "",
            "The browser's answer did not come from this sign-in (its state does not match); sign in again."},
           {"refused in the browser",
            [](const std::string& url) {
              return Get("/?error=access_denied&error_description=The+user+said+no&state=" + QueryValue(url, "state"));
            },
            "", "The sign-in was refused or cancelled in the browser (access_denied: The user said no)."},
           {"no refresh token", [](const std::string& url) { return Get("/?code=c&state=" + QueryValue(url, "state")); },
            R"({"access_token":"at","token_type":"Bearer"})",
            "The sign-in gave no refresh token, so it would end with the first access token; check that the scope "
            "allows offline access and sign in again."}}) {
    SignIn s;
    if (!c.tokenAnswer.empty()) s.tokens.answer.body = c.tokenAnswer;
    StandInBrowser browser(s.listener.Port(),
                           [&](const std::string& url) { return std::vector<std::string>{c.redirect(url)}; });
    EXPECT_EQ(testing::MessageOf([&] { s.Run(browser); }), c.error) << c.name;
    EXPECT_EQ(browser.StatusLines(), std::vector<std::string>{"HTTP/1.1 200 OK"}) << c.name << ": the page says why";
    EXPECT_EQ(s.tokens.posted.size(), c.tokenAnswer.empty() ? 0u : 1u) << c.name;
  }
}

TEST(OAuthSignIn, EveryWaitForTheBrowserEnds) {
  SignIn s;
  StandInBrowser silent(s.listener.Port(), [](const std::string&) { return std::vector<std::string>{}; });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(testing::MessageOf([&] { s.Run(silent, std::chrono::milliseconds(300)); }),
            "No answer came from the browser in time; sign in again.");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

  // A connection that never finishes its request does not hold the sign-in either.
  StandInBrowser half(s.listener.Port(), [](const std::string&) { return std::vector<std::string>{"GET /?co"}; });
  s.cancel = true;
  EXPECT_THROW(s.Run(half), ECanceledError);
  EXPECT_TRUE(s.tokens.posted.empty());
}

}  // namespace
}  // namespace parvex
