#pragma once
// The SMTP sign-in dialog: how the connection is secured, the user name, and
// either the password or the OAuth 2.0 registration with its browser sign-in.
// A stored secret is never shown back: the field stays empty and a line says
// that one is stored; only what is typed replaces it.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/smtp_sign_in.h"
#include "app/win32/smtp_security_controls.h"
#include "net/oauth_sign_in.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"

namespace parvex {

class TfrmSmtpSecurity final : public TForm {
 public:
  // Signs in in the browser and keeps the refresh token; raises what failed.
  using SignInRunner =
      std::function<void(const OAuthSettings& settings, const std::string& mailbox, const SignInProgress& progress)>;

  TfrmSmtpSecurity(TApplication& application, HWND owner, const SmtpSignIn& current, bool signedIn,
                   SignInRunner signIn);

  // What OK left; nothing after Cancel or the close box.
  const std::optional<SmtpSignIn>& Result() const { return result_; }

 protected:
  bool CloseQuery() override;

 private:
  void createPasswordFields(HFONT f);
  void createOAuthFields(HFONT f);
  void showAuthFields();
  // The dialog's fields as a sign-in; typed secrets are sealed, empty ones keep the stored.
  SmtpSignIn chosen();
  void okClick();
  void signInClick();

  TFont font_;
  SmtpSignIn current_;
  SignInRunner signIn_;
  std::optional<SmtpSignIn> result_;
  bool signingIn_ = false;
  bool cancelSignIn_ = false;
  HWND rbNone_ = nullptr, rbStartTls_ = nullptr, rbImplicit_ = nullptr;
  HWND edUser_ = nullptr, rbPassword_ = nullptr, rbOAuth_ = nullptr;
  std::vector<HWND> passwordFields_, oauthFields_;
  HWND edPassword_ = nullptr;
  HWND cbProvider_ = nullptr, edClientId_ = nullptr, edClientSecret_ = nullptr, edTenant_ = nullptr;
  HWND edAuthorizeUrl_ = nullptr, edTokenUrl_ = nullptr, edScope_ = nullptr;
  HWND btSignIn_ = nullptr, lbStatus_ = nullptr, btOk_ = nullptr;
};

}  // namespace parvex
