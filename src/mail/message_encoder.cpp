#include "mail/message_encoder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>

#include "mail/ansi_charset.h"
#include "mail/base64.h"
#include "mail/header_words.h"
#include "mail/mail_text.h"
#include "mail/quoted_printable.h"
#include "mail/short_string.h"
#include "runtime/code_page.h"

namespace parvex {

namespace {

constexpr std::size_t kBase64Read = 57;  // 76 characters per line
constexpr std::size_t kUURead = 45;      // a full uuencoded line
constexpr std::size_t kLongLine = 255;
constexpr std::size_t kFlushAt = 64 * 1024;
constexpr std::size_t kPrefixWidth = 10;

const char* AttEncodingName(std::uint8_t encoding) {
  switch (encoding) {
    case kAttSevenBit: return "7bit";
    case kAttQuotedPrintable: return "Quoted-Printable";
    default: return "Base64";  // also what an unknown value is written as
  }
}

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string LowerName(const TmxAttItem& item) { return LowerCase(FileNamePart(item.FileName())); }

bool IsAlternativeName(const TmxAttItem& item) { return LowerName(item).starts_with("_alt."); }

std::string BodyText(const TStrings& body) {
  std::size_t size = 0;
  for (const std::string& line : body) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : body) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// Splits a text into lines at CR LF, LF or CR; a last line break does not
// start an empty line.
TStrings TextLines(std::string_view text) {
  TStrings lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    if (end == text.size()) break;
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

}  // namespace

std::string FileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// ---------------------------------------------------------- TmxCustomEncoder

TmxCustomEncoder::TmxCustomEncoder(TmxCustomMessage& message, TStream& stream) : message_(message), stream_(stream) {
  for (const std::string& line : message.Body()) {
    if (line.size() > kLongLine) longLines_ = true;
    if (message.CharSet() == csUSASCII && !eightBitBody_)
      for (unsigned char c : line)
        if (c >= 128) {
          eightBitBody_ = true;
          break;
        }
  }
}

void TmxCustomEncoder::Encode() {
  stream_.SetPosition(0);
  try {
    WriteHeaders();
    if (message_.Encoding() == meUU) {
      WriteUUEncoded();
    } else {
      const std::string type = message_.ContentType();
      const bool attachments = message_.Attachments().Count() > 0;
      if (attachments && type == "multipart/mixed") {
        WriteMultipart(type, false);
      } else if (attachments && type == "multipart/alternative") {
        WriteMultipart(type, true);
      } else if (attachments) {
        WriteSinglePart();
      } else if (type == "text/html" || type == "text/rtf") {
        WriteHtmlRtf(type);
      } else {
        // Plain text, and any other type with nothing attached: the layouts
        // that need an attachment have none to write.
        WritePlainText();
      }
    }
  } catch (...) {
    Flush();
    throw;
  }
  Flush();
  // A file stream may still hold the end of the message: a failure to store it
  // must show now, not as a mail cut short later.
  stream_.Flush();
}

void TmxCustomEncoder::Flush() {
  if (pending_.empty()) return;
  stream_.WriteBuffer(pending_.data(), pending_.size());
  pending_.clear();
}

void TmxCustomEncoder::WriteRawLine(std::string_view line) {
  // Dot transparency: the server removes the first dot of a line that starts
  // with one, so such a line gets one more.
  if (!line.empty() && line.front() == '.') pending_ += '.';
  pending_ += line;
  pending_ += "\r\n";
  if (pending_.size() >= kFlushAt) Flush();
}

void TmxCustomEncoder::WriteLine(std::string_view text) {
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  // A line break inside a text would otherwise reach the wire unstuffed.
  std::size_t start = 0;
  for (;;) {
    // One pass over the line: find_first_of would search "\r\n" once per character.
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end == text.size()) end = std::string_view::npos;
    if (end == std::string_view::npos) {
      WriteRawLine(text.substr(start));
      return;
    }
    WriteRawLine(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
}

std::string TmxCustomEncoder::HeaderText(std::string_view text) const {
  if (message_.CharSet() == csISO2022jp && message_.Encoding() == meMIME) return EncodeHeaderWord(text);
  // Raw 8-bit bytes are not allowed in a header; the text is in the ANSI code page.
  return EncodeEightBitHeaderText(text, ActiveCodePage());
}

std::string TmxCustomEncoder::DisplayName(std::string_view name) const {
  // An encoded word needs no quotes.
  if (std::string encoded = HeaderText(name); encoded != name) return encoded;
  if (name.find('.') != std::string_view::npos && name.find('"') == std::string_view::npos) return Quoted(name);
  // Any other special (a recipient named by its own address, "a@b") would break
  // the address line unless quoted; a name the user already quoted stays.
  const bool alreadyQuoted = name.size() >= 2 && name.front() == '"' && name.back() == '"';
  if (!alreadyQuoted && name.find_first_of("()<>[]:;@\\,\"") != std::string_view::npos) {
    std::string quoted = "\"";
    for (char c : name) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    return quoted + '"';
  }
  return std::string(name);
}

void TmxCustomEncoder::WriteAddressList(std::string_view fieldName, const TmxAddressList& list) {
  if (list.Count() == 0) return;
  std::string prefix(fieldName);
  if (prefix.empty() || prefix.back() != ':') prefix += ':';
  if (prefix.size() < kPrefixWidth) prefix.resize(kPrefixWidth, ' ');
  const std::string indent(kPrefixWidth, ' ');
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const TmxMailAddress& address = list[i];
    const bool last = i + 1 == list.Count();
    WriteLine((i == 0 ? prefix : indent) + DisplayName(address.Name()) + " <" + address.Address() +
              (last ? ">" : ">,"));
  }
}

void TmxCustomEncoder::WriteCustomHeaders() {
  // Worked on a copy: encoding the same message twice (a retried send) must
  // give the same text.
  TmxHeaders headers;
  headers.Assign(message_.Headers());
  for (const char* field : {"From", "To", "CC", "BCC", "Return-Receipt-To", "X-Priority", "Subject", "Mime-Version",
                            "Content-Type", "X-Encoding", "Content-Transfer-Encoding"})
    headers.RemoveField(field);
  for (const std::string& line : headers.Lines()) WriteLine(line);
}

std::string TmxCustomEncoder::MakeBoundary() {
  // SplitMix64's finaliser: spreads any change of its input over every bit.
  auto mix = [](std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  };
  // The device's entropy, the clock and a count of the boundaries made: two
  // boundaries made within one clock tick still differ where the device is
  // not random (some MinGW runtimes give the same numbers every run).
  static std::atomic<std::uint64_t> made{0};
  std::random_device device;
  const std::uint64_t entropy = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  const auto now = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  std::uint64_t state = mix(entropy) ^ mix(now ^ mix(made.fetch_add(1) + 1));
  std::string boundary(8, '0');
  for (char& c : boundary)
    c = static_cast<char>('0' + mix(state += 0x9E3779B97F4A7C15ull) % 9);  // the digit 9 never occurs
  return boundary;
}

bool TmxCustomEncoder::BodyAsQuotedPrintable() const {
  if (message_.CharSet() == csISO8859 || eightBitBody_) return true;
  return longLines_;
}

void TmxCustomEncoder::WriteBodyPartHeader() {
  switch (message_.CharSet()) {
    case csISO8859: WriteLine("Content-Type: text/plain; charset=\"iso-8859-1\""); break;
    case csISO2022jp: WriteLine("Content-Type: text/plain; charset=\"iso-2022-jp\""); break;
    default:
      // 8-bit text (file names in the ANSI code page) cannot be US-ASCII.
      WriteLine("Content-Type: text/plain; charset=\"" + (eightBitBody_ ? AnsiCodePageCharset() : "us-ascii") + "\"");
      break;
  }
  WriteLine(BodyAsQuotedPrintable() ? "Content-Transfer-Encoding: quoted-printable"
                                    : "Content-Transfer-Encoding: 7bit");
}

void TmxCustomEncoder::WriteBodyLines() {
  if (!BodyAsQuotedPrintable()) {
    ProgressTicker ticker(message_.Progress());
    for (const std::string& line : message_.Body()) {
      WriteLine(line);
      ticker.Advance(line.size() + 2);
    }
    return;
  }
  WriteQuotedPrintableBody();
}

void TmxCustomEncoder::WriteQuotedPrintableBody() {
  TMemoryStream text;
  text.WriteString(BodyText(message_.Body()));
  WriteQuotedPrintableLines(text);
}

void TmxCustomEncoder::WriteQuotedPrintableLines(TStream& source) {
  // Encoded lines hold no CR, LF or NUL: they go straight to the line buffer.
  TQuotedPrintable::EncodeStream(source, message_.Progress(), [this](std::string_view line) { WriteRawLine(line); });
}

void TmxCustomEncoder::WritePlainText() {
  WriteBodyPartHeader();
  WriteLine("");
  WriteBodyLines();
}

void TmxCustomEncoder::WriteSinglePart() {
  TmxAttItem& item = message_.Attachments()[0];
  const std::string name = FileNamePart(item.FileName());
  const std::string lower = LowerCase(name);
  const bool single = message_.Attachments().Count() == 1;
  bool bodyFile = false;
  if (single && lower == "_htmbody.htm") {
    WriteLine("Content-Type: text/html");
    bodyFile = true;
  } else if (single && lower == "_rtfbody.rtf") {
    WriteLine("Content-Type: text/rtf");
    bodyFile = true;
  } else {
    WriteLine("Content-Type: " + item.ContentType() + "; name=" + Quoted(name));
  }
  WriteLine(std::string("Content-Transfer-Encoding: ") + AttEncodingName(item.AttEncoding()));
  if (!bodyFile) WriteLine("Content-Disposition: attachment; filename=" + Quoted(name));
  WriteLine("");
  WriteAttachmentData(item);
}

void TmxCustomEncoder::WriteHtmlRtf(const std::string& contentType) {
  std::string line = contentType == "text/html" ? "Content-Type: text/html" : "Content-Type: text/rtf";
  if (message_.CharSet() != csUSASCII) line += "; charset=\"iso-8859-1\"";
  WriteLine(line);
  WriteLine("Content-Transfer-Encoding: quoted-printable");
  WriteLine("");
  // The body itself is left as it is, so that a second send encodes the
  // same text again rather than its encoded form.
  WriteQuotedPrintableBody();
}

void TmxCustomEncoder::WriteMultipart(const std::string& contentType, bool alternative) {
  TmxAttList& attachments = message_.Attachments();
  const std::size_t count = attachments.Count();
  const bool noBody = message_.Body().empty();
  bool htmlFirst = count > 0 && noBody && LowerName(attachments[0]) == "_htmbody.htm";
  bool rtfFirst = count > 0 && noBody && LowerName(attachments[0]) == "_rtfbody.rtf";

  std::string boundary = MakeBoundary();
  WriteLine("Content-Type: " + contentType + "; boundary=" + Quoted(boundary));
  WriteLine("");
  WriteLine("This is a multipart message in MIME format");
  WriteLine("");
  WriteLine("--" + boundary);

  const std::string outer = boundary;
  bool altOpen = count > 0 && IsAlternativeName(attachments[0]);
  if (altOpen && !alternative) {
    boundary = MakeBoundary();
    WriteLine("Content-Type:  multipart/alternative; boundary=" + Quoted(boundary));
    WriteLine("Content-Transfer-Encoding: 7bit");
    WriteLine("");
    WriteLine("--" + boundary);
  }

  if (!noBody) {
    WriteBodyPartHeader();
    WriteLine("");
    WriteBodyLines();
    WriteLine("");
    WriteLine("--" + boundary);
  }

  for (std::size_t i = 0; i < count; ++i) {
    TmxAttItem& item = attachments[i];
    const std::string name = FileNamePart(item.FileName());
    if (i > 0) {
      WriteLine("");
      WriteLine("--" + boundary);
      htmlFirst = rtfFirst = false;
    }
    const bool bare = alternative || altOpen || htmlFirst || rtfFirst;
    WriteLine("Content-Type: " + item.ContentType() + (bare ? std::string() : "; name=" + Quoted(name)));
    WriteLine(std::string("Content-Transfer-Encoding: ") + AttEncodingName(item.AttEncoding()));
    if (!bare) WriteLine("Content-Disposition: attachment; filename=" + Quoted(name));
    WriteLine("");
    WriteAttachmentData(item);
    WriteLine("");
    if (i + 1 == count) {
      // A mixed message has an attachment after its "_alt." ones (else its
      // type would be alternative), so no nested part is open here.
      WriteLine("--" + boundary + "--");
    } else if (altOpen && !IsAlternativeName(attachments[i + 1])) {
      WriteLine("--" + boundary + "--");
      altOpen = false;
      boundary = outer;
    }
  }
}

void TmxCustomEncoder::WriteAttachmentData(TmxAttItem& item) {
  TMemoryStream& data = item.Data();
  switch (item.AttEncoding()) {
    case kAttQuotedPrintable: WriteQuotedPrintableLines(data); break;
    case kAttSevenBit: {
      ProgressTicker ticker(message_.Progress());
      const std::string_view text(data.Memory(), static_cast<std::size_t>(data.Size()));
      for (const std::string& line : TextLines(text)) {
        WriteLine(line);
        ticker.Advance(line.size() + 1);  // at least one line-break byte was read
      }
      break;
    }
    default: {
      // One 57-byte chunk per line, as EncodeBase64Chunk would give it, but
      // encoded in place: base64 lines never begin with a dot.
      data.SetPosition(0);
      unsigned char piece[kBase64Read];
      ProgressTicker ticker(message_.Progress());
      std::size_t got = 0;
      do {
        got = data.Read(piece, sizeof piece);
        ticker.Advance(got);
        AppendBase64(piece, got, pending_);
        pending_ += "\r\n";
        if (pending_.size() >= kFlushAt) Flush();
      } while (got == kBase64Read);
      break;
    }
  }
}

void TmxCustomEncoder::WriteUUEncoded() {
  WriteLine("");
  for (const std::string& line : message_.Body()) WriteLine(line);
  TmxAttList& attachments = message_.Attachments();
  for (std::size_t i = 0; i < attachments.Count(); ++i) {
    TmxAttItem& item = attachments[i];
    WriteLine("");
    WriteLine("begin 600 " + FileNamePart(item.FileName()));
    TMemoryStream& data = item.Data();
    data.SetPosition(0);
    char piece[kUURead];
    ProgressTicker ticker(message_.Progress());
    std::size_t got = 0;
    do {
      got = data.Read(piece, sizeof piece);
      ticker.Advance(got);
      WriteRawLine(UUEncodeLine(std::string_view(piece, got)));
    } while (got == kUURead);
    WriteLine("`");
    WriteLine("end");
  }
}

// --------------------------------------------------------- TmxMessageEncoder

void TmxMessageEncoder::WriteHeaders() {
  const TmxMailAddress& sender = msg_.Sender();
  WriteLine("From:     " + DisplayName(sender.Name()) + " <" + sender.Address() + ">");
  WriteAddressList("To", msg_.Recipients());
  WriteAddressList("CC", msg_.CC());
  // BCC recipients are never named in the header.
  if (msg_.ReturnReceipt()) WriteLine("Return-Receipt-To: <" + sender.Address() + ">");
  if (msg_.Priority() == ptHigh) WriteLine("X-Priority: 1");
  if (msg_.Priority() == ptLow) WriteLine("X-Priority: 5");
  WriteCustomHeaders();
  if (!msg_.Subject().empty()) WriteLine("Subject: " + HeaderText(msg_.Subject()));
  if (msg_.Encoding() == meMIME) WriteLine("Mime-Version: 1.0");
}

// --------------------------------------------------------- TmxArticleEncoder

void TmxArticleEncoder::WriteHeaders() {
  const TmxMailAddress& sender = article_.Sender();
  WriteLine("From:     " + HeaderText(sender.Name()) + " <" + sender.Address() + ">");
  WriteLine("Newsgroups: " + article_.NewsGroups());
  WriteCustomHeaders();
  if (!article_.Subject().empty()) WriteLine("Subject:  " + HeaderText(article_.Subject()));
  if (article_.Encoding() == meMIME) WriteLine("Mime-Version: 1.0");
}

}  // namespace parvex
