#pragma once
// TMapiSendMessage: hands one message to the user's mail client through Simple
// MAPI: log on once (and once more when the mail client drops the session),
// resolve every recipient, send, release what MAPI gave.
#include <memory>
#include <string>
#include <vector>

#include "platform/simple_mapi.h"
#include "runtime/exceptions.h"

namespace parvex {

class EMapiError : public Exception {
 public:
  EMapiError(std::string message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

// The mail client's own "user abort": silent, like every EAbort.
class EMapiUserAbort : public EAbort {
 public:
  using EAbort::EAbort;
};

inline constexpr const char* kNoMapiMessage =
    "No Simple MAPI mail client is installed, so Parvex cannot send e-mail through MAPI. "
    "Install and set up a mail client, or choose SMTP.";

// The text of a Simple MAPI result code, "" where the table has none.
std::string MapiErrorText(int code);
// Raises EMapiUserAbort for 1 and EMapiError for any other code above 0.
[[noreturn]] void RaiseMapiError(mapi::Ulong code);

// The controls the sender reads at send time; not owned.
class TextLinesSource {
 public:
  virtual ~TextLinesSource() = default;
  virtual std::vector<std::string> Lines() const = 0;
};
class TextSource {
 public:
  virtual ~TextSource() = default;
  virtual std::string Text() const = 0;
};

// What the sender needs of the desktop.
class MapiSendHost {
 public:
  virtual ~MapiSendHost() = default;
  // The hidden top-level window that owns the program's forms.
  virtual mapi::UiParam ApplicationWindow() = 0;
  virtual void SetWaitCursor(bool wait) = 0;
  // A relative name taken against the current directory.
  virtual std::string ExpandFileName(const std::string& name) = 0;
};

class TMapiSendMessage {
 public:
  TMapiSendMessage(mapi::SimpleMapi& mapi, MapiSendHost& host) : mapi_(mapi), host_(host) {}

  // The list setters copy; the caller keeps its list.
  std::vector<std::string>& Attachments() { return attachments_; }
  std::vector<std::string>& ToRecipients() { return to_; }
  std::vector<std::string>& CcRecipients() { return cc_; }
  std::vector<std::string>& BccRecipients() { return bcc_; }
  std::vector<std::string>& MessageText() { return messageText_; }
  void SetAttachments(const std::vector<std::string>& v) { attachments_ = v; }
  void SetToRecipients(const std::vector<std::string>& v) { to_ = v; }
  void SetCcRecipients(const std::vector<std::string>& v) { cc_ = v; }
  void SetBccRecipients(const std::vector<std::string>& v) { bcc_ = v; }
  void SetMessageText(const std::vector<std::string>& v) { messageText_ = v; }

  // Linked controls, not owned; Notification clears a link to a control that goes away.
  void SetMessageMemo(const TextLinesSource* memo) { messageMemo_ = memo; }
  void SetSubjectEdit(const TextSource* edit) { subjectEdit_ = edit; }
  void Notification(const void* goingAway);
  const TextLinesSource* MessageMemo() const { return messageMemo_; }
  const TextSource* SubjectEdit() const { return subjectEdit_; }

  std::string Password;
  std::string ProfileName;
  bool Review = true;
  std::string Subject;
  mapi::Handle Session = 0;

  void LogOn();
  void Send();

 private:
  void requireMapi();

  mapi::SimpleMapi& mapi_;
  MapiSendHost& host_;
  std::vector<std::string> attachments_, to_, cc_, bcc_, messageText_;
  const TextLinesSource* messageMemo_ = nullptr;
  const TextSource* subjectEdit_ = nullptr;
};

}  // namespace parvex
