// The message encoder: header block, layouts, attachment data, and the text
// as an SMTP server stores it after removing dot stuffing.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mail/ansi_charset.h"
#include "mail/attachments.h"
#include "mail/header_words.h"
#include "mail/mail_message.h"
#include "mail/message_encoder.h"

namespace parvex {
namespace {

TStrings Lines(const std::string& text) {
  TStrings lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "text does not end in CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TStrings Encode(TmxCustomMessage& message) {
  TMemoryStream out;
  message.EncodeToStream(out);
  EXPECT_EQ(out.Position(), out.Size());
  const std::string text = out.AsString();
  EXPECT_EQ(text.find('\0'), std::string::npos);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
    }
    if (text[i] == '\r') {
      EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  return Lines(text);
}

// What a server stores: the first dot of a line that begins with one is removed.
TStrings Unstuffed(TStrings lines) {
  for (std::string& line : lines)
    if (!line.empty() && line[0] == '.') line.erase(0, 1);
  return lines;
}

TmxMessage& Basic(TmxMessage& m) {
  m.Sender().SetAddress("watch@host.example");
  m.Sender().SetName("watch@host.example");
  m.Recipients().AddAddress("one@a.example", "one@a.example");
  m.Recipients().AddAddress("two@b.example", "two@b.example");
  m.SetSubject("PARVEX 2000 directory change!");
  return m;
}

std::size_t IndexOf(const TStrings& lines, const std::string& line, std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i)
    if (lines[i] == line) return i;
  return std::string::npos;
}

std::string BoundaryOf(const std::string& contentTypeLine) {
  const std::size_t at = contentTypeLine.find("boundary=\"");
  return at == std::string::npos ? "" : contentTypeLine.substr(at + 10, 8);
}

TmxAttItem& Attach(TmxMessage& m, const std::string& name, const std::string& type, std::uint8_t encoding,
                   const std::string& data) {
  TmxAttItem& item = m.Attachments().Add();
  item.SetFileName("C:\\files\\" + name);
  item.SetContentType(type);
  item.SetAttEncoding(encoding);
  item.Data().WriteString(data);
  return item;
}

TEST(EncoderPlain, TheProgramsMessageLineByLine) {
  TmxMessage m;
  Basic(m).Body() = {"08.12.2026 01:10", "Added C:\\watch\\new.txt"};
  EXPECT_EQ(Encode(m), (TStrings{
                           "From:     \"watch@host.example\" <watch@host.example>",
                           "To:       \"one@a.example\" <one@a.example>,",
                           "          \"two@b.example\" <two@b.example>",
                           "Subject: PARVEX 2000 directory change!",
                           "Mime-Version: 1.0",
                           "Content-Type: text/plain; charset=\"us-ascii\"",
                           "Content-Transfer-Encoding: 7bit",
                           "",
                           "08.12.2026 01:10",
                           "Added C:\\watch\\new.txt",
                       }));
}

TEST(EncoderPlain, DotLinesArriveAsTheyWere) {
  TmxMessage m;
  const TStrings body = {".", ".x", "..", "a.", ""};
  Basic(m).Body() = body;
  const TStrings sent = Encode(m);
  const std::size_t start = IndexOf(sent, "") + 1;
  EXPECT_EQ(TStrings(sent.begin() + start, sent.end()), (TStrings{"..", "..x", "...", "a.", ""}));
  const TStrings stored = Unstuffed(sent);
  EXPECT_EQ(TStrings(stored.begin() + start, stored.end()), body);
  EXPECT_EQ(m.Body(), body);  // the message itself is left alone
}

TEST(EncoderPlain, LineBreaksInsideBodyLinesBecomeLinesOfTheirOwn) {
  TmxMessage m;
  Basic(m).Body() = {"a\r\n.\r\nQUIT", "b\nc\rd", std::string("cut\0here", 8)};
  const TStrings sent = Encode(m);
  const std::size_t start = IndexOf(sent, "") + 1;
  EXPECT_EQ(TStrings(sent.begin() + start, sent.end()), (TStrings{"a", "..", "QUIT", "b", "c", "d", "cut"}));
}

TEST(EncoderPlain, TransferEncodingByCharsetAndLineLength) {
  struct Case {
    TCharSet charSet;
    std::size_t length;
    const char* contentType;
    const char* encoding;
  } cases[] = {
      {csUSASCII, 255, "Content-Type: text/plain; charset=\"us-ascii\"", "Content-Transfer-Encoding: 7bit"},
      {csUSASCII, 256, "Content-Type: text/plain; charset=\"us-ascii\"", "Content-Transfer-Encoding: quoted-printable"},
      {csISO8859, 5, "Content-Type: text/plain; charset=\"iso-8859-1\"", "Content-Transfer-Encoding: quoted-printable"},
      {csISO2022jp, 5, "Content-Type: text/plain; charset=\"iso-2022-jp\"", "Content-Transfer-Encoding: 7bit"},
      {csISO2022jp, 300, "Content-Type: text/plain; charset=\"iso-2022-jp\"",
       "Content-Transfer-Encoding: quoted-printable"},
  };
  for (const auto& c : cases) {
    TmxMessage m;
    Basic(m).Body() = {std::string(c.length, 'w')};
    m.SetCharSet(c.charSet);
    const TStrings sent = Encode(m);
    const std::size_t at = IndexOf(sent, c.contentType);
    ASSERT_NE(at, std::string::npos) << c.length;
    EXPECT_EQ(sent[at + 1], c.encoding);
  }
}

TEST(EncoderPlain, EightBitTextIsNotDeclaredAscii) {
  TmxMessage m;
  Basic(m).Body() = {"Added C:\\Dokumente\\M\xFCller.txt", ".dot"};
  const TStrings sent = Encode(m);
  const std::size_t at = IndexOf(sent, "Content-Type: text/plain; charset=\"" + AnsiCodePageCharset() + "\"");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(sent[at + 1], "Content-Transfer-Encoding: quoted-printable");
  EXPECT_EQ(sent[at + 3], "Added C:\\Dokumente\\M=FCller.txt");
  EXPECT_EQ(sent[at + 4], "..dot");
}

TEST(EncoderHeaders, NamesPriorityReceiptAndCustomFields) {
  TmxMessage m;
  m.Sender().SetAddress("me@host");
  m.Recipients().AddAddress("js@host", "J. Smith");
  m.Recipients().AddAddress("q@host", "\"Q. Quoted\"");
  m.Recipients().AddAddress("n@host", "");
  m.CC().AddAddress("c@host", "Cee");
  m.BCC().AddAddress("secret@host", "Secret");
  m.SetReturnReceipt(true);
  m.SetPriority(ptHigh);
  m.Headers().Lines() = {"Subject: x", "X-Mailer: Parvex", "Subject: second", "To: someone", " continued"};
  m.SetSubject("real");
  m.Body() = {"b"};
  const TStrings sent = Encode(m);
  const TStrings expected = {
      "From:      <me@host>",
      "To:       \"J. Smith\" <js@host>,",
      "          \"Q. Quoted\" <q@host>,",
      "           <n@host>",
      "CC:       Cee <c@host>",
      "Return-Receipt-To: <me@host>",
      "X-Priority: 1",
      "X-Mailer: Parvex",
      "Subject: second",
      "Subject: real",
      "Mime-Version: 1.0",
  };
  EXPECT_EQ(TStrings(sent.begin(), sent.begin() + expected.size()), expected);
  EXPECT_EQ(m.Headers().Count(), 5u);  // the message's own list is not changed

  m.SetPriority(ptLow);
  EXPECT_NE(IndexOf(Encode(m), "X-Priority: 5"), std::string::npos);
  m.SetPriority(ptNormal);
  for (const std::string& line : Encode(m)) EXPECT_NE(line.rfind("X-Priority", 0), 0u);
}

TEST(EncoderHeaders, IsoJapaneseNamesAndSubjectAreEncodedWords) {
  TmxMessage m;
  m.Sender().SetAddress("me@host");
  m.Sender().SetName("\x1B$B");
  m.Recipients().AddAddress("y@host", "plain");
  m.SetSubject("\x1B$B");
  m.SetCharSet(csISO2022jp);
  m.Body() = {"b"};
  const TStrings sent = Encode(m);
  EXPECT_EQ(sent[0], "From:     =?ISO-2022-JP?B?GyRC?= <me@host>");
  EXPECT_EQ(sent[1], "To:       plain <y@host>");
  EXPECT_EQ(sent[2], "Subject: =?ISO-2022-JP?B?GyRC?=");
}

TEST(EncoderHeaders, SpecialsAreQuotedAndEightBitTextBecomesEncodedWords) {
  TmxMessage m;
  m.Sender().SetAddress("me@host");
  m.Sender().SetName("M\xFCller");
  m.Recipients().AddAddress("root@localhost", "root@localhost");
  m.Recipients().AddAddress("x@host", "Say \"hi\", \\o/");
  m.Recipients().AddAddress("y@host", "plain name");
  m.SetSubject("\xC4nderung " + std::string(60, 'x'));
  m.Body() = {"b"};
  const TStrings sent = Encode(m);
  const std::string charset = AnsiCodePageCharset();
  EXPECT_EQ(sent[0], "From:     =?" + charset + "?B?TfxsbGVy?= <me@host>");
  EXPECT_EQ(sent[1], "To:       \"root@localhost\" <root@localhost>,");
  EXPECT_EQ(sent[2], "          \"Say \\\"hi\\\", \\\\o/\" <x@host>,");
  EXPECT_EQ(sent[3], "          plain name <y@host>");
  const std::string subject = sent[4];
  ASSERT_EQ(subject.rfind("Subject: =?" + charset + "?B?", 0), 0u) << subject;
  std::size_t words = 0;
  for (std::size_t at = subject.find("=?"); at != std::string::npos; at = subject.find("=?", at + 2)) {
    EXPECT_LE(subject.find("?=", at + 2 + charset.size() + 3) + 2 - at, 75u) << "an encoded word is at most 75 long";
    ++words;
  }
  EXPECT_EQ(words, 2u);
  EXPECT_EQ(DecodeHeaderWords(subject.substr(9)), "\xC4nderung " + std::string(60, 'x'));
}

TEST(EncoderHeaders, TenThousandRecipients) {
  TmxMessage m;
  m.Sender().SetAddress("me@host");
  for (int i = 0; i < 10000; ++i) m.Recipients().AddAddress("r" + std::to_string(i) + "@host", "");
  m.Body() = {"b"};
  const TStrings sent = Encode(m);
  EXPECT_EQ(sent[1], "To:        <r0@host>,");
  EXPECT_EQ(sent[10000], "           <r9999@host>");
}

TEST(EncoderSinglePart, AttachmentIsTheWholeBody) {
  TmxMessage m;
  Basic(m);
  Attach(m, "pic.gif", "image/gif", kAttBase64, std::string(114, 'g'));
  TStrings sent = Encode(m);
  std::size_t at = IndexOf(sent, "Content-Type: image/gif; name=\"pic.gif\"");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(sent[at + 1], "Content-Transfer-Encoding: Base64");
  EXPECT_EQ(sent[at + 2], "Content-Disposition: attachment; filename=\"pic.gif\"");
  EXPECT_EQ(sent[at + 3], "");
  ASSERT_EQ(sent.size(), at + 7);
  EXPECT_EQ(sent[at + 4].size(), 76u);
  EXPECT_EQ(sent[at + 5].size(), 76u);
  EXPECT_EQ(sent[at + 6], "");

  TmxMessage html;
  Basic(html);
  Attach(html, "_HTMBODY.htm", "text/html", kAttQuotedPrintable, "<p>a=b</p>\r\n");
  sent = Encode(html);
  at = IndexOf(sent, "Content-Type: text/html");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(sent[at + 1], "Content-Transfer-Encoding: Quoted-Printable");
  EXPECT_EQ(sent[at + 2], "");
  EXPECT_EQ(sent[at + 3], "<p>a=3Db</p>");
}

TEST(EncoderSinglePart, UnknownEncodingValueIsWrittenAsBase64) {
  TmxMessage m;
  Basic(m);
  Attach(m, "x.bin", "application/octet-stream", 7, "abc");
  const TStrings sent = Encode(m);
  EXPECT_NE(IndexOf(sent, "Content-Transfer-Encoding: Base64"), std::string::npos);
  EXPECT_EQ(sent.back(), "YWJj");
}

TEST(EncoderSinglePart, SevenBitDataKeepsItsDotLines) {
  TmxMessage m;
  Basic(m);
  Attach(m, "mail.eml", "message/rfc822", kAttSevenBit, "Subject: x\n\n.\n..\r\nend");
  const TStrings sent = Encode(m);
  const std::size_t at = IndexOf(sent, "Content-Transfer-Encoding: 7bit");
  ASSERT_NE(at, std::string::npos);
  const TStrings data(sent.begin() + at + 3, sent.end());
  EXPECT_EQ(data, (TStrings{"Subject: x", "", "..", "...", "end"}));
}

TEST(EncoderHtml, BodyIsQuotedPrintableAndUnchanged) {
  TmxMessage m;
  Basic(m).Body() = {"<b>caf\xE9</b>", ".hidden"};
  m.SetContentType("TEXT/HTML");
  for (int round = 0; round < 2; ++round) {
    const TStrings sent = Encode(m);
    const std::size_t at = IndexOf(sent, "Content-Type: text/html");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(TStrings(sent.begin() + at + 1, sent.end()),
              (TStrings{"Content-Transfer-Encoding: quoted-printable", "", "<b>caf=E9</b>", "..hidden"}));
  }
  m.SetCharSet(csISO8859);
  m.SetContentType("text/rtf");
  EXPECT_NE(IndexOf(Encode(m), "Content-Type: text/rtf; charset=\"iso-8859-1\""), std::string::npos);
}

TEST(EncoderFallback, OtherTypesWithoutAttachmentsAreWrittenAsText) {
  for (const char* type : {"multipart/mixed", "image/gif"}) {
    TmxMessage m;
    Basic(m).Body() = {"body"};
    m.SetContentType(type);
    const TStrings sent = Encode(m);
    EXPECT_NE(IndexOf(sent, "Content-Type: text/plain; charset=\"us-ascii\""), std::string::npos) << type;
    EXPECT_EQ(sent.back(), "body");
  }
}

TEST(EncoderMultipart, BodyAndTwoAttachments) {
  TmxMessage m;
  Basic(m).Body() = {"see attached"};
  Attach(m, "a.gif", "image/gif", kAttBase64, "abc");
  Attach(m, "b.txt", "text/plain", kAttQuotedPrintable, "x=1\r\n");
  const TStrings sent = Encode(m);
  const std::size_t top = IndexOf(sent, "Mime-Version: 1.0") + 1;
  const std::string b = BoundaryOf(sent[top]);
  ASSERT_EQ(b.size(), 8u);
  EXPECT_EQ(b.find_first_not_of("012345678"), std::string::npos);
  const TStrings expected = {
      "Content-Type: multipart/mixed; boundary=\"" + b + "\"",
      "",
      "This is a multipart message in MIME format",
      "",
      "--" + b,
      "Content-Type: text/plain; charset=\"us-ascii\"",
      "Content-Transfer-Encoding: 7bit",
      "",
      "see attached",
      "",
      "--" + b,
      "Content-Type: image/gif; name=\"a.gif\"",
      "Content-Transfer-Encoding: Base64",
      "Content-Disposition: attachment; filename=\"a.gif\"",
      "",
      "YWJj",
      "",
      "",
      "--" + b,
      "Content-Type: text/plain; name=\"b.txt\"",
      "Content-Transfer-Encoding: Quoted-Printable",
      "Content-Disposition: attachment; filename=\"b.txt\"",
      "",
      "x=3D1",
      "",
      "--" + b + "--",
  };
  EXPECT_EQ(TStrings(sent.begin() + top, sent.end()), expected);
}

TEST(EncoderMultipart, NestedAlternativeClosesBeforeTheNextAttachment) {
  TmxMessage m;
  Basic(m).Body() = {"text"};
  Attach(m, "_alt.htm", "text/html", kAttQuotedPrintable, "<p>text</p>");
  Attach(m, "report.doc", "application/msword", kAttBase64, "doc");
  const TStrings sent = Encode(m);
  const std::size_t top = IndexOf(sent, "Mime-Version: 1.0") + 1;
  const std::string outer = BoundaryOf(sent[top]);
  const std::string inner = BoundaryOf(sent[top + 5]);
  ASSERT_EQ(inner.size(), 8u);
  EXPECT_NE(inner, outer);  // made one right after the other
  const TStrings expected = {
      "Content-Type: multipart/mixed; boundary=\"" + outer + "\"",
      "",
      "This is a multipart message in MIME format",
      "",
      "--" + outer,
      "Content-Type:  multipart/alternative; boundary=\"" + inner + "\"",
      "Content-Transfer-Encoding: 7bit",
      "",
      "--" + inner,
      "Content-Type: text/plain; charset=\"us-ascii\"",
      "Content-Transfer-Encoding: 7bit",
      "",
      "text",
      "",
      "--" + inner,
      "Content-Type: text/html",
      "Content-Transfer-Encoding: Quoted-Printable",
      "",
      "<p>text</p>",
      "",
      "--" + inner + "--",
      "",
      "--" + outer,
      "Content-Type: application/msword; name=\"report.doc\"",
      "Content-Transfer-Encoding: Base64",
      "Content-Disposition: attachment; filename=\"report.doc\"",
      "",
      "ZG9j",
      "",
      "--" + outer + "--",
  };
  EXPECT_EQ(TStrings(sent.begin() + top, sent.end()), expected);
}

TEST(EncoderMultipart, AlternativePartsAreBare) {
  TmxMessage m;
  Basic(m).Body() = {"text"};
  Attach(m, "_alt.htm", "text/html", kAttQuotedPrintable, "<p>");
  const TStrings sent = Encode(m);
  const std::size_t top = IndexOf(sent, "Mime-Version: 1.0") + 1;
  EXPECT_EQ(sent[top].rfind("Content-Type: multipart/alternative; boundary=\"", 0), 0u);
  EXPECT_EQ(IndexOf(sent, "Content-Type:  multipart/alternative"), std::string::npos);
  EXPECT_NE(IndexOf(sent, "Content-Type: text/html"), std::string::npos);
  for (const std::string& line : sent) EXPECT_EQ(line.find("Disposition"), std::string::npos);
}

TEST(EncoderUU, PlainTextWithBeginEndBlocks) {
  TmxMessage m;
  Basic(m).Body() = {"see below"};
  m.SetEncoding(meUU);
  Attach(m, "abc.bin", "application/octet-stream", kAttBase64, "abc");
  Attach(m, "empty.bin", "application/octet-stream", kAttBase64, std::string(45, 'q'));
  const TStrings sent = Encode(m);
  const std::size_t at = IndexOf(sent, "Subject: PARVEX 2000 directory change!") + 1;
  EXPECT_EQ(TStrings(sent.begin() + at, sent.begin() + at + 7),
            (TStrings{"", "see below", "", "begin 600 abc.bin", "#86)C", "`", "end"}));
  EXPECT_EQ(sent[at + 9][0], 'M');
  EXPECT_EQ(sent[at + 10], "`");  // a full last read is followed by an empty line
  for (const std::string& line : sent) EXPECT_NE(line, "Mime-Version: 1.0");
}

TEST(EncoderArticle, HeaderBlock) {
  TmxArticle a;
  a.Sender().SetAddress("me@host");
  a.Sender().SetName("A. Person");
  a.SetNewsGroups("comp.test");
  a.SetSubject("hello");
  a.Body() = {"b"};
  const TStrings sent = Encode(a);
  EXPECT_EQ(
      TStrings(sent.begin(), sent.begin() + 4),
      (TStrings{"From:     A. Person <me@host>", "Newsgroups: comp.test", "Subject:  hello", "Mime-Version: 1.0"}));
}

TEST(EncoderStream, WritesFromTheStartWithoutTruncating) {
  TmxMessage m;
  Basic(m).Body() = {"b"};
  TMemoryStream out;
  out.WriteString(std::string(5000, '#'));
  out.SetPosition(123);
  m.EncodeToStream(out);
  const std::int64_t end = out.Position();
  EXPECT_EQ(out.Size(), 5000);
  EXPECT_EQ(out.AsString().substr(0, 10), "From:     ");
  EXPECT_EQ(out.AsString()[static_cast<std::size_t>(end)], '#');
}

TEST(EncoderProgress, AMegabyteIsToldAFewTimesAndEncodedTheSame) {
  // Text lines, so that every attachment encoding takes them; one attachment
  // and no body make a single part, with no random boundary in the text.
  std::string data;
  while (data.size() < 1024 * 1024) data += std::string(70, 'd') + "\r\n";
  const struct {
    TMsgEncoding encoding;
    std::uint8_t att;
  } cases[] = {{meMIME, kAttBase64}, {meMIME, kAttQuotedPrintable}, {meMIME, kAttSevenBit}, {meUU, kAttBase64}};
  for (const auto& c : cases) {
    auto encode = [&](int* told) {
      TmxMessage m;
      Basic(m).SetEncoding(c.encoding);
      Attach(m, "big.txt", "text/plain", c.att, data);
      if (told) m.SetEncodeProgress([told] { ++*told; });
      TMemoryStream out;
      m.EncodeToStream(out);
      return out.AsString();
    };
    int told = 0;
    const std::string withProgress = encode(&told);
    EXPECT_EQ(withProgress, encode(nullptr)) << int(c.encoding) << "/" << int(c.att);
    EXPECT_GE(told, 4) << int(c.encoding) << "/" << int(c.att);
    EXPECT_LE(told, static_cast<int>(data.size() / 4096) + 2) << int(c.encoding) << "/" << int(c.att);
  }
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

TEST(EncoderStream, AStoreThatIsFullFailsTheEncoding) {
  // A device that takes no byte: the writes land in the C library's buffer, so
  // only storing that buffer shows the full disk.
#ifdef _WIN32
  const char* const full = "Z:\\dev\\full";
#else
  const char* const full = "/dev/full";
#endif
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(full, fmOpenWrite);
  } catch (const EFOpenError&) {
    GTEST_SKIP() << "no full device here";
  }
  file->SetWriteFailureText("Could not write the mail's temporary file");
  TmxMessage m;
  Basic(m).Body() = {"short"};
  try {
    m.EncodeToStream(*file);
    ADD_FAILURE() << "a message the store refused was taken as written";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message().rfind("Could not write the mail's temporary file. ", 0), 0u) << e.Message();
  }
}

}  // namespace
}  // namespace parvex
