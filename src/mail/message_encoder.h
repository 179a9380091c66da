#pragma once
// Writes a message as RFC 822/MIME text into a stream: header block, empty
// line, body. The output is what goes after DATA: CR LF lines, every line that
// begins with "." carries one more dot, and there is no end-of-data line.
#include <cstddef>
#include <string>
#include <string_view>

#include "mail/mail_message.h"
#include "mail/string_list.h"
#include "runtime/streams.h"

namespace parvex {

class TmxCustomEncoder {
 public:
  TmxCustomEncoder(TmxCustomMessage& message, TStream& stream);
  virtual ~TmxCustomEncoder() = default;
  TmxCustomEncoder(const TmxCustomEncoder&) = delete;
  TmxCustomEncoder& operator=(const TmxCustomEncoder&) = delete;

  // Writes the whole message from position 0 of the stream.
  void Encode();

 protected:
  virtual void WriteHeaders() = 0;

  // Writes text as mail lines: cut at the first zero byte, split at any CR/LF
  // inside, dot-stuffed, each ended by CR LF.
  void WriteLine(std::string_view text);
  void WriteAddressList(std::string_view fieldName, const TmxAddressList& list);
  // Removes the fields the encoder writes itself, then writes the others.
  void WriteCustomHeaders();
  // Encoded as a header word when the message asks for ISO-2022-JP MIME.
  std::string HeaderText(std::string_view text) const;
  // Display name: quoted when it holds a dot and no double quote, then encoded.
  std::string DisplayName(std::string_view name) const;
  std::string MakeBoundary();

  TmxCustomMessage& message_;
  TStream& stream_;

 private:
  void WritePlainText();
  void WriteBodyPartHeader();
  void WriteBodyLines();
  void WriteSinglePart();
  void WriteHtmlRtf(const std::string& contentType);
  void WriteMultipart(const std::string& contentType, bool alternative);
  void WriteAttachmentData(TmxAttItem& item);
  void WriteUUEncoded();
  void WriteQuotedPrintableBody();
  void WriteQuotedPrintableLines(TStream& source);
  bool BodyAsQuotedPrintable() const;
  // One finished line (no CR/LF inside): dot-stuffed and buffered.
  void WriteRawLine(std::string_view line);
  void Flush();

  bool longLines_ = false;
  bool eightBitBody_ = false;  // US-ASCII declared, but bytes of 128 or more
  std::string pending_;
};

class TmxMessageEncoder : public TmxCustomEncoder {
 public:
  TmxMessageEncoder(TmxMessage& message, TStream& stream) : TmxCustomEncoder(message, stream), msg_(message) {}

 protected:
  void WriteHeaders() override;

 private:
  TmxMessage& msg_;
};

class TmxArticleEncoder : public TmxCustomEncoder {
 public:
  TmxArticleEncoder(TmxArticle& article, TStream& stream) : TmxCustomEncoder(article, stream), article_(article) {}

 protected:
  void WriteHeaders() override;

 private:
  TmxArticle& article_;
};

// The file-name part of a path (after the last "\", "/" or ":").
std::string FileNamePart(std::string_view path);

}  // namespace parvex
