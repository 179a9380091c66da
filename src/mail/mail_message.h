#pragma once
// The mail message the program fills and the SMTP client sends, and its news
// article sibling. EncodeToStream writes exactly the text that goes after
// DATA (dot-stuffed, CR LF lines, no end-of-data line).
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "mail/attachments.h"
#include "mail/encode_progress.h"
#include "mail/mail_address.h"
#include "mail/mail_errors.h"
#include "mail/mail_headers.h"
#include "mail/string_list.h"
#include "runtime/streams.h"

namespace parvex {

enum TMsgEncoding { meMIME, meUU };
enum TCharSet { csUSASCII, csISO8859, csISO2022jp };
enum TPriority { ptLow, ptNormal, ptHigh };

class TmxCustomMessage {
 public:
  TmxCustomMessage();
  virtual ~TmxCustomMessage() = default;
  TmxCustomMessage(const TmxCustomMessage&) = delete;
  TmxCustomMessage& operator=(const TmxCustomMessage&) = delete;

  TmxMailAddress& Sender() { return sender_; }
  const TmxMailAddress& Sender() const { return sender_; }
  const std::string& Subject() const { return subject_; }
  void SetSubject(std::string_view subject);  // cut to 255
  TMsgEncoding Encoding() const { return encoding_; }
  void SetEncoding(TMsgEncoding encoding) { encoding_ = encoding; }
  TCharSet CharSet() const { return charSet_; }
  void SetCharSet(TCharSet charSet) { charSet_ = charSet; }
  TmxHeaders& Headers() { return headers_; }
  const TmxHeaders& Headers() const { return headers_; }
  void SetHeaders(const TmxHeaders& headers) { headers_.Assign(headers); }
  TStrings& Body() { return body_; }
  const TStrings& Body() const { return body_; }
  void SetBody(const TStrings& body) { body_ = body; }
  TmxAttList& Attachments() { return attachments_; }
  const TmxAttList& Attachments() const { return attachments_; }
  // Copies the given items; the stored content type becomes "text/plain" or
  // "multipart/mixed".
  void SetAttachments(const TmxAttList& attachments);

  // Computed from the body and the attachments; the result is stored.
  std::string ContentType();
  // Stored in lower case, cut to 255.
  void SetContentType(std::string_view contentType);
  const std::string& StoredContentType() const { return contentType_; }

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // Told every few kilobytes while the message is encoded, so that the host
  // can keep its window answering; nothing is told by default.
  void SetEncodeProgress(EncodeProgress progress) { progress_ = std::move(progress); }
  const EncodeProgress& Progress() const { return progress_; }

  // Raises EMessageError when the message cannot be sent.
  virtual void Validate() const;
  virtual void EncodeToStream(TStream& stream) = 0;
  // Reading messages back is not supported; raises EMessageError.
  virtual void DecodeFromStream(TStream& stream);
  virtual void Clear();
  virtual void ReadHeaders(const TmxHeaders& headers) = 0;
  virtual void Assign(const TmxCustomMessage& source);
  // After-load step: loads each attachment's Data from its FileName.
  void Loaded();

 protected:
  // Refuses CR or LF in the header texts (they would split the header block).
  virtual void CheckHeaderTexts() const;

 private:
  std::string ComputedContentType() const;

  TmxMailAddress sender_;
  std::string subject_;
  TMsgEncoding encoding_ = meMIME;
  TCharSet charSet_ = csUSASCII;
  TmxHeaders headers_;
  TStrings body_;
  TmxAttList attachments_;
  std::string contentType_ = "text/plain";
  int tag_ = 0;
  EncodeProgress progress_;
};

class TmxMessage : public TmxCustomMessage {
 public:
  TmxAddressList& Recipients() { return recipients_; }
  const TmxAddressList& Recipients() const { return recipients_; }
  TmxAddressList& CC() { return cc_; }
  const TmxAddressList& CC() const { return cc_; }
  TmxAddressList& BCC() { return bcc_; }
  const TmxAddressList& BCC() const { return bcc_; }
  void SetRecipients(const TmxAddressList& list) { recipients_.Assign(list); }
  void SetCC(const TmxAddressList& list) { cc_.Assign(list); }
  void SetBCC(const TmxAddressList& list) { bcc_.Assign(list); }
  bool ReturnReceipt() const { return returnReceipt_; }
  void SetReturnReceipt(bool value) { returnReceipt_ = value; }
  TPriority Priority() const { return priority_; }
  void SetPriority(TPriority value) { priority_ = value; }

  void Validate() const override;
  void EncodeToStream(TStream& stream) override;
  void Clear() override;
  void ReadHeaders(const TmxHeaders& headers) override;
  void Assign(const TmxCustomMessage& source) override;

 protected:
  void CheckHeaderTexts() const override;

 private:
  TmxAddressList recipients_;
  TmxAddressList cc_;
  TmxAddressList bcc_;
  bool returnReceipt_ = false;
  TPriority priority_ = ptNormal;
};

class TmxArticle : public TmxCustomMessage {
 public:
  const std::string& NewsGroups() const { return newsGroups_; }
  void SetNewsGroups(std::string value) { newsGroups_ = std::move(value); }
  const std::string& MessageID() const { return messageID_; }
  const std::string& Path() const { return path_; }

  void Validate() const override;
  void EncodeToStream(TStream& stream) override;
  void Clear() override;
  void ReadHeaders(const TmxHeaders& headers) override;
  void Assign(const TmxCustomMessage& source) override;

 protected:
  void CheckHeaderTexts() const override;

 private:
  std::string newsGroups_;
  std::string messageID_;
  std::string path_;
};

}  // namespace parvex
