// The MAPI sender against a recording stand-in for the four Simple MAPI calls.
#include "platform/mapi_send_message.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/mapi_binding.h"

namespace parvex {
namespace {

using mapi::Ulong;

constexpr Ulong kInvalidSession = 19;

struct SentMessage {
  std::string subject, note;
  Ulong flags = 0;
  mapi::UiParam window = 0;
  std::vector<std::pair<Ulong, std::string>> recipients;  // class, name
  std::vector<std::pair<Ulong, std::string>> files;       // position, path
};

class RecordingMapi final : public mapi::SimpleMapi {
 public:
  bool bound = true;
  std::map<std::string, Ulong> results;  // "logon", "send", "resolve:<name>"
  // Sessions the mail client no longer knows (every one when dropAll is set): calls
  // on them answer "invalid session". Each log-on opens a new session from 77 on.
  std::set<mapi::Handle> dropped;
  bool dropAll = false;
  mapi::Handle nextSession = 77;
  int logons = 0;
  std::vector<Ulong> logonFlags, resolveFlags;
  std::vector<std::string> freed;
  std::vector<SentMessage> sent;
  std::vector<std::string> addressed;  // each sent recipient's "address|entry ID"

  bool Bound(mapi::Function) override { return bound; }
  Ulong Logon(mapi::UiParam, char*, char*, Ulong flags, Ulong, mapi::Handle* session) override {
    ++logons;
    logonFlags.push_back(flags);
    if (Ulong r = results["logon"]) return r;
    *session = nextSession++;
    return 0;
  }
  bool invalid(mapi::Handle session) const { return dropAll || dropped.count(session) > 0; }
  Ulong SendMail(mapi::Handle session, mapi::UiParam ui, mapi::MapiMessage* m, Ulong flags, Ulong) override {
    EXPECT_NE(session, 0u);
    if (invalid(session)) return kInvalidSession;
    SentMessage s{m->lpszSubject, m->lpszNoteText, flags, ui, {}, {}};
    for (Ulong i = 0; i < m->nRecipCount; ++i)
      s.recipients.emplace_back(m->lpRecips[i].ulRecipClass, m->lpRecips[i].lpszName);
    for (Ulong i = 0; i < m->nRecipCount; ++i) {
      const mapi::MapiRecipDesc& r = m->lpRecips[i];
      addressed.push_back(std::string(r.lpszAddress) + "|" +
                          std::string(static_cast<const char*>(r.lpEntryID), r.ulEIDSize));
    }
    for (Ulong i = 0; i < m->nFileCount; ++i) s.files.emplace_back(m->lpFiles[i].nPosition, m->lpFiles[i].lpszPathName);
    sent.push_back(s);
    return results["send"];
  }
  Ulong FreeBuffer(void* buffer) override {
    freed.push_back(static_cast<mapi::MapiRecipDesc*>(buffer)->lpszName);
    return 0;
  }
  Ulong ResolveName(mapi::Handle session, mapi::UiParam, char* name, Ulong flags, Ulong,
                    mapi::MapiRecipDesc** out) override {
    resolveFlags.push_back(flags);
    if (invalid(session)) return kInvalidSession;
    if (Ulong r = results["resolve:" + std::string(name)]) return r;
    records_.push_back(std::make_unique<Record>());
    Record& rec = *records_.back();
    rec.name = std::string("resolved ") + name;
    rec.desc.ulRecipClass = 9;  // ignored: the list decides the class
    rec.desc.lpszName = rec.name.data();
    rec.address = std::string("SMTP:") + name;
    rec.desc.lpszAddress = rec.address.data();
    rec.entry = std::string("id\0", 3) + name;  // binary: holds a zero
    rec.desc.ulEIDSize = static_cast<Ulong>(rec.entry.size());
    rec.desc.lpEntryID = rec.entry.data();
    *out = &rec.desc;
    return 0;
  }

 private:
  struct Record {
    mapi::MapiRecipDesc desc{};
    std::string name, address, entry;
  };
  std::vector<std::unique_ptr<Record>> records_;
};

class Host final : public MapiSendHost {
 public:
  std::string cursor;  // '+' hourglass shown, '-' hidden, in call order
  mapi::UiParam ApplicationWindow() override { return 0x1234; }
  void SetWaitCursor(bool wait) override { cursor += wait ? '+' : '-'; }
  std::string ExpandFileName(const std::string& name) override { return "C:\\work\\" + name; }
};

struct Memo final : TextLinesSource {
  std::vector<std::string> lines;
  std::vector<std::string> Lines() const override { return lines; }
};
struct Edit final : TextSource {
  std::string text;
  std::string Text() const override { return text; }
};

class MapiSend : public ::testing::Test {
 protected:
  RecordingMapi mapi;
  Host host;
  TMapiSendMessage msg{mapi, host};

  std::string errorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const EMapiUserAbort& e) {
      return "abort: " + e.Message();
    } catch (const EMapiError& e) {
      return e.Message();
    }
    return "";
  }
};

TEST_F(MapiSend, FlagsFollowProfileReviewAndToRecipients) {
  struct Case {
    const char* name;
    std::string profile;
    bool review;
    std::vector<std::string> to, cc;
    Ulong logon, resolve, send;
  } cases[] = {
      {"no profile, review", "", true, {"a"}, {}, 0x49, 0x09, 0x09},
      {"profile, no review", "Work", false, {"a", "b"}, {}, 0x09, 0x01, 0x01},
      {"no recipients", "", false, {}, {}, 0x49, 0, 0x09},
      {"only copies", "", false, {}, {"c"}, 0x49, 0x01, 0x09},
  };
  for (const Case& c : cases) {
    RecordingMapi m;
    TMapiSendMessage s(m, host);
    s.ProfileName = c.profile;
    s.Review = c.review;
    s.SetToRecipients(c.to);
    s.SetCcRecipients(c.cc);
    s.Send();
    ASSERT_EQ(m.logonFlags.size(), 1u) << c.name;
    EXPECT_EQ(m.logonFlags[0], c.logon) << c.name;
    for (Ulong f : m.resolveFlags) EXPECT_EQ(f, c.resolve) << c.name;
    EXPECT_EQ(m.resolveFlags.size(), c.to.size() + c.cc.size()) << c.name;
    ASSERT_EQ(m.sent.size(), 1u) << c.name;
    EXPECT_EQ(m.sent[0].flags, c.send) << c.name;
    EXPECT_EQ(m.sent[0].window, 0x1234u) << c.name;
    EXPECT_EQ(m.freed.size(), c.to.size() + c.cc.size()) << c.name << ": every resolved record released";
  }
}

TEST_F(MapiSend, TextSubjectRecipientsAndAttachmentPositions) {
  Memo memo;
  memo.lines = {"abc"};
  Edit subject;  // empty, and still preferred to Subject
  msg.SetMessageMemo(&memo);
  msg.SetSubjectEdit(&subject);
  msg.Subject = "ignored";
  msg.SetToRecipients({"to"});
  msg.SetCcRecipients({"cc"});
  msg.SetBccRecipients({"bcc"});
  msg.SetAttachments({"one.txt", "two.txt"});
  msg.Send();
  msg.Send();
  EXPECT_EQ(mapi.logons, 1) << "the open session is reused";
  ASSERT_EQ(mapi.sent.size(), 2u);
  const SentMessage& s = mapi.sent[0];
  EXPECT_EQ(s.note, "abc\r\n  \r\n");
  EXPECT_EQ(s.subject, "");
  EXPECT_EQ(s.files, (std::vector<std::pair<Ulong, std::string>>{{6, "C:\\work\\one.txt"}, {5, "C:\\work\\two.txt"}}));
  EXPECT_EQ(s.recipients,
            (std::vector<std::pair<Ulong, std::string>>{{1, "resolved to"}, {2, "resolved cc"}, {3, "resolved bcc"}}));
  EXPECT_EQ(host.cursor, "+-+-");
  const std::string id("id\0", 3);
  EXPECT_EQ(std::vector<std::string>(mapi.addressed.begin(), mapi.addressed.begin() + 3),
            (std::vector<std::string>{"SMTP:to|" + id + "to", "SMTP:cc|" + id + "cc", "SMTP:bcc|" + id + "bcc"}))
      << "the resolved address and entry ID are passed on";

  msg.SetMessageMemo(nullptr);
  msg.SetSubjectEdit(nullptr);
  msg.Subject = std::string(300, 's');
  msg.Send();
  EXPECT_EQ(mapi.sent[2].subject, std::string(255, 's'));
  EXPECT_EQ(mapi.sent[2].note, "abc\r\n  \r\n  \r\n") << "without a memo, each send adds a placeholder line";
}

TEST_F(MapiSend, DroppedSessionIsOpenedAgainOnceAndTheCallRepeated) {
  msg.SetToRecipients({"first", "second"});
  msg.Send();
  // The mail client dropped the session the sender holds: found at resolving.
  mapi.dropped = {77};
  msg.Send();
  EXPECT_EQ(mapi.logons, 2);
  EXPECT_EQ(msg.Session, 78u);
  ASSERT_EQ(mapi.sent.size(), 2u);
  EXPECT_EQ(mapi.sent[1].recipients.size(), 2u);
  // Found at sending (no recipients to resolve).
  msg.SetToRecipients({});
  mapi.dropped.insert(78);
  msg.Send();
  EXPECT_EQ(mapi.logons, 3);
  EXPECT_EQ(mapi.sent.size(), 3u);
  // A client that refuses every session: one new log-on, then the error.
  mapi.dropAll = true;
  EXPECT_EQ(errorOf([&] { msg.Send(); }), "MAPI: Invalid Session. ErrorCode = 19");
  EXPECT_EQ(mapi.logons, 4);
  EXPECT_EQ(mapi.freed.size(), 4u) << "every resolved record released";
}

TEST_F(MapiSend, ResolutionFailureReleasesWhatWasResolvedAndSendsNothing) {
  mapi.results["resolve:second"] = 14;
  msg.SetToRecipients({"first", "second", "third"});
  EXPECT_EQ(errorOf([&] { msg.Send(); }), "MAPI: Unknown Recipient. ErrorCode = 14");
  EXPECT_EQ(mapi.freed, std::vector<std::string>{"resolved first"});
  EXPECT_TRUE(mapi.sent.empty());
  EXPECT_EQ(host.cursor, "+-") << "the hourglass is restored on every exit";
}

TEST_F(MapiSend, ErrorTextsAndTheSilentAbort) {
  struct Case {
    Ulong code;
    const char* text;
  } cases[] = {
      {1, "abort: User Abort"},
      {2, "MAPI: General Failure. ErrorCode = 2"},
      {7, "MAPI: . ErrorCode = 7"},
      {18, "MAPI: Text Too Large. ErrorCode = 18"},
      {26, "MAPI: Feature Not Supported. ErrorCode = 26"},
      {27, "MAPI: . ErrorCode = 27"},
  };
  for (const Case& c : cases) {
    mapi.results["send"] = c.code;
    EXPECT_EQ(errorOf([&] { msg.Send(); }), c.text);
  }
  const char* const texts[] = {"General Failure",      "Login Failure",           "Disk Full",
                               "Insufficient Memory",  "Access Denied",           "",
                               "Too Many Sessions",    "Too Many Files",          "Too Many Recipients",
                               "Attachment Not Found", "Attachment Open Failure", "Attachment Write Failure",
                               "Unknown Recipient",    "Bad Recipient Type",      "No Messages",
                               "Invalid Message",      "Text Too Large",          "Invalid Session",
                               "Type Not Supported",   "Ambiguous Recipient",     "Message In Use",
                               "Network Failure",      "Invalid Edit Fields",     "Invalid Recipients",
                               "Feature Not Supported"};
  for (int code = 2; code <= 26; ++code) EXPECT_EQ(MapiErrorText(code), texts[code - 2]) << code;
  try {
    RaiseMapiError(3);
  } catch (const EMapiError& e) {
    EXPECT_EQ(e.ErrorCode, 3);
  }
  mapi.results["send"] = 0;
  mapi.results["logon"] = 3;
  TMapiSendMessage fresh(mapi, host);
  EXPECT_EQ(errorOf([&] { fresh.Send(); }), "MAPI: Login Failure. ErrorCode = 3");
  EXPECT_EQ(fresh.Session, 0u) << "a failed log-on is tried again next time";
}

TEST_F(MapiSend, MissingMapiAndOversizedListsAreTold) {
  mapi.bound = false;
  EXPECT_EQ(errorOf([&] { msg.Send(); }), kNoMapiMessage) << "visible, not the silent abort";
  EXPECT_EQ(mapi.logons, 0);
  EXPECT_EQ(host.cursor, "+-");

  mapi.bound = true;
  msg.SetToRecipients(std::vector<std::string>(2731, "x"));
  EXPECT_EQ(errorOf([&] { msg.Send(); }), "MAPI: Too many recipients (2731); at most 2730 can be sent in one message.");
  EXPECT_TRUE(mapi.sent.empty());
}

class FakeSystem final : public MapiSystem {
 public:
  Version version{5, 1};
  std::optional<std::string> value;
  int profile = 0;
  int loads = 0;
  int versionReads = 0;
  std::map<std::string, void*> procs;  // what FindProc answers; null when absent
  std::vector<std::string> finds;
  int releases = 0;
  Version WindowsVersion() override { return ++versionReads, version; }
  std::optional<std::string> MessagingSubsystemMapiValue() override { return value; }
  int ProfileMailMapi() override { return profile; }
  std::uintptr_t LoadModule(const char*) override { return ++loads, 5; }
  void* FindProc(std::uintptr_t library, const char* name) override {
    EXPECT_EQ(library, 5u);
    finds.emplace_back(name);
    return procs.contains(name) ? procs[name] : nullptr;
  }
  void ReleaseModule(std::uintptr_t library) override {
    EXPECT_EQ(library, 5u);
    ++releases;
  }
};

TEST(MapiPresence, RegistryValueAfterNt351AndProfileBefore) {
  struct Case {
    unsigned major, minor;
    std::optional<std::string> value;
    int profile;
    bool present;
  } cases[] = {
      {5, 1, std::string("1\0", 2), 0, true},  {5, 1, std::string("1"), 0, false},
      {5, 1, std::string("0\0", 2), 1, false}, {5, 1, std::nullopt, 1, false},
      {3, 51, std::nullopt, 1, true},          {3, 51, std::string("1\0", 2), 0, false},
      {3, 95, std::string("1\0", 2), 0, true}, {4, 0, std::string("10", 2), 0, false},
  };
  for (const Case& c : cases) {
    FakeSystem system;
    system.version = {c.major, c.minor};
    system.value = c.value;
    system.profile = c.profile;
    EXPECT_EQ(MapiPresent(system), c.present) << c.major << "." << c.minor;
  }
  FakeSystem system;
  system.value = std::string("1\0", 2);
  MapiBinding binding(system);
  EXPECT_FALSE(binding.Bound(mapi::Function::Logon));
  EXPECT_EQ(binding.Logon(0, nullptr, nullptr, 0, 0, nullptr), mapi::kUserAbort) << "a missing function answers 1";
  EXPECT_EQ(system.loads, 1) << "the library is loaded once per binding";
}

mapi::Ulong PARVEX_MAPI_CALL FakeFreeBuffer(void*) { return 42; }

TEST(MapiBindingTest, KeepsAFoundEntryAndLooksAgainForAMissingOne) {
  FakeSystem system;
  system.value = std::string("1\0", 2);
  {
    MapiBinding binding(system);
    EXPECT_FALSE(binding.Bound(mapi::Function::FreeBuffer));
    system.procs["MAPIFreeBuffer"] = reinterpret_cast<void*>(&FakeFreeBuffer);
    EXPECT_TRUE(binding.Bound(mapi::Function::FreeBuffer)) << "a missing entry is looked for again";
    EXPECT_EQ(binding.FreeBuffer(nullptr), 42u);
    EXPECT_FALSE(binding.Bound(mapi::Function::SendMail));
    EXPECT_EQ(system.finds, (std::vector<std::string>{"MAPIFreeBuffer", "MAPIFreeBuffer", "MAPISendMail"}))
        << "a found entry is kept";
    EXPECT_EQ(system.versionReads, 1) << "presence is decided once per binding";
    EXPECT_EQ(system.releases, 0);
  }
  EXPECT_EQ(system.releases, 1);
}

}  // namespace
}  // namespace parvex
