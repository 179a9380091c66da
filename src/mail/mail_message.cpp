#include "mail/mail_message.h"

#include "mail/address_parsing.h"
#include "mail/mail_text.h"
#include "mail/message_encoder.h"
#include "mail/short_string.h"

namespace parvex {

namespace {

std::string AttachmentName(const TmxAttItem& item) { return LowerCase(FileNamePart(item.FileName())); }

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

void CheckText(std::string_view text, const char* field) {
  if (HasLineBreak(text)) throw EMessageError(std::string("The ") + field + " must not contain a line break");
}

void CheckAddresses(const TmxAddressList& list, const char* nameField, const char* addressField) {
  for (std::size_t i = 0; i < list.Count(); ++i) {
    CheckText(list[i].Name(), nameField);
    CheckText(list[i].Address(), addressField);
  }
}

}  // namespace

// --------------------------------------------------------- TmxCustomMessage

TmxCustomMessage::TmxCustomMessage() = default;

void TmxCustomMessage::SetSubject(std::string_view subject) { subject_ = ShortString(subject); }

void TmxCustomMessage::SetAttachments(const TmxAttList& attachments) {
  attachments_.Assign(attachments);
  contentType_ = attachments_.Count() == 0 ? "text/plain" : "multipart/mixed";
}

void TmxCustomMessage::SetContentType(std::string_view contentType) { contentType_ = LowerCase(ShortString(contentType)); }

std::string TmxCustomMessage::ContentType() {
  contentType_ = ComputedContentType();
  return contentType_;
}

std::string TmxCustomMessage::ComputedContentType() const {
  const std::size_t count = attachments_.Count();
  std::string result;
  if (encoding_ == meUU) return {};
  bool allAlternative = count > 0;
  for (std::size_t i = 0; i < count && allAlternative; ++i)
    allAlternative = AttachmentName(attachments_[i]).starts_with("_alt.");
  if (allAlternative) {
    result = "multipart/alternative";
  } else if (count == 1 && body_.empty() && AttachmentName(attachments_[0]) == "_rtfbody.rtf") {
    result = "text/rtf";
  } else if (count == 1 && body_.empty() && AttachmentName(attachments_[0]) == "_htmbody.htm") {
    result = "text/html";
  } else if (body_.empty()) {
    result = count == 1 ? attachments_[0].ContentType() : count >= 2 ? "multipart/mixed" : "text/plain";
  } else if (count > 0) {
    result = "multipart/mixed";
  } else {
    result = contentType_.empty() ? std::string("text/plain") : contentType_;
  }
  return ShortString(result);
}

void TmxCustomMessage::Validate() const {
  if (sender_.Address().empty()) throw EMessageError("The address of sender is required");
}

void TmxCustomMessage::CheckHeaderTexts() const {
  CheckText(sender_.Name(), "sender's name");
  CheckText(sender_.Address(), "sender's address");
  CheckText(subject_, "subject");
}

void TmxCustomMessage::DecodeFromStream(TStream&) {
  throw EMessageError("Reading a message from a stream is not supported");
}

void TmxCustomMessage::Clear() {
  body_.clear();
  attachments_.Clear();
  sender_.Clear();
  headers_.Clear();
  subject_.clear();
  encoding_ = meMIME;
  charSet_ = csUSASCII;
  contentType_.clear();
}

void TmxCustomMessage::Assign(const TmxCustomMessage& source) {
  if (&source == this) return;
  sender_.Assign(source.sender_);
  subject_ = source.subject_;
  encoding_ = source.encoding_;
  charSet_ = source.charSet_;
  headers_.Assign(source.headers_);
  body_ = source.body_;
  attachments_.Assign(source.attachments_);
  contentType_ = source.ComputedContentType();
  tag_ = source.tag_;
}

void TmxCustomMessage::Loaded() {
  for (std::size_t i = 0; i < attachments_.Count(); ++i) attachments_[i].LoadData();
}

// --------------------------------------------------------------- TmxMessage

void TmxMessage::Validate() const {
  TmxCustomMessage::Validate();
  bool anyAddress = false;
  for (const TmxAddressList* list : {&recipients_, &cc_, &bcc_})
    for (std::size_t i = 0; i < list->Count() && !anyAddress; ++i) anyAddress = !(*list)[i].Address().empty();
  if (!anyAddress) throw EMessageError("At least one Recipient, CC or BCC must be entered");
  CheckHeaderTexts();
}

void TmxMessage::CheckHeaderTexts() const {
  TmxCustomMessage::CheckHeaderTexts();
  CheckAddresses(recipients_, "recipient's name", "recipient's address");
  CheckAddresses(cc_, "CC recipient's name", "CC recipient's address");
  CheckAddresses(bcc_, "BCC recipient's name", "BCC recipient's address");
}

void TmxMessage::EncodeToStream(TStream& stream) {
  // Checked here too: a caller that skipped Validate must not get a header
  // block (or SMTP command) split by a line break.
  CheckHeaderTexts();
  TmxMessageEncoder encoder(*this, stream);
  encoder.Encode();
}

void TmxMessage::Clear() {
  TmxCustomMessage::Clear();
  cc_.Clear();
  bcc_.Clear();
  recipients_.Clear();
}

void TmxMessage::ReadHeaders(const TmxHeaders& headers) {
  ParseAddress(headers.GetFieldValue("FROM"), Sender());
  TStrings values;
  const std::pair<const char*, TmxAddressList*> lists[] = {{"TO:", &recipients_}, {"CC:", &cc_}, {"BCC:", &bcc_}};
  for (const auto& [field, list] : lists) {
    headers.GetFieldValues(field, values);
    for (const std::string& value : values) {
      TmxMailAddress address;
      ParseAddress(value, address);
      list->AddAddress(address.Address(), address.Name());
    }
  }
  const std::string subject = headers.GetFieldValue("Subject");
  if (!subject.empty()) SetSubject(subject);
  const std::string priority = headers.GetFieldValue("X-Priority");
  priority_ = priority == "1" ? ptHigh : priority == "5" ? ptLow : ptNormal;
  if (!headers.GetFieldValue("Return-receipt-to").empty()) returnReceipt_ = true;
  Headers().Assign(headers);
}

void TmxMessage::Assign(const TmxCustomMessage& source) {
  if (&source == this) return;
  if (const auto* message = dynamic_cast<const TmxMessage*>(&source)) {
    recipients_.Assign(message->recipients_);
    cc_.Assign(message->cc_);
    bcc_.Assign(message->bcc_);
    priority_ = message->priority_;
    returnReceipt_ = message->returnReceipt_;
  }
  TmxCustomMessage::Assign(source);
}

// --------------------------------------------------------------- TmxArticle

void TmxArticle::Validate() const {
  TmxCustomMessage::Validate();
  if (newsGroups_.empty()) throw EMessageError("Newsgroup header is required");
  if (Subject().empty()) throw EMessageError("Subject header is required");
  CheckHeaderTexts();
}

void TmxArticle::CheckHeaderTexts() const {
  TmxCustomMessage::CheckHeaderTexts();
  CheckText(newsGroups_, "newsgroups");
}

void TmxArticle::EncodeToStream(TStream& stream) {
  CheckHeaderTexts();
  TmxArticleEncoder encoder(*this, stream);
  encoder.Encode();
}

void TmxArticle::Clear() {
  TmxCustomMessage::Clear();
  newsGroups_.clear();
}

void TmxArticle::ReadHeaders(const TmxHeaders& headers) {
  ParseAddress(headers.GetFieldValue("FROM"), Sender());
  path_ = headers.GetFieldValue("PATH");
  newsGroups_ = headers.GetFieldValue("NEWSGROUPS");
  messageID_ = headers.GetFieldValue("MESSAGE-ID");
  const std::string subject = headers.GetFieldValue("Subject");
  if (!subject.empty()) SetSubject(subject);
  Headers().Assign(headers);
}

void TmxArticle::Assign(const TmxCustomMessage& source) {
  if (&source == this) return;
  if (const auto* article = dynamic_cast<const TmxArticle*>(&source)) newsGroups_ = article->newsGroups_;
  TmxCustomMessage::Assign(source);
}

}  // namespace parvex
