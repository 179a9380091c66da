#include "app/settings.h"

#include <gtest/gtest.h>

#include "app/memory_ini_store.h"
#include "app/password_seal.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using test::MemoryIniStore;

std::string opt(const MemoryIniStore& store, const std::string& name) { return store.values.at({"Opts", name}); }

WatcherSettings read(const MemoryIniStore& store) {
  WatcherSettings s;
  ReadSettings(store, s);
  return s;
}

TEST(Settings, FirstRunGivesTheDefaults) {
  MemoryIniStore store;
  const WatcherSettings s = read(store);
  for (const auto& d : s.dirs) EXPECT_EQ(d, "");
  EXPECT_TRUE(s.newFiles && s.changedFiles && s.deletedFiles);
  EXPECT_EQ(s.nsecs, "60");
  EXPECT_FALSE(s.autoStart);
  EXPECT_TRUE(s.soundAlarm);
  EXPECT_TRUE(s.mapi);
  EXPECT_TRUE(s.recipients.empty());
  EXPECT_FALSE(ReadAutoStart(store));
  // Settings of earlier versions send as before: no security, no sign-in.
  EXPECT_EQ(s.smtpSecurity, SmtpSecurity::None);
  EXPECT_EQ(s.smtpUser, "");
  EXPECT_EQ(s.smtpPassword, "");
}

TEST(Settings, BooleansReadThroughTheIntegerConversion) {
  MemoryIniStore store;
  store.values[{"Opts", "New"}] = "0x0";
  store.values[{"Opts", "Change"}] = "yes";  // not a number: default true
  store.values[{"Opts", "Delete"}] = "$0";
  store.values[{"Opts", "AutoStart"}] = " +7";
  store.values[{"Opts", "SoundAlarm"}] = " -3";
  store.values[{"Opts", "MAPI"}] = "0";
  const WatcherSettings s = read(store);
  EXPECT_FALSE(s.newFiles);
  EXPECT_TRUE(s.changedFiles);
  EXPECT_FALSE(s.deletedFiles);
  EXPECT_TRUE(s.autoStart);
  EXPECT_TRUE(s.soundAlarm);
  EXPECT_FALSE(s.mapi);
  EXPECT_TRUE(ReadAutoStart(store));
}

TEST(Settings, RecipientCountBoundsTheListAndEmptyLinesAreSkipped) {
  MemoryIniStore store;
  store.values[{"Opts", "NumRecip"}] = "2";
  store.values[{"Opts", "Recip1"}] = "";
  store.values[{"Opts", "Recip2"}] = "x";
  store.values[{"Opts", "Recip3"}] = "stale";
  EXPECT_EQ(read(store).recipients, std::vector<std::string>{"x"});

  store.values[{"Opts", "NumRecip"}] = "0";
  EXPECT_TRUE(read(store).recipients.empty());
  store.values.erase({"Opts", "NumRecip"});
  EXPECT_TRUE(read(store).recipients.empty());
  store.values[{"Opts", "NumRecip"}] = "-5";
  EXPECT_TRUE(read(store).recipients.empty());
  // A damaged count does not make start-up read the registry two billion times.
  store.values[{"Opts", "NumRecip"}] = "2000000000";
  store.reads = 0;
  EXPECT_EQ(read(store).recipients, (std::vector<std::string>{"x", "stale"}));
  EXPECT_LE(store.reads, kMaxRecipients + 100);
}

TEST(Settings, ShorterRecipientListLeavesOldValuesButReadsBackShort) {
  MemoryIniStore store;
  WatcherSettings s;
  s.recipients = {"a@x", "b@x", "c@x"};
  WriteSettings(store, s);
  s.recipients = {"d@x"};
  WriteSettings(store, s);
  EXPECT_EQ(opt(store, "NumRecip"), "1");
  EXPECT_EQ(opt(store, "Recip3"), "c@x");
  EXPECT_EQ(read(store).recipients, std::vector<std::string>{"d@x"});
}

TEST(Settings, WritesEveryValueInOrderAndReadsItBack) {
  MemoryIniStore store;
  WatcherSettings s;
  s.dirs[0] = "C:\\a";
  s.dirs[19] = "D:\\z";
  s.newFiles = false;
  s.wav = "C:\\ding.wav";
  s.nsecs = "5";
  s.autoStart = true;
  s.soundAlarm = false;
  s.mapi = false;
  s.server = "mail:2525";
  s.sender = "Me";
  s.sendEmail = "me@x";
  s.subject = "Changes";
  s.recipients = {"a@x", "", "b@x"};
  s.smtpSecurity = SmtpSecurity::Implicit;
  s.smtpUser = "me";
  s.smtpPassword = SealPassword(UserSecretSealer(), "pass word");
  s.smtpAuth = SmtpAuth::OAuth;
  s.oauth.provider = "custom";
  s.oauth.clientId = "id";
  s.oauth.sealedClientSecret = SealPassword(UserSecretSealer(), "client secret");
  s.oauth.tenant = "contoso";
  s.oauth.authorizeUrl = "https://a/authorize";
  s.oauth.tokenUrl = "https://a/token";
  s.oauth.scope = "mail";
  WriteSettings(store, s);

  std::vector<std::string> expected;
  for (int i = 1; i <= 20; ++i) expected.push_back("Start\\Dir" + std::to_string(i));
  for (const char* n :
       {"New", "Change", "Delete", "Wav", "Nsecs", "AutoStart", "SoundAlarm", "MAPI", "Server", "Sender", "SendEmail",
        "Subject", "NumRecip", "Recip1", "Recip2", "Recip3", "SmtpSecurity", "SmtpUser", "SmtpPassword", "SmtpAuth", "OAuthProvider", "OAuthClientId",
        "OAuthClientSecret", "OAuthTenant", "OAuthAuthorizeUrl", "OAuthTokenUrl", "OAuthScope"})
    expected.push_back(std::string("Opts\\") + n);
  EXPECT_EQ(store.order, expected);
  EXPECT_EQ(opt(store, "New"), "0");
  EXPECT_EQ(opt(store, "Change"), "1");
  EXPECT_EQ(opt(store, "NumRecip"), "3");
  EXPECT_EQ(opt(store, "Recip2"), "");
  EXPECT_EQ(opt(store, "SmtpSecurity"), "2");
  EXPECT_EQ(opt(store, "SmtpPassword").find("pass"), std::string::npos);
  EXPECT_EQ(opt(store, "SmtpAuth"), "1");
  EXPECT_EQ(opt(store, "OAuthClientSecret").find("secret"), std::string::npos);

  const WatcherSettings back = read(store);
  EXPECT_EQ(back.dirs, s.dirs);
  EXPECT_FALSE(back.newFiles);
  EXPECT_EQ(back.wav, s.wav);
  EXPECT_EQ(back.nsecs, "5");
  EXPECT_TRUE(back.autoStart);
  EXPECT_FALSE(back.soundAlarm);
  EXPECT_FALSE(back.mapi);
  EXPECT_EQ(back.server, "mail:2525");
  EXPECT_EQ(back.sender, "Me");
  EXPECT_EQ(back.sendEmail, "me@x");
  EXPECT_EQ(back.subject, "Changes");
  EXPECT_EQ(back.recipients, (std::vector<std::string>{"a@x", "b@x"}));
  EXPECT_EQ(back.smtpSecurity, SmtpSecurity::Implicit);
  EXPECT_EQ(back.smtpUser, "me");
  EXPECT_EQ(UnsealPassword(UserSecretSealer(), back.smtpPassword), "pass word");
  EXPECT_EQ(back.smtpAuth, SmtpAuth::OAuth);
  EXPECT_EQ((std::vector<std::string>{back.oauth.provider, back.oauth.clientId, back.oauth.tenant, back.oauth.authorizeUrl,
                                      back.oauth.tokenUrl, back.oauth.scope}),
            (std::vector<std::string>{"custom", "id", "contoso", "https://a/authorize", "https://a/token", "mail"}));
  EXPECT_EQ(UnsealPassword(UserSecretSealer(), back.oauth.sealedClientSecret), "client secret");
}

TEST(Settings, SecurityNumbersAndStoredPasswords) {
  MemoryIniStore store;
  for (const auto& [text, security] : std::vector<std::pair<std::string, SmtpSecurity>>{{"0", SmtpSecurity::None},
                                                                                        {"1", SmtpSecurity::StartTls},
                                                                                        {"2", SmtpSecurity::Implicit},
                                                                                        {"3", SmtpSecurity::Unknown},
                                                                                        {"01", SmtpSecurity::Unknown},
                                                                                        {"tls", SmtpSecurity::Unknown}}) {
    store.values[{"Opts", "SmtpSecurity"}] = text;
    EXPECT_EQ(read(store).smtpSecurity, security) << text;
  }
  // An unknown value is left as stored when the settings are saved.
  WatcherSettings unknown = read(store);
  WriteSettings(store, unknown);
  EXPECT_EQ((store.values[{"Opts", "SmtpSecurity"}]), "tls");
  store.values.erase({"Opts", "SmtpSecurity"});
  EXPECT_EQ(read(store).smtpSecurity, SmtpSecurity::None) << "missing: as before the setting existed";
  // The sign-in kind likewise: missing is the password, a strange value is kept and refused.
  EXPECT_EQ(read(store).smtpAuth, SmtpAuth::Password);
  EXPECT_EQ(read(store).oauth.provider, "microsoft");
  store.values[{"Opts", "SmtpAuth"}] = "2";
  EXPECT_EQ(read(store).smtpAuth, SmtpAuth::Unknown);
  WriteSettings(store, read(store));
  EXPECT_EQ((store.values[{"Opts", "SmtpAuth"}]), "2");
  EXPECT_EQ(SealPassword(UserSecretSealer(), ""), "");
  EXPECT_EQ(UnsealPassword(UserSecretSealer(), ""), "");
  // Clear text, damaged text, or text sealed elsewhere: the user is asked to enter it again.
  for (const char* stored : {"secret", "c2VjcmV0", "!!"})
    EXPECT_EQ(testing::MessageOf([&] { UnsealPassword(UserSecretSealer(), stored); }),
              "The stored SMTP password cannot be read; please enter it again.")
        << stored;
}

TEST(Settings, ReadErrorKeepsWhatWasReadAndStopsThere) {
  MemoryIniStore store;
  store.values[{"Start", "Dir1"}] = "C:\\one";
  store.values[{"Opts", "Wav"}] = "w.wav";
  store.values[{"Opts", "Server"}] = "never read";
  store.binary.insert({"Opts", "Nsecs"});
  WatcherSettings s;
  EXPECT_EQ(testing::MessageOf([&] { ReadSettings(store, s); }), "Invalid data type for 'Nsecs'");
  EXPECT_EQ(s.dirs[0], "C:\\one");
  EXPECT_EQ(s.wav, "w.wav");
  EXPECT_EQ(s.server, "");
}

TEST(Settings, WriteErrorPropagates) {
  MemoryIniStore store;
  store.failWrites = true;
  EXPECT_EQ(testing::MessageOf([&] { WriteSettings(store, WatcherSettings{}); }), "Failed to set data for 'Dir1'");
}

}  // namespace
}  // namespace parvex
