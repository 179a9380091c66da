#include "platform/mapi_send_message.h"

#include <algorithm>
#include <array>
#include <utility>

#include "runtime/code_page.h"

namespace parvex {

namespace {

constexpr std::size_t kShortText = 255;
// The record arrays are sized in 16-bit byte counts: 65535 / 24.
constexpr std::size_t kMaxEntries = 2730;
constexpr mapi::Ulong kInvalidSession = 19;  // MAPI_E_INVALID_SESSION

constexpr std::array<const char*, 27> kErrorTexts = {
    "",
    "User Abort",
    "General Failure",
    "Login Failure",
    "Disk Full",
    "Insufficient Memory",
    "Access Denied",
    "",
    "Too Many Sessions",
    "Too Many Files",
    "Too Many Recipients",
    "Attachment Not Found",
    "Attachment Open Failure",
    "Attachment Write Failure",
    "Unknown Recipient",
    "Bad Recipient Type",
    "No Messages",
    "Invalid Message",
    "Text Too Large",
    "Invalid Session",
    "Type Not Supported",
    "Ambiguous Recipient",
    "Message In Use",
    "Network Failure",
    "Invalid Edit Fields",
    "Invalid Recipients",
    "Feature Not Supported",
};

// A zero-terminated copy in a buffer MAPI may write to, cut as the 256-byte
// buffers of the interface cut it.
std::vector<char> shortBuffer(const std::string& text) {
  const std::size_t n = CharacterCutLength(text, kShortText, ActiveCodePage());
  std::vector<char> buffer(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  buffer.push_back('\0');
  return buffer;
}

class WaitCursor {
 public:
  explicit WaitCursor(MapiSendHost& host) : host_(host) { host_.SetWaitCursor(true); }
  ~WaitCursor() { host_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  MapiSendHost& host_;
};

void checkCount(std::size_t count, const char* what, int code) {
  if (count > kMaxEntries)
    throw EMapiError("MAPI: Too many " + std::string(what) + " (" + std::to_string(count) +
                         "); at most 2730 can be sent in one message.",
                     code);
}

}  // namespace

std::string MapiErrorText(int code) {
  if (code < 1 || code >= static_cast<int>(kErrorTexts.size())) return "";
  return kErrorTexts[static_cast<std::size_t>(code)];
}

void RaiseMapiError(mapi::Ulong code) {
  if (code == mapi::kUserAbort) throw EMapiUserAbort(MapiErrorText(1));
  const int signedCode = static_cast<int>(code);
  throw EMapiError("MAPI: " + MapiErrorText(signedCode) + ". ErrorCode = " + std::to_string(signedCode), signedCode);
}

void TMapiSendMessage::Notification(const void* goingAway) {
  if (goingAway == messageMemo_) messageMemo_ = nullptr;
  if (goingAway == subjectEdit_) subjectEdit_ = nullptr;
}

void TMapiSendMessage::requireMapi() {
  // Without a mail client every call would answer "user abort", which is silent:
  // mail would never go out and nobody would be told.
  for (mapi::Function f :
       {mapi::Function::Logon, mapi::Function::SendMail, mapi::Function::FreeBuffer, mapi::Function::ResolveName})
    if (!mapi_.Bound(f)) throw EMapiError(kNoMapiMessage, static_cast<int>(mapi::kUserAbort));
}

void TMapiSendMessage::LogOn() {
  requireMapi();
  std::vector<char> profile = shortBuffer(ProfileName);
  std::vector<char> password = shortBuffer(Password);
  const mapi::Ulong flags =
      ProfileName.empty() ? (mapi::kLogonUi | mapi::kDialog | mapi::kUseDefault) : (mapi::kLogonUi | mapi::kDialog);
  mapi::Handle session = 0;
  const mapi::Ulong result = mapi_.Logon(0, profile.data(), password.data(), flags, 0, &session);
  if (result > 0) RaiseMapiError(result);
  Session = session;
}

void TMapiSendMessage::Send() {
  WaitCursor cursor(host_);
  requireMapi();
  const std::size_t count = to_.size() + cc_.size() + bcc_.size();
  checkCount(count, "recipients", 10);
  checkCount(attachments_.size(), "attachments", 9);
  if (Session == 0) LogOn();

  mapi::MapiMessage message{};
  if (messageMemo_) messageText_ = messageMemo_->Lines();
  if (!attachments_.empty()) messageText_.push_back(std::string(attachments_.size(), ' '));

  std::string note;
  for (const std::string& line : messageText_) note += line + "\r\n";
  const std::size_t noteLength = note.size();
  std::vector<char> noteText(note.begin(), note.end());
  noteText.push_back('\0');
  message.lpszNoteText = noteText.data();

  std::vector<char> subject = shortBuffer(subjectEdit_ ? subjectEdit_->Text() : Subject);
  message.lpszSubject = subject.data();

  std::vector<std::vector<char>> paths;
  std::vector<mapi::MapiFileDesc> files(attachments_.size());
  for (std::size_t j = 0; j < attachments_.size(); ++j) {
    paths.push_back(shortBuffer(host_.ExpandFileName(attachments_[j])));
    files[j].lpszPathName = paths.back().data();
    // The placeholder line's spaces, the last one first.
    files[j].nPosition = static_cast<mapi::Ulong>(noteLength - 3 - j);
  }
  if (!files.empty()) {
    message.nFileCount = static_cast<mapi::Ulong>(files.size());
    message.lpFiles = files.data();
  }

  // Resolving and sending, on the session held; the result of the first call that fails.
  std::vector<mapi::MapiRecipDesc> recipients(count);
  std::vector<mapi::MapiRecipDesc*> resolved(count, nullptr);
  std::size_t resolvedCount = 0;
  auto releaseResolved = [&] {
    for (std::size_t i = 0; i < resolvedCount; ++i) mapi_.FreeBuffer(resolved[i]);
    resolvedCount = 0;
  };
  const mapi::Ulong sendFlags = (Review || to_.empty()) ? (mapi::kDialog | mapi::kLogonUi) : mapi::kLogonUi;
  auto attempt = [&]() -> mapi::Ulong {
    if (count > 0) {
      const mapi::Ulong resolveFlags = Review ? (mapi::kDialog | mapi::kLogonUi) : mapi::kLogonUi;
      std::size_t j = 0;
      for (const auto& [list, recipClass] : {std::pair{&to_, mapi::kTo}, {&cc_, mapi::kCc}, {&bcc_, mapi::kBcc}}) {
        for (const std::string& entry : *list) {
          std::vector<char> name = shortBuffer(entry);
          const mapi::Ulong result = mapi_.ResolveName(Session, 0, name.data(), resolveFlags, 0, &resolved[j]);
          if (result > 0) {
            releaseResolved();
            return result;
          }
          resolvedCount = j + 1;
          const mapi::MapiRecipDesc* from = resolved[j];
          mapi::MapiRecipDesc& to = recipients[j];
          to = mapi::MapiRecipDesc{};
          if (from) {
            to.ulReserved = from->ulReserved;
            to.lpszName = from->lpszName;
            to.lpszAddress = from->lpszAddress;
            to.ulEIDSize = from->ulEIDSize;
            to.lpEntryID = from->lpEntryID;
          }
          to.ulRecipClass = recipClass;
          ++j;
        }
      }
      message.nRecipCount = static_cast<mapi::Ulong>(count);
      message.lpRecips = recipients.data();
    }
    mapi::Ulong result;
    try {
      result = mapi_.SendMail(Session, host_.ApplicationWindow(), &message, sendFlags, 0);
    } catch (...) {
      releaseResolved();
      throw;
    }
    releaseResolved();
    return result;
  };

  mapi::Ulong result = attempt();
  if (result == kInvalidSession) {
    // The session is kept for the whole run, and a mail client may drop it (when
    // it is restarted, say): open a new one, once.
    Session = 0;
    LogOn();
    result = attempt();
  }
  if (result > 0) RaiseMapiError(result);
}

}  // namespace parvex
