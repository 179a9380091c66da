#include "app/win32/browser_sign_in.h"

#include "app/settings.h"
#include "app/stored_refresh_token.h"
#include "app/win32/shell_browser.h"
#include "net/loopback_listener.h"
#include "net/win32/system_random.h"
#include "net/win32/win32_socket_host.h"
#include "net/win32/winhttp_poster.h"
#include "runtime/win32/registry.h"

namespace parvex {

void SignInInBrowser(TApplication& application, HWND owner, const OAuthSettings& settings, const std::string& mailbox,
                     const SignInProgress& progress) {
  Win32SocketHost host;
  LoopbackListener listener(TnsWinsock::Instance(), host, application);
  SystemRandom random;
  ShellBrowser browser(owner);
  WinHttpPoster poster(application);
  const TokenAnswer answer = SignInWithBrowser(settings, mailbox, random, listener, browser, poster, progress);
  TRegIniFile store(HKEY_CURRENT_USER, kSettingsKey);
  StoredRefreshToken(store, UserSecretSealer()).Save(answer.refreshToken);
}

bool OAuthSignedIn() {
  try {
    const TRegIniFile store(HKEY_CURRENT_USER, kSettingsKey);
    return HasStoredRefreshToken(store);
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace parvex
