#include "app/win32/frm_smtp_security.h"

#include <algorithm>
#include <iterator>

#include "app/password_seal.h"
#include "net/net_errors.h"

namespace parvex {
namespace {

using namespace smtp_security;

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 432;
constexpr int kFieldLeft = 110;
constexpr int kFieldWidth = 236;

const char* const kProviderNames[] = {"Microsoft 365 or Outlook.com", "Google (Gmail)", "Another provider"};

// Reads the field and wipes it, so that the secret is not left in the window.
std::string TakeSecret(HWND edit) {
  std::string typed = GetText(edit);
  SetText(edit, "");
  return typed;
}

std::string Seal(std::string typed, const std::string& stored) {
  std::string sealed = typed.empty() ? stored : SealPassword(UserSecretSealer(), typed);
  std::fill(typed.begin(), typed.end(), '\0');
  return sealed;
}

}  // namespace

TfrmSmtpSecurity::TfrmSmtpSecurity(TApplication& application, HWND owner, const SmtpSignIn& current, bool signedIn,
                                   SignInRunner signIn)
    : TForm(application, kSmtpSecurityWindowClass, "SMTP security and sign-in", WS_POPUP | WS_CAPTION | WS_SYSMENU,
            WS_EX_DLGMODALFRAME, owner, kClientWidth, kClientHeight),
      font_("MS Sans Serif", 8),
      current_(current),
      signIn_(std::move(signIn)) {
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
  CreateMnemonicLabel(Handle(), "&User name", {12, 99, 90, 13}, f);
  edUser_ = CreateEdit(Handle(), {kFieldLeft, 96, kFieldWidth, 21}, kEdSmtpUser, f);
  SetText(edUser_, current.user);
  CreateLabel(Handle(), "Sign in", {12, 126, 90, 13}, f);
  rbPassword_ = CreateRadioButton(Handle(), "With a pass&word", {kFieldLeft, 124, 110, 17}, kRbAuthPassword, f, true);
  rbOAuth_ = CreateRadioButton(Handle(), "With &OAuth 2.0", {kFieldLeft + 116, 124, 120, 17}, kRbAuthOAuth, f, false);
  if (current.auth != SmtpAuth::Unknown) SetChecked(current.auth == SmtpAuth::OAuth ? rbOAuth_ : rbPassword_, true);
  createPasswordFields(f);
  createOAuthFields(f);
  SetText(lbStatus_, signedIn ? "Signed in." : "Not signed in yet.");
  btOk_ = CreateButton(Handle(), "OK", {190, 398, 75, 25}, IDOK, f, true);
  CreateButton(Handle(), "Cancel", {273, 398, 75, 25}, IDCANCEL, f);
  showAuthFields();
  SetActiveControl(btOk_);
  CenterOnScreen();

  OnClick(IDOK, [this] { okClick(); });
  OnCommand(IDCANCEL, [this](int) { Close(); });
  OnClick(kRbAuthPassword, [this] { showAuthFields(); });
  OnClick(kRbAuthOAuth, [this] { showAuthFields(); });
  OnClick(kBtOAuthSignIn, [this] { signInClick(); });
}

void TfrmSmtpSecurity::createPasswordFields(HFONT f) {
  passwordFields_.push_back(CreateMnemonicLabel(Handle(), "&Password", {12, 153, 90, 13}, f));
  edPassword_ = CreateEdit(Handle(), {kFieldLeft, 150, kFieldWidth, 21}, kEdSmtpPassword, f, ES_PASSWORD);
  passwordFields_.push_back(edPassword_);
  passwordFields_.push_back(CreateLabel(
      Handle(),
      current_.sealedPassword.empty() ? "No password is stored." : "A password is stored; type a new one to replace it.",
      {kFieldLeft, 175, 240, 13}, f, kLbPasswordStored));
}

void TfrmSmtpSecurity::createOAuthFields(HFONT f) {
  const OAuthRegistration& r = current_.oauth;
  const auto field = [&](const char* caption, int y, int id, const std::string& text, DWORD style = 0) {
    oauthFields_.push_back(CreateMnemonicLabel(Handle(), caption, {12, y + 3, 96, 13}, f));
    HWND edit = CreateEdit(Handle(), {kFieldLeft, y, kFieldWidth, 21}, id, f, ES_AUTOHSCROLL | style);
    SetText(edit, text);
    oauthFields_.push_back(edit);
    return edit;
  };
  oauthFields_.push_back(CreateMnemonicLabel(Handle(), "Pro&vider", {12, 153, 96, 13}, f));
  cbProvider_ = CreateControl(Handle(), "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                              {kFieldLeft, 150, kFieldWidth, 120}, kCbOAuthProvider, f);
  oauthFields_.push_back(cbProvider_);
  for (const char* name : kProviderNames) SendMessageA(cbProvider_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  const auto known = std::find(std::begin(kProviders), std::end(kProviders), r.provider);
  SendMessageA(cbProvider_, CB_SETCURSEL, known == std::end(kProviders) ? 0 : known - std::begin(kProviders), 0);
  edClientId_ = field("Client &ID", 177, kEdOAuthClientId, r.clientId);
  edClientSecret_ = field("Client s&ecret", 204, kEdOAuthClientSecret, "", ES_PASSWORD);
  oauthFields_.push_back(CreateLabel(Handle(),
                                     r.sealedClientSecret.empty()
                                         ? "Optional: only some registrations have one."
                                         : "A secret is stored; type a new one to replace it.",
                                     {kFieldLeft, 228, 240, 13}, f));
  edTenant_ = field("Ten&ant (Microsoft)", 247, kEdOAuthTenant, r.tenant);
  edAuthorizeUrl_ = field("Authori&zation URL", 274, kEdOAuthAuthorizeUrl, r.authorizeUrl);
  edTokenUrl_ = field("To&ken URL", 301, kEdOAuthTokenUrl, r.tokenUrl);
  edScope_ = field("S&cope", 328, kEdOAuthScope, r.scope);
  oauthFields_.push_back(CreateLabel(Handle(), "Fields left empty take the provider's own.",
                                     {kFieldLeft, 352, 240, 13}, f));
  btSignIn_ = CreateButton(Handle(), "Si&gn in with OAuth 2.0...", {12, 370, 150, 25}, kBtOAuthSignIn, f);
  oauthFields_.push_back(btSignIn_);
  lbStatus_ = CreateLabel(Handle(), "", {170, 376, 180, 13}, f, kLbOAuthStatus);
  oauthFields_.push_back(lbStatus_);
}

void TfrmSmtpSecurity::showAuthFields() {
  const bool oauth = IsChecked(rbOAuth_);
  for (HWND w : passwordFields_) SetVisible(w, !oauth);
  for (HWND w : oauthFields_) SetVisible(w, oauth);
}

SmtpSignIn TfrmSmtpSecurity::chosen() {
  // What the dialog does not show stays as it was.
  SmtpSignIn chosen = current_;
  chosen.security = IsChecked(rbStartTls_)   ? SmtpSecurity::StartTls
                    : IsChecked(rbImplicit_) ? SmtpSecurity::Implicit
                    : IsChecked(rbNone_)     ? SmtpSecurity::None
                                             : current_.security;
  chosen.auth = IsChecked(rbOAuth_) ? SmtpAuth::OAuth : IsChecked(rbPassword_) ? SmtpAuth::Password : current_.auth;
  chosen.user = GetText(edUser_);
  // Without a user name there is no sign-in, and no password is kept for one.
  const std::string password = Seal(TakeSecret(edPassword_), current_.sealedPassword);
  chosen.sealedPassword = chosen.user.empty() ? std::string() : password;
  OAuthRegistration& r = chosen.oauth;
  const auto selected = SendMessageA(cbProvider_, CB_GETCURSEL, 0, 0);
  r.provider = kProviders[selected >= 0 && selected < static_cast<LRESULT>(std::size(kProviders)) ? selected : 0];
  r.clientId = GetText(edClientId_);
  r.sealedClientSecret = Seal(TakeSecret(edClientSecret_), current_.oauth.sealedClientSecret);
  r.tenant = GetText(edTenant_);
  r.authorizeUrl = GetText(edAuthorizeUrl_);
  r.tokenUrl = GetText(edTokenUrl_);
  r.scope = GetText(edScope_);
  // What was typed is kept for this dialog's next look too.
  current_.sealedPassword = password;
  current_.oauth.sealedClientSecret = r.sealedClientSecret;
  return chosen;
}

void TfrmSmtpSecurity::okClick() {
  result_ = chosen();
  Close();
}

// The sign-in runs here, its waits taking the messages: the dialog answers,
// and Cancel (or Escape, or the close box) stops the sign-in, not the dialog.
void TfrmSmtpSecurity::signInClick() {
  if (signingIn_) return;
  const SmtpSignIn typed = chosen();
  signingIn_ = true;
  cancelSignIn_ = false;
  EnableWindow(btSignIn_, FALSE);
  EnableWindow(btOk_, FALSE);
  SignInProgress progress;
  progress.status = [this](const std::string& text) { SetText(lbStatus_, text); };
  progress.cancelled = [this] { return cancelSignIn_; };
  std::string outcome = "Signed in.";
  try {
    signIn_(ToOAuthSettings(typed.oauth, UserSecretSealer()), typed.user, progress);
  } catch (const EQuitRequested&) {
    throw;
  } catch (const ECanceledError&) {
    outcome = "The sign-in was cancelled.";
  } catch (const Exception& e) {
    outcome = "Not signed in.";
    Application().ShowMessage(e.Message());
  }
  signingIn_ = false;
  EnableWindow(btSignIn_, TRUE);
  EnableWindow(btOk_, TRUE);
  SetText(lbStatus_, outcome);
}

bool TfrmSmtpSecurity::CloseQuery() {
  if (!signingIn_) return true;
  cancelSignIn_ = true;
  return false;
}

}  // namespace parvex
