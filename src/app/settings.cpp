#include "app/settings.h"

#include <algorithm>

#include "runtime/string_routines.h"

namespace parvex {

namespace {

std::string dirName(int i) { return "Dir" + IntToStr(i + 1); }
std::string recipName(int i) { return "Recip" + IntToStr(i); }

// A missing value is no security, as before the setting existed. Any other text
// than the three known ones is kept as unknown, which activation refuses: read as
// no security it could send in clear what the user meant to protect.
SmtpSecurity ReadSecurity(const IniStore& store) {
  const std::string text = ReadString(store, kOptsSection, "SmtpSecurity", "0");
  if (text == "0") return SmtpSecurity::None;
  if (text == "1") return SmtpSecurity::StartTls;
  if (text == "2") return SmtpSecurity::Implicit;
  return SmtpSecurity::Unknown;
}

// As with the security: only the two known numbers are taken.
SmtpAuth ReadAuth(const IniStore& store) {
  const std::string text = ReadString(store, kOptsSection, "SmtpAuth", "0");
  if (text == "0") return SmtpAuth::Password;
  if (text == "1") return SmtpAuth::OAuth;
  return SmtpAuth::Unknown;
}

}  // namespace

void ReadSettings(const IniStore& store, WatcherSettings& s) {
  for (int i = 0; i < kFolderSlotCount; ++i) s.dirs[i] = ReadString(store, kStartSection, dirName(i), "");
  s.wav = ReadString(store, kOptsSection, "Wav", "");
  s.nsecs = ReadString(store, kOptsSection, "Nsecs", "60");
  s.newFiles = ReadBool(store, kOptsSection, "New", true);
  s.changedFiles = ReadBool(store, kOptsSection, "Change", true);
  s.deletedFiles = ReadBool(store, kOptsSection, "Delete", true);
  s.autoStart = ReadBool(store, kOptsSection, "AutoStart", false);
  // The defaults of the two choices are the screen's state at creation.
  s.soundAlarm = ReadBool(store, kOptsSection, "SoundAlarm", s.soundAlarm);
  s.mapi = ReadBool(store, kOptsSection, "MAPI", s.mapi);
  s.server = ReadString(store, kOptsSection, "Server", "");
  s.sender = ReadString(store, kOptsSection, "Sender", "");
  s.sendEmail = ReadString(store, kOptsSection, "SendEmail", "");
  s.subject = ReadString(store, kOptsSection, "Subject", "");
  s.recipients.clear();
  // A damaged count (say 2000000000) must not make start-up read the registry
  // for hours; no mail goes to more recipients than this.
  const int count = std::min(ReadInteger(store, kOptsSection, "NumRecip", -1), kMaxRecipients);
  for (int i = 1; i <= count; ++i) {
    std::string line = ReadString(store, kOptsSection, recipName(i), "");
    if (!line.empty()) s.recipients.push_back(std::move(line));
  }
  s.smtpSecurity = ReadSecurity(store);
  s.smtpUser = ReadString(store, kOptsSection, "SmtpUser", "");
  s.smtpPassword = ReadString(store, kOptsSection, "SmtpPassword", "");
  s.smtpAuth = ReadAuth(store);
  s.oauth.provider = ReadString(store, kOptsSection, "OAuthProvider", "microsoft");
  s.oauth.clientId = ReadString(store, kOptsSection, "OAuthClientId", "");
  s.oauth.sealedClientSecret = ReadString(store, kOptsSection, "OAuthClientSecret", "");
  s.oauth.tenant = ReadString(store, kOptsSection, "OAuthTenant", "");
  s.oauth.authorizeUrl = ReadString(store, kOptsSection, "OAuthAuthorizeUrl", "");
  s.oauth.tokenUrl = ReadString(store, kOptsSection, "OAuthTokenUrl", "");
  s.oauth.scope = ReadString(store, kOptsSection, "OAuthScope", "");
}

void WriteSettings(IniStore& store, const WatcherSettings& s) {
  for (int i = 0; i < kFolderSlotCount; ++i) WriteString(store, kStartSection, dirName(i), s.dirs[i]);
  WriteBool(store, kOptsSection, "New", s.newFiles);
  WriteBool(store, kOptsSection, "Change", s.changedFiles);
  WriteBool(store, kOptsSection, "Delete", s.deletedFiles);
  WriteString(store, kOptsSection, "Wav", s.wav);
  WriteString(store, kOptsSection, "Nsecs", s.nsecs);
  WriteBool(store, kOptsSection, "AutoStart", s.autoStart);
  WriteBool(store, kOptsSection, "SoundAlarm", s.soundAlarm);
  WriteBool(store, kOptsSection, "MAPI", s.mapi);
  WriteString(store, kOptsSection, "Server", s.server);
  WriteString(store, kOptsSection, "Sender", s.sender);
  WriteString(store, kOptsSection, "SendEmail", s.sendEmail);
  WriteString(store, kOptsSection, "Subject", s.subject);
  WriteInteger(store, kOptsSection, "NumRecip", static_cast<int>(s.recipients.size()));
  for (std::size_t i = 0; i < s.recipients.size(); ++i)
    WriteString(store, kOptsSection, recipName(static_cast<int>(i) + 1), s.recipients[i]);
  // An unknown value stays as stored, for the version that wrote it.
  if (s.smtpSecurity != SmtpSecurity::Unknown)
    WriteInteger(store, kOptsSection, "SmtpSecurity", static_cast<int>(s.smtpSecurity));
  WriteString(store, kOptsSection, "SmtpUser", s.smtpUser);
  WriteString(store, kOptsSection, "SmtpPassword", s.smtpPassword);
  if (s.smtpAuth != SmtpAuth::Unknown) WriteInteger(store, kOptsSection, "SmtpAuth", static_cast<int>(s.smtpAuth));
  WriteString(store, kOptsSection, "OAuthProvider", s.oauth.provider);
  WriteString(store, kOptsSection, "OAuthClientId", s.oauth.clientId);
  WriteString(store, kOptsSection, "OAuthClientSecret", s.oauth.sealedClientSecret);
  WriteString(store, kOptsSection, "OAuthTenant", s.oauth.tenant);
  WriteString(store, kOptsSection, "OAuthAuthorizeUrl", s.oauth.authorizeUrl);
  WriteString(store, kOptsSection, "OAuthTokenUrl", s.oauth.tokenUrl);
  WriteString(store, kOptsSection, "OAuthScope", s.oauth.scope);
}

bool ReadAutoStart(const IniStore& store) { return ReadBool(store, kOptsSection, "AutoStart", false); }

}  // namespace parvex
