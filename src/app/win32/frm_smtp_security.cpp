#include "app/win32/frm_smtp_security.h"

#include <algorithm>

#include "app/password_seal.h"

namespace parvex {
namespace {

using namespace smtp_security;

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 214;

}  // namespace

TfrmSmtpSecurity::TfrmSmtpSecurity(TApplication& application, HWND owner, const SmtpSignIn& current)
    : TForm(application, kSmtpSecurityWindowClass, "SMTP security and sign-in", WS_POPUP | WS_CAPTION | WS_SYSMENU,
            WS_EX_DLGMODALFRAME, owner, kClientWidth, kClientHeight),
      font_("MS Sans Serif", 8),
      current_(current) {
  HFONT f = font_.Handle();
  CreateLabel(Handle(), "Connection", {12, 10, 290, 13}, f);
  rbNone_ = CreateRadioButton(Handle(), "&None", {20, 28, 280, 17}, kRbSecurityNone, f, true);
  rbStartTls_ =
      CreateRadioButton(Handle(), "&STARTTLS (a provider's port 587)", {20, 48, 280, 17}, kRbSecurityStartTls, f, false);
  rbImplicit_ =
      CreateRadioButton(Handle(), "SSL/&TLS (a provider's port 465)", {20, 68, 280, 17}, kRbSecurityImplicit, f, false);
  // A stored value this version does not know ticks none: the user must choose.
  if (current.security != SmtpSecurity::Unknown)
    SetChecked(current.security == SmtpSecurity::StartTls   ? rbStartTls_
               : current.security == SmtpSecurity::Implicit ? rbImplicit_
                                                            : rbNone_,
               true);
  CreateMnemonicLabel(Handle(), "&User name", {12, 99, 80, 13}, f);
  edUser_ = CreateEdit(Handle(), {96, 96, 210, 21}, kEdSmtpUser, f);
  SetText(edUser_, current.user);
  CreateMnemonicLabel(Handle(), "&Password", {12, 126, 80, 13}, f);
  edPassword_ = CreateEdit(Handle(), {96, 123, 210, 21}, kEdSmtpPassword, f, ES_PASSWORD);
  CreateLabel(
      Handle(),
      current.sealedPassword.empty() ? "No password is stored." : "A password is stored; type a new one to replace it.",
      {96, 148, 214, 13}, f, kLbPasswordStored);
  HWND ok = CreateButton(Handle(), "OK", {150, 178, 75, 25}, IDOK, f, true);
  CreateButton(Handle(), "Cancel", {233, 178, 75, 25}, IDCANCEL, f);
  SetActiveControl(ok);
  CenterOnScreen();

  OnClick(IDOK, [this] { okClick(); });
  OnCommand(IDCANCEL, [this](int) { Close(); });
}

void TfrmSmtpSecurity::okClick() {
  SmtpSignIn chosen;
  chosen.security = IsChecked(rbStartTls_)   ? SmtpSecurity::StartTls
                    : IsChecked(rbImplicit_) ? SmtpSecurity::Implicit
                    : IsChecked(rbNone_)     ? SmtpSecurity::None
                                             : current_.security;
  chosen.user = GetText(edUser_);
  std::string typed = GetText(edPassword_);
  // Without a user name there is no sign-in, and no password is kept for one.
  if (!chosen.user.empty())
    chosen.sealedPassword = typed.empty() ? current_.sealedPassword : SealPassword(UserSecretSealer(), typed);
  std::fill(typed.begin(), typed.end(), '\0');
  SetText(edPassword_, "");
  result_ = std::move(chosen);
  Close();
}

}  // namespace parvex
