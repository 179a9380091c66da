// SChannel under the SMTP client, against the fault server's real TLS: a test CA
// made by the harness is trusted in this prefix for the length of each test.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "net/mxsmtp.h"
#include "net/system_tls.h"
#include "support/test_servers.h"

namespace parvex {
namespace {

constexpr const char* kCaAction = "PARVEX_TEST_CA_ACTION";

std::string TestCa() { return test::ReadFile(test::ServerDir() + "/ca.der"); }

// Wine's chain engine reads the trusted roots once per process, so the CA is
// trusted (and forgotten again) by a run of this program of its own.
void RunCaAction(const char* action) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --gtest_filter=LiveSchannelCa.* --gtest_brief=1";
  SetEnvironmentVariableA(kCaAction, action);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableA(kCaAction, nullptr);
  ASSERT_TRUE(started) << GetLastError();
  WaitForSingleObject(child.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_EQ(code, 0u) << action;
}

// Does what RunCaAction asks for; skipped in every other run.
TEST(LiveSchannelCa, TrustOrForgetTheTestCa) {
  char action[16] = {};
  if (!GetEnvironmentVariableA(kCaAction, action, sizeof action)) GTEST_SKIP() << "run only for the TLS tests";
  REQUIRE_SERVERS();
  const std::string der = TestCa();
  ASSERT_FALSE(der.empty());
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
  ASSERT_NE(store, nullptr);
  const auto* bytes = reinterpret_cast<const BYTE*>(der.data());
  const auto size = static_cast<DWORD>(der.size());
  if (std::string(action) == "trust") {
    EXPECT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, bytes, size, CERT_STORE_ADD_REPLACE_EXISTING,
                                                 nullptr));
  } else {
    PCCERT_CONTEXT ca = CertCreateCertificateContext(X509_ASN_ENCODING, bytes, size);
    ASSERT_NE(ca, nullptr);
    PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, ca, nullptr);
    EXPECT_NE(found, nullptr);
    if (found) {
      EXPECT_TRUE(CertDeleteCertificateFromStore(found)) << GetLastError();
    }
    CertFreeCertificateContext(ca);
  }
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
}

class LiveSchannel : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_SERVERS();
    if (TestCa().empty()) GTEST_SKIP() << "no test CA (no openssl on the Linux side)";
    RunCaAction("trust");
    trusted_ = true;
    smtp_ = std::make_unique<TmxSMTP>(test::Host(), test::Pump());
    smtp_->SetWinsockLoaded(true);
    smtp_->SetTimeOut(10);
    smtp_->TlsFactory = SystemTlsFactory();
    smtp_->UserName = "user";
    smtp_->Password = "secret";
    smtp_->MailMessage = &message_;
    message_.Sender().SetAddress("monitor@example.com");
    message_.Recipients().AddAddress("one@example.com", "One");
    message_.SetSubject("Folder changes");
    message_.Body().push_back("Added C:\\data\\new.txt");
  }
  void TearDown() override {
    if (trusted_) RunCaAction("forget");
  }

  std::string Send(SmtpSecurity security, const std::string& host, const std::string& scenario) {
    smtp_->Security = security;
    smtp_->Server = host + ":" + std::to_string(test::FaultPort(scenario));
    try {
      smtp_->SendMail();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(sent)";
  }

  bool trusted_ = false;
  TmxMessage message_;
  std::unique_ptr<TmxSMTP> smtp_;
};

TEST_F(LiveSchannel, SignsInOverTlsAndRefusesAServerItCannotTrust) {
  const std::string ehlo = "C: EHLO\n";  // the host name goes in once it is known
  struct Case {
    SmtpSecurity security;
    const char* host;
    const char* scenario;
    std::string result;  // "%s" stands for the server text
    std::string transcript;
  };
  for (const Case& c : std::vector<Case>{
           {SmtpSecurity::StartTls, "localhost", "tls_starttls", "(sent)",
            ehlo + "C: STARTTLS\nC: <tls TLSv1.2>\n" + ehlo + "C: AUTH PLAIN AHVzZXIAc2VjcmV0\nC: MAIL FROM:"},
           {SmtpSecurity::Implicit, "localhost", "tls_smtps", "(sent)",
            "C: <tls TLSv1.2>\n" + ehlo + "C: AUTH PLAIN AHVzZXIAc2VjcmV0\nC: MAIL FROM:"},
           {SmtpSecurity::StartTls, "localhost", "tls_unknown_ca",
            "The secure connection to %s failed: the certificate is not issued by an authority this computer trusts",
            ehlo + "C: STARTTLS\nC: <tls TLSv1.2>\n"},
           {SmtpSecurity::StartTls, "localhost", "tls_starttls_injected",
            "The secure connection to %s failed: The server sent more than its reply to STARTTLS.",
            ehlo + "C: STARTTLS\n"},
           {SmtpSecurity::StartTls, "127.0.0.1", "tls_starttls",
            "The secure connection to %s failed: the certificate is for another host name than 127.0.0.1",
            ehlo + "C: STARTTLS\nC: <tls TLSv1.2>\n"}}) {
    std::string expected = c.result;
    const std::string result = Send(c.security, c.host, c.scenario);
    if (auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, smtp_->Server);
    EXPECT_EQ(result, expected) << c.scenario;
    const std::string transcript = test::FaultTranscript(c.scenario);
    std::string sent = c.transcript;
    for (auto at = sent.find(ehlo); at != std::string::npos; at = sent.find(ehlo, at + 1))
      sent.replace(at, ehlo.size(), "C: EHLO " + smtp_->LocalHost() + "\n");
    if (c.result == "(sent)") {
      EXPECT_EQ(transcript.rfind(sent, 0), 0u) << c.scenario << "\n" << transcript;
      EXPECT_NE(transcript.find("D: "), std::string::npos) << c.scenario;
    } else {
      // Refused before anything else went out: no sign-in, not even QUIT.
      EXPECT_EQ(transcript, sent) << c.scenario;
      EXPECT_FALSE(smtp_->Connected());
    }
  }
}

}  // namespace
}  // namespace parvex
