// TLS through Windows' SChannel (SSPI), bound at run time from secur32.dll and
// crypt32.dll in the system folder. The channel only transforms bytes; the
// socket layer moves them through its own waits.
#define SECURITY_WIN32
#include <windows.h>
#include <schannel.h>
#include <security.h>
#include <sspi.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "net/system_tls.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/system_library.h"

namespace parvex {
namespace {

#ifndef SP_PROT_TLS1_3_CLIENT
#define SP_PROT_TLS1_3_CLIENT 0x00002000
#endif

using InitSecurityInterfaceFn = PSecurityFunctionTableA(WINAPI*)();
using GetChainFn = BOOL(WINAPI*)(HCERTCHAINENGINE, PCCERT_CONTEXT, LPFILETIME, HCERTSTORE, PCERT_CHAIN_PARA, DWORD,
                                 LPVOID, PCCERT_CHAIN_CONTEXT*);
using VerifyPolicyFn = BOOL(WINAPI*)(LPCSTR, PCCERT_CHAIN_CONTEXT, PCERT_CHAIN_POLICY_PARA, PCERT_CHAIN_POLICY_STATUS);
using FreeChainFn = VOID(WINAPI*)(PCCERT_CHAIN_CONTEXT);
using FreeCertFn = BOOL(WINAPI*)(PCCERT_CONTEXT);

std::string Hex(unsigned long code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", code);
  return text;
}

// SChannel's reason in words where Windows has them, always with its number.
std::string Reason(SECURITY_STATUS status) {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(status), 0, text, sizeof text, nullptr);
  std::string words(text, n);
  while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' ' || words.back() == '.'))
    words.pop_back();
  return (words.empty() ? std::string("SChannel error") : words) + " (" + Hex(static_cast<unsigned long>(status)) + ")";
}

template <class Fn>
Fn Bind(const ModuleHandle& module, const char* dll, const char* name) {
  FARPROC proc = module ? GetProcAddress(module.Get(), name) : nullptr;
  if (!proc) throw ETlsError(std::string("Windows' secure channel is not available (") + dll + ": " + name + ").");
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

class SchannelTls final : public TlsChannel {
 public:
  explicit SchannelTls(std::string hostName)
      : host_(std::move(hostName)),
        secur32_(LoadSystemLibrary("secur32.dll")),
        crypt32_(LoadSystemLibrary("crypt32.dll")) {
    sspi_ = Bind<InitSecurityInterfaceFn>(secur32_, "secur32.dll", "InitSecurityInterfaceA")();
    if (!sspi_) throw ETlsError("Windows' secure channel is not available (secur32.dll).");
    getChain_ = Bind<GetChainFn>(crypt32_, "crypt32.dll", "CertGetCertificateChain");
    verifyPolicy_ = Bind<VerifyPolicyFn>(crypt32_, "crypt32.dll", "CertVerifyCertificateChainPolicy");
    freeChain_ = Bind<FreeChainFn>(crypt32_, "crypt32.dll", "CertFreeCertificateChain");
    freeCert_ = Bind<FreeCertFn>(crypt32_, "crypt32.dll", "CertFreeCertificateContext");
    AcquireCredentials();
  }

  ~SchannelTls() override {
    if (haveContext_) sspi_->DeleteSecurityContext(&context_);
    if (haveCredentials_) sspi_->FreeCredentialsHandle(&credentials_);
  }

  bool Handshake(std::string& received, std::string& toSend) override {
    if (!haveContext_) return Step(nullptr, received, toSend);
    // Everything that has come is used before the socket is asked for more: a
    // flight may arrive in one read with the next one behind it.
    while (!received.empty()) {
      const std::size_t before = received.size();
      if (Step(&received, received, toSend)) return true;
      if (received.size() == before) break;  // incomplete: wait for more
    }
    return false;
  }

  void VerifyServer() override;
  std::string Encrypt(std::string_view plain) override;
  bool Decrypt(std::string& received, std::string& plain) override;

 private:
  void AcquireCredentials() {
    SCHANNEL_CRED cred{};
    cred.dwVersion = SCHANNEL_CRED_VERSION;
    // The certificate is checked by VerifyServer, which can say what is wrong with it.
    cred.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry{};
    // TLS 1.2 or later; a system that does not know 1.3 by this name takes 1.2 alone.
    for (DWORD protocols : {DWORD(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT), DWORD(SP_PROT_TLS1_2_CLIENT)}) {
      cred.grbitEnabledProtocols = protocols;
      const SECURITY_STATUS status =
          sspi_->AcquireCredentialsHandleA(nullptr, const_cast<SEC_CHAR*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                           &cred, nullptr, nullptr, &credentials_, &expiry);
      if (status == SEC_E_OK) {
        haveCredentials_ = true;
        return;
      }
      if (protocols == SP_PROT_TLS1_2_CLIENT) throw ETlsError(Reason(status));
    }
  }

  // One call of InitializeSecurityContext. Input (when given) is consumed from
  // the front of `received`; false when more is needed.
  bool Step(std::string* input, std::string& received, std::string& toSend) {
    SecBuffer in[2] = {};
    in[0].BufferType = SECBUFFER_TOKEN;
    in[0].pvBuffer = input ? input->data() : nullptr;
    in[0].cbBuffer = input ? static_cast<unsigned long>(input->size()) : 0;
    in[1].BufferType = SECBUFFER_EMPTY;
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
    SecBuffer out[1] = {};
    out[0].BufferType = SECBUFFER_TOKEN;
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    unsigned long attributes = 0;
    TimeStamp expiry{};
    const unsigned long wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                 ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR;
    const SECURITY_STATUS status = sspi_->InitializeSecurityContextA(
        &credentials_, haveContext_ ? &context_ : nullptr, const_cast<SEC_CHAR*>(host_.c_str()), wanted, 0, 0,
        input ? &inDesc : nullptr, 0, haveContext_ ? nullptr : &context_, &outDesc, &attributes, &expiry);
    if (!haveContext_ && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)) haveContext_ = true;
    if (out[0].pvBuffer != nullptr) {
      if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)
        toSend.append(static_cast<const char*>(out[0].pvBuffer), out[0].cbBuffer);
      sspi_->FreeContextBuffer(out[0].pvBuffer);
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE) return false;
    if (status == SEC_I_INCOMPLETE_CREDENTIALS && !skippedClientCertificate_) {
      // The server asks for a client certificate: once more, without one.
      skippedClientCertificate_ = true;
      return Step(input, received, toSend);
    }
    if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
      throw ETlsError("the handshake failed: " + Reason(status));
    if (input) {
      const std::size_t extra = in[1].BufferType == SECBUFFER_EXTRA ? in[1].cbBuffer : 0;
      received.erase(0, received.size() - extra);
    }
    if (status != SEC_E_OK) return false;
    SecPkgContext_StreamSizes sizes{};
    const SECURITY_STATUS got = sspi_->QueryContextAttributesA(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes);
    if (got != SEC_E_OK) throw ETlsError("the handshake failed: " + Reason(got));
    sizes_ = sizes;
    return true;
  }

  std::string host_;
  ModuleHandle secur32_;
  ModuleHandle crypt32_;
  PSecurityFunctionTableA sspi_ = nullptr;
  GetChainFn getChain_ = nullptr;
  VerifyPolicyFn verifyPolicy_ = nullptr;
  FreeChainFn freeChain_ = nullptr;
  FreeCertFn freeCert_ = nullptr;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false;
  bool haveContext_ = false;
  bool skippedClientCertificate_ = false;
  SecPkgContext_StreamSizes sizes_{};
};

void SchannelTls::VerifyServer() {
  PCCERT_CONTEXT certificate = nullptr;
  const SECURITY_STATUS got = sspi_->QueryContextAttributesA(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
  if (got != SEC_E_OK || certificate == nullptr) throw ETlsError("the server sent no certificate");
  struct FreeCertificate {
    FreeCertFn free;
    PCCERT_CONTEXT certificate;
    ~FreeCertificate() { free(certificate); }
  } freeCertificate{freeCert_, certificate};

  char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
  LPSTR usages[] = {serverAuth};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!getChain_(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr, &chain))
    throw ETlsError("the server's certificate could not be checked (error " + std::to_string(GetLastError()) + ")");
  struct FreeChain {
    FreeChainFn free;
    PCCERT_CHAIN_CONTEXT chain;
    ~FreeChain() { free(chain); }
  } freeChain{freeChain_, chain};

  // The chain's own status first: Wine's SSL policy passes a chain whose issuer
  // was not found (it reports that only here, as a partial chain).
  const DWORD trust = chain->TrustStatus.dwErrorStatus;
  if (trust & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN))
    throw ETlsError("the certificate is not issued by an authority this computer trusts");
  if (trust & CERT_TRUST_IS_NOT_TIME_VALID) throw ETlsError("the certificate has expired or is not valid yet");
  if (trust & CERT_TRUST_IS_REVOKED) throw ETlsError("the certificate has been revoked");
  if (trust & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) throw ETlsError("the certificate is not meant for a server");
  if (trust != CERT_TRUST_NO_ERROR) throw ETlsError("the certificate is not trusted (trust status " + Hex(trust) + ")");

  std::wstring name(host_.begin(), host_.end());
  HTTPSPolicyCallbackData https{};
  https.cbStruct = sizeof https;
  https.dwAuthType = AUTHTYPE_SERVER;
  https.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA policyPara{};
  policyPara.cbSize = sizeof policyPara;
  policyPara.pvExtraPolicyPara = &https;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!verifyPolicy_(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status))
    throw ETlsError("the server's certificate could not be checked (error " + std::to_string(GetLastError()) + ")");
  switch (static_cast<unsigned long>(status.dwError)) {
    case 0: return;
    case static_cast<unsigned long>(CERT_E_CN_NO_MATCH):
      throw ETlsError("the certificate is for another host name than " + host_);
    case static_cast<unsigned long>(CERT_E_EXPIRED): throw ETlsError("the certificate has expired or is not valid yet");
    case static_cast<unsigned long>(CERT_E_UNTRUSTEDROOT):
    case static_cast<unsigned long>(CERT_E_CHAINING):
      throw ETlsError("the certificate is not issued by an authority this computer trusts");
    default: throw ETlsError("the certificate is not trusted: " + Reason(static_cast<SECURITY_STATUS>(status.dwError)));
  }
}

std::string SchannelTls::Encrypt(std::string_view plain) {
  std::string records;
  std::vector<char> buffer(sizes_.cbHeader + sizes_.cbMaximumMessage + sizes_.cbTrailer);
  while (!plain.empty()) {
    const std::size_t n = std::min<std::size_t>(plain.size(), sizes_.cbMaximumMessage);
    std::memcpy(buffer.data() + sizes_.cbHeader, plain.data(), n);
    SecBuffer parts[4] = {};
    parts[0] = {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, buffer.data()};
    parts[1] = {static_cast<unsigned long>(n), SECBUFFER_DATA, buffer.data() + sizes_.cbHeader};
    parts[2] = {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, buffer.data() + sizes_.cbHeader + n};
    parts[3] = {0, SECBUFFER_EMPTY, nullptr};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, parts};
    const SECURITY_STATUS status = sspi_->EncryptMessage(&context_, 0, &desc, 0);
    if (status != SEC_E_OK) throw ETlsError("encryption failed: " + Reason(status));
    // The trailer may come out shorter than its room: the record is the three parts in a row.
    records.append(static_cast<const char*>(parts[0].pvBuffer), parts[0].cbBuffer);
    records.append(static_cast<const char*>(parts[1].pvBuffer), parts[1].cbBuffer);
    records.append(static_cast<const char*>(parts[2].pvBuffer), parts[2].cbBuffer);
    plain.remove_prefix(n);
  }
  return records;
}

bool SchannelTls::Decrypt(std::string& received, std::string& plain) {
  while (!received.empty()) {
    SecBuffer parts[4] = {};
    parts[0] = {static_cast<unsigned long>(received.size()), SECBUFFER_DATA, received.data()};
    for (int i = 1; i < 4; ++i) parts[i] = {0, SECBUFFER_EMPTY, nullptr};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, parts};
    const SECURITY_STATUS status = sspi_->DecryptMessage(&context_, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return true;
    if (status == SEC_I_CONTEXT_EXPIRED) return false;  // the server's close_notify
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) throw ETlsError("decryption failed: " + Reason(status));
    std::string extra;
    for (int i = 1; i < 4; ++i) {
      if (parts[i].BufferType == SECBUFFER_DATA)
        plain.append(static_cast<const char*>(parts[i].pvBuffer), parts[i].cbBuffer);
      if (parts[i].BufferType == SECBUFFER_EXTRA)
        extra.assign(static_cast<const char*>(parts[i].pvBuffer), parts[i].cbBuffer);
    }
    received = std::move(extra);
    if (status == SEC_I_RENEGOTIATE) {
      // TLS 1.3 after the handshake (a session ticket): SChannel wants the rest
      // handed back to InitializeSecurityContext, which must need nothing sent.
      std::string toSend;
      if (!received.empty()) Step(&received, received, toSend);
      if (!toSend.empty()) throw ETlsError("the server asked for a new handshake");
    }
  }
  return true;
}

}  // namespace

TlsChannelFactory SystemTlsFactory() {
  return [](const std::string& hostName) -> std::unique_ptr<TlsChannel> {
    return std::make_unique<SchannelTls>(hostName);
  };
}

}  // namespace parvex
