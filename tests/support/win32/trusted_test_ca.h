#pragma once
// The tests' own CA among the current user's trusted roots while this lives.
// Wine's chain engine reads the roots once per process: a process that makes
// secure connections itself must do this before its first one.
#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace parvex::test {

class TrustedTestCa {
 public:
  explicit TrustedTestCa(const std::string& der) {
    store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (store_ &&
        CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                         static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &ca_))
      CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  }
  ~TrustedTestCa() {
    if (ca_) {
      CertDeleteCertificateFromStore(ca_);  // frees the context too
      // Wine keeps a removal only once it is committed.
      CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    }
    if (store_) CertCloseStore(store_, 0);
  }
  TrustedTestCa(const TrustedTestCa&) = delete;
  TrustedTestCa& operator=(const TrustedTestCa&) = delete;
  bool trusted() const { return ca_ != nullptr; }

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT ca_ = nullptr;
};

}  // namespace parvex::test
