#pragma once
// The user's settings as they are kept under the program's registry key: every
// control of the configuration screen that is saved, in the order of saving.
#include <array>
#include <string>
#include <vector>

#include "app/smtp_sign_in.h"
#include "app/snapshot.h"
#include "net/smtp_security.h"
#include "runtime/ini_store.h"

namespace parvex {

inline constexpr const char* kSettingsKey = "Software\\Brenmark Corporation\\Parvex2000";
inline constexpr const char* kStartSection = "Start";
inline constexpr const char* kOptsSection = "Opts";
// Recipients read at most, whatever "NumRecip" says.
inline constexpr int kMaxRecipients = 10000;

struct WatcherSettings {
  std::array<std::string, kFolderSlotCount> dirs;  // "Dir1".."Dir20"
  bool newFiles = true;
  bool changedFiles = true;
  bool deletedFiles = true;
  std::string wav;
  std::string nsecs = "60";  // the interval field's text, handed over unchanged
  bool autoStart = false;
  bool soundAlarm = true;  // false: send e-mail
  bool mapi = true;        // false: SMTP
  std::string server;
  std::string sender;
  std::string sendEmail;
  std::string subject;
  std::vector<std::string> recipients;
  // The SMTP sign-in. The password is kept only as stored: sealed for the
  // Windows user and written as base64 text (see password_seal.h).
  SmtpSecurity smtpSecurity = SmtpSecurity::None;
  std::string smtpUser;
  std::string smtpPassword;
  // Sign-in with OAuth 2.0. The client secret is stored sealed like the
  // password. The refresh token is not here: only a sign-in and the sends that
  // renew it write it, so a save of the screen never puts back an older one.
  SmtpAuth smtpAuth = SmtpAuth::Password;
  OAuthRegistration oauth;
};

inline constexpr const char* kRefreshTokenValue = "OAuthRefreshToken";

// Reads into settings value by value; missing values take the first-run defaults
// (the two choices take settings' current state, which is the screen's at
// creation). On a read error the values read so far stay in settings and the error
// propagates, so the caller can still show what was read.
void ReadSettings(const IniStore& store, WatcherSettings& settings);

// Writes every value; the recipient count first, then one "RecipN" per line.
// Higher-numbered recipients from an earlier save are left in place.
void WriteSettings(IniStore& store, const WatcherSettings& settings);

// The one value the program start reads before any window exists.
bool ReadAutoStart(const IniStore& store);

}  // namespace parvex
