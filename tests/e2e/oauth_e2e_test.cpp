// Sign-in with OAuth 2.0 as a user makes it: from the Security dialog, through
// the browser (a scripted one that Wine's winebrowser starts), against our own
// authorization server over HTTPS; then changes mailed to a server that takes
// XOAUTH2 only with a token in force, over STARTTLS and over SSL/TLS; an
// expired access token renewed before the next send; a revoked sign-in told.
#include <cstdlib>
#include <memory>

#include "app/win32/smtp_security_controls.h"
#include "mail_e2e_fixture.h"
#include "support/win32/trusted_test_ca.h"

namespace e2e {
namespace {

namespace security = parvex::smtp_security;

// The prefix's browser for this test: Wine's winebrowser runs the first of these
// commands it finds on PATH (the harness puts the stand-ins first).
class ScriptedBrowser {
 public:
  ScriptedBrowser() : value_("Software\\Wine\\WineBrowser", "Browsers", REG_SZ, kBrowser, sizeof kBrowser) {}

 private:
  static constexpr char kBrowser[] = "parvex-test-browser";
  ScopedUserValue value_;
};

int Port(const char* file) { return std::atoi(test::ReadFile(test::ServerDir() + "/" + file).c_str()); }
int Logged(const char* file, const std::string& line) {
  return countLines(linesOf(test::ReadFile(test::ServerDir() + "/" + file)), line);
}

class OAuthE2E : public ParvexMailE2E {
 protected:
  void SetUp() override {
    ParvexMailE2E::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    const std::string der = test::ReadFile(test::ServerDir() + "/ca.der");
    if (der.empty()) {
      if (test::ServersMustRun()) GTEST_FAIL() << "no test CA under CI";
      GTEST_SKIP() << "no test CA (no openssl on the Linux side)";
    }
    ca_ = std::make_unique<test::TrustedTestCa>(der);
    ASSERT_TRUE(ca_->trusted()) << GetLastError();
    const std::string authority = "https://localhost:" + std::to_string(Port("oauth.port"));
    putString("Opts", "SmtpUser", "me@example.com");
    putString("Opts", "SmtpAuth", "1");
    putString("Opts", "OAuthProvider", "custom");
    putString("Opts", "OAuthClientId", "parvex-test");
    putString("Opts", "OAuthAuthorizeUrl", authority + "/authorize");
    putString("Opts", "OAuthTokenUrl", authority + "/token");
    putString("Opts", "OAuthScope", "https://mail.example.com/smtp offline_access");
  }
  void TearDown() override {
    for (const char* control : {"oauth.lifetime", "oauth.revoke"})
      DeleteFileA((test::ServerDir() + "\\" + control).c_str());
    ParvexMailE2E::TearDown();
  }
  // Mail settings for the listener ("starttls" or "smtps"), by name: the
  // certificate is for localhost.
  void useListener(const char* listener, const char* securityValue) {
    putString("Opts", "SmtpSecurity", securityValue);
    server = "localhost:" + std::to_string(Port((std::string("sink.") + listener + ".port").c_str()));
  }
  // A new file in the watched folder is mailed as message `n`, signed in with XOAUTH2.
  void expectMailed(int n, const std::string& name) {
    const int accepted = Logged("sink.signins", "xoauth2 accepted");
    writeFile(watched + "\\" + name, "new");
    ASSERT_TRUE(messageArrives(n, kTickTimeout))
        << "no message within one interval: " << waitMessageBox(processes.back().pid(), 100).text;
    EXPECT_NE(test::SinkMessage(n).find("\r\nAdded " + watched + "\\" + name + "\r\n"), std::string::npos);
    EXPECT_EQ(Logged("sink.signins", "xoauth2 accepted"), accepted + 1);
  }

  std::string server;

 private:
  std::unique_ptr<test::TrustedTestCa> ca_;
};

TEST_F(OAuthE2E, SignedInFromTheDialogThenMailedRenewedAndToldWhenRevoked) {
  const ScriptedBrowser browser;
  // Access tokens that run out within the test.
  writeFile(test::ServerDir() + "\\oauth.lifetime", "8");
  useListener("starttls", "1");
  putString("Opts", "Nsecs", "5");
  putMailSettings(server, {"ops@example.com"});
  Process* p = nullptr;
  HWND main = startShown(p);
  ASSERT_NE(main, nullptr);

  // The sign-in from the dialog: the browser comes back to the program, which
  // says so in the page and in the dialog.
  click(control(main, kBtSmtpSecurity));
  HWND dialog = findTopLevel(p->pid(), security::kSmtpSecurityWindowClass, kStepTimeout);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(shownWithin(dialog, kStepTimeout));
  HWND status = findControl(dialog, security::kLbOAuthStatus);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(text(status), "Not signed in yet.");
  click(findControl(dialog, security::kBtOAuthSignIn));
  ASSERT_TRUE(waitUntil([&] { return text(status) == "Signed in."; }, 30000))
      << text(status) << " / " << waitMessageBox(p->pid(), 100).text << " / "
      << test::ReadFile(test::ServerDir() + "/oauth.log");
  EXPECT_NE(test::ReadFile(test::ServerDir() + "/browser.page").find("You can close this window"), std::string::npos);
  EXPECT_EQ(Logged("oauth.log", "token authorization_code ok"), 1);
  screenshot(dialog, "oauth-signed-in");
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(closedWithin(dialog) || hiddenWithin(dialog, kStepTimeout));

  // The stored values hold the refresh token sealed, and no token in clear.
  EXPECT_FALSE(getString("Opts", "OAuthRefreshToken").value_or("").empty());
  for (const char* value : {"OAuthRefreshToken", "SmtpPassword", "OAuthClientSecret", "SmtpUser"}) {
    const std::string stored = getString("Opts", value).value_or("");
    EXPECT_EQ(stored.find("rt-"), std::string::npos) << value;
    EXPECT_EQ(stored.find("at-"), std::string::npos) << value;
  }

  click(control(main, kBtActivate));
  ASSERT_TRUE(hiddenWithin(main, kStepTimeout));
  const int before = test::SinkMessageCount();
  expectMailed(before + 1, "over-starttls.txt");
  // The access token has run out by the next change: a new one is taken first.
  const int refreshed = Logged("oauth.log", "token refresh_token ok");
  Sleep(9000);
  expectMailed(before + 2, "after-expiry.txt");
  EXPECT_EQ(Logged("oauth.log", "token refresh_token ok"), refreshed + 1);
  p->kill();

  // SSL/TLS from the first byte, with the kept sign-in.
  useListener("smtps", "2");
  ASSERT_NE(startMailing(server, {"ops@example.com"}), nullptr);
  expectMailed(before + 3, "over-ssl.txt");

  // Revoked at the provider: the user is told to sign in again, and the token
  // address is not asked again at every scan.
  writeFile(test::ServerDir() + "\\oauth.revoke", "revoked");
  Sleep(9000);
  writeFile(watched + "\\after-revoke.txt", "new");
  const MessageBoxSeen box = waitMessageBox(processes.back().pid(), kTickTimeout);
  ASSERT_NE(box.window, nullptr) << "a revoked sign-in must be shown";
  EXPECT_NE(box.text.find("sign in again in the Security dialog"), std::string::npos) << box.text;
  dismiss(box.window);
  const int refusals = Logged("oauth.log", "token refresh_token invalid_grant");
  waitUntil([] { return false; }, 3 * 5000);
  EXPECT_EQ(Logged("oauth.log", "token refresh_token invalid_grant"), refusals);
  EXPECT_EQ(test::SinkMessageCount(), before + 3);
}

}  // namespace
}  // namespace e2e
