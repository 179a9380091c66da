#pragma once
// The SMTP sign-in dialog: how the connection is secured, the user name and the
// password. A stored password is never shown back: the field stays empty and a
// line says that one is stored; only what is typed replaces it.
#include <windows.h>

#include <optional>
#include <string>

#include "app/win32/smtp_security_controls.h"
#include "net/smtp_security.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"

namespace parvex {

struct SmtpSignIn {
  SmtpSecurity security = SmtpSecurity::None;
  std::string user;
  std::string sealedPassword;  // as stored
};

class TfrmSmtpSecurity final : public TForm {
 public:
  TfrmSmtpSecurity(TApplication& application, HWND owner, const SmtpSignIn& current);

  // What OK left; nothing after Cancel or the close box.
  const std::optional<SmtpSignIn>& Result() const { return result_; }

 private:
  void okClick();

  TFont font_;
  SmtpSignIn current_;
  std::optional<SmtpSignIn> result_;
  HWND rbNone_ = nullptr, rbStartTls_ = nullptr, rbImplicit_ = nullptr;
  HWND edUser_ = nullptr, edPassword_ = nullptr;
};

}  // namespace parvex
