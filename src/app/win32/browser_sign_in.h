#pragma once
// The browser sign-in with the Windows pieces: a listener on this computer for
// the browser's answer, the system's random numbers, the default browser and
// WinHTTP; the refresh token is kept where the settings live.
#include <windows.h>

#include "net/oauth_sign_in.h"
#include "ui/win32/application.h"

namespace parvex {

void SignInInBrowser(TApplication& application, HWND owner, const OAuthSettings& settings, const std::string& mailbox,
                     const SignInProgress& progress);

// True when a sign-in has left a refresh token in the settings.
bool OAuthSignedIn();

}  // namespace parvex
