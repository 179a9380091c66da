#pragma once
// The Windows pieces under the mail stack: the Winsock notification windows, the
// process's Simple MAPI binding, the desktop services of the MAPI sender and the
// origination fields.
#include "app/mail_stack.h"
#include "app/settings.h"
#include "app/stored_refresh_token.h"
#include "app/win32/win32_mail_origin.h"
#include "net/win32/win32_socket_host.h"
#include "net/win32/winhttp_poster.h"
#include "platform/win32/win32_mapi.h"
#include "runtime/win32/registry.h"
#include "ui/win32/application.h"

namespace parvex {

class Win32MailPlatform final : public MailPlatform {
 public:
  explicit Win32MailPlatform(TApplication& application) : application_(application), mapiHost_(application.Handle()) {}

  SocketHost& socketHost() override { return socketHost_; }
  MessagePump& socketPump() override { return application_; }
  mapi::SimpleMapi& simpleMapi() override { return ProcessMapi(); }
  MapiSendHost& mapiSendHost() override { return mapiHost_; }
  MailOrigin& mailOrigin() override { return mailOrigin_; }
  HttpsPoster& tokenPoster() override { return tokenPoster_; }
  RefreshTokenStore& refreshTokens() override { return refreshTokens_; }

 private:
  TApplication& application_;
  Win32SocketHost socketHost_;
  Win32MapiSendHost mapiHost_;
  Win32MailOrigin mailOrigin_;
  WinHttpPoster tokenPoster_{application_};
  TRegIniFile settingsStore_{HKEY_CURRENT_USER, kSettingsKey};
  StoredRefreshToken refreshTokens_{settingsStore_, UserSecretSealer()};
};

}  // namespace parvex
