// Transfer encodings: quoted-printable both ways, base64 chunks, uuencode
// lines and header words.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "mail/ansi_charset.h"
#include "mail/base64.h"
#include "mail/header_words.h"
#include "mail/mail_errors.h"
#include "mail/quoted_printable.h"
#include "runtime/streams.h"

namespace parvex {
namespace {

TStrings QPEncode(const std::string& bytes) {
  TMemoryStream stream;
  stream.WriteString(bytes);
  TStrings lines;
  TQuotedPrintable(stream, lines).Encode();
  return lines;
}

std::string QPDecode(const TStrings& lines) {
  TMemoryStream stream;
  TStrings copy = lines;
  TQuotedPrintable(stream, copy).Decode();
  return stream.AsString();
}

TEST(QuotedPrintableEncode, EscapesAndLineBreaks) {
  struct Case {
    std::string input;
    TStrings expected;
  } cases[] = {
      {"caf\xE9=1\r\n", {"caf=E9=3D1"}},
      {"a\tb\r\n", {"a=09b"}},
      {"trailing  \r\n", {"trailing  "}},
      {"del\x7F\r\n", {"del\x7F"}},
      {"one\ntwo\rthree\r\nfour", {"one", "two", "three", "four"}},
      {"a\n\rb\r\rc\n\nd", {"a", "b", "c", "d"}},  // each pair is one break
      {"end\n", {"end=0A"}},                       // a lone last LF is data
      {"end\r\n", {"end"}},
      {"\r\n\r\nx\r\n", {"", "", "x"}},
      {"", {""}},
      {"nul\0byte\r\n", {}},
  };
  cases[10].input = std::string("nul\0byte\r\n", 10);
  cases[10].expected = {"nul=00byte"};
  for (const auto& c : cases) EXPECT_EQ(QPEncode(c.input), c.expected) << c.input;
}

TEST(QuotedPrintableEncode, ChunksOf65PreferBreakingBeforeABlank) {
  const std::string seventy = std::string(60, 'a') + " " + std::string(9, 'b');
  EXPECT_EQ(QPEncode(seventy + "\r\n"), (TStrings{std::string(60, 'a') + "=", " " + std::string(9, 'b')}));

  EXPECT_EQ(QPEncode(std::string(65, 'x') + "\r\n"), (TStrings{std::string(65, 'x') + "=", ""}));
  EXPECT_EQ(QPEncode(std::string(64, 'x') + "\r\n"), (TStrings{std::string(64, 'x')}));

  const TStrings lines = QPEncode(std::string(200, 'x') + "\r\n");
  ASSERT_EQ(lines.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lines[i], std::string(65, 'x') + "=");
  EXPECT_EQ(lines[3], "xxxxx");

  // A blank at a chunk's very start must not stall the split.
  const TStrings blanks = QPEncode(std::string(200, ' ') + "\r\n");
  EXPECT_GE(blanks.size(), 2u);
  EXPECT_EQ(QPDecode(blanks), std::string(200, ' ') + "\r\n");
}

TEST(QuotedPrintableEncode, LineLimitKeepsTheLinesBefore) {
  const std::string fits(24575, 'x');
  EXPECT_NO_THROW(QPEncode(fits + "\r\n"));
  TMemoryStream stream;
  stream.WriteString("first\r\n" + std::string(24576, 'y') + "\r\n");
  TStrings lines;
  try {
    TQuotedPrintable(stream, lines).Encode();
    FAIL() << "no error";
  } catch (const EMessageError& e) {
    EXPECT_EQ(e.Message(), "Paragraph is too large");
  }
  EXPECT_EQ(lines, TStrings{"first"});
}

TEST(QuotedPrintableEncode, AppendsToTheListAndTellsProgressPerFewKilobytes) {
  TMemoryStream stream;
  stream.WriteString("abc\r\n");
  TStrings lines{"kept"};
  int told = 0;
  TQuotedPrintable(stream, lines, [&told] { ++told; }).Encode();
  EXPECT_EQ(lines, (TStrings{"kept", "abc"}));
  EXPECT_EQ(told, 0);  // a few bytes are not worth a notice

  // A megabyte each way: a few notices, never one per line or byte.
  std::string text;
  while (text.size() < 1024 * 1024) text += std::string(70, 'q') + "=\r\n";
  const int most = static_cast<int>(text.size() / 4096) + 2;
  TMemoryStream big;
  big.WriteString(text);
  TStrings encoded;
  told = 0;
  TQuotedPrintable(big, encoded, [&told] { ++told; }).Encode();
  EXPECT_GE(told, 4);
  EXPECT_LE(told, most);
  TMemoryStream decoded;
  told = 0;
  TQuotedPrintable(decoded, encoded, [&told] { ++told; }).Decode();
  EXPECT_EQ(decoded.AsString(), text);
  EXPECT_GE(told, 4);
  EXPECT_LE(told, most);
}

TEST(QuotedPrintableDecode, SoftBreaksEscapesAndOddEquals) {
  EXPECT_EQ(QPDecode({"caf=E9=3d1"}), "caf\xE9=1\r\n");  // lower-case hex too
  EXPECT_EQ(QPDecode({"abc=", "def"}), "abcdef\r\n");
  EXPECT_EQ(QPDecode({"a=ZZb"}), "a=ZZb\r\n");
  EXPECT_EQ(QPDecode({"x=3D"}), "x=\r\n");  // an escaped "=" is not a soft break
  EXPECT_EQ(QPDecode({"x=4"}), "x=4\r\n");
  EXPECT_EQ(QPDecode({"=", "tail"}), "tail\r\n");
  EXPECT_EQ(QPDecode({"open="}), "open");  // a last soft break keeps its text
  EXPECT_EQ(QPDecode({"eof\x1A"}), "eof\x1A");
  EXPECT_EQ(QPDecode({}), "");
}

TEST(QuotedPrintableDecode, ParagraphLimitKeepsEarlierParagraphs) {
  TMemoryStream stream;
  TStrings lines{"ok", std::string(24570, 'a') + "=", "bb"};  // 24574 bytes with CR LF
  TQuotedPrintable(stream, lines).Decode();
  EXPECT_EQ(stream.Size(), 4 + 24574);

  TMemoryStream second;
  TStrings tooLong{"ok", std::string(24573, 'a')};
  EXPECT_THROW(TQuotedPrintable(second, tooLong).Decode(), EMessageError);
  EXPECT_EQ(second.AsString(), "ok\r\n");
}

TEST(QuotedPrintableRoundTrip, RandomLinesComeBackExactly) {
  std::mt19937 random(2000);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int lineCount = static_cast<int>(random() % 6);
    for (int l = 0; l < lineCount; ++l) {
      const int length = static_cast<int>(random() % 300);
      for (int i = 0; i < length; ++i) {
        char c = static_cast<char>(random() % 256);
        if (c == '\r' || c == '\n') c = ' ';
        text += c;
      }
      text += "\r\n";
    }
    if (text.empty()) continue;
    ASSERT_EQ(QPDecode(QPEncode(text)), text) << "round " << round;
  }
}

TEST(Base64, EncodesGroupsWithPadding) {
  EXPECT_EQ(EncodeBase64Chunk("abc"), "YWJj");
  EXPECT_EQ(EncodeBase64Chunk("ab"), "YWI=");
  EXPECT_EQ(EncodeBase64Chunk("a"), "YQ==");
  EXPECT_EQ(EncodeBase64Chunk(""), "");
  EXPECT_EQ(EncodeBase64Chunk(std::string(57, '\xFF')).size(), 76u);
  EXPECT_EQ(EncodeBase64Chunk(std::string("\0\xFB\xFF", 3)), "APv/");
  EXPECT_EQ(EncodeBase64Chunk(std::string(255, 'z')).size(), 255u);  // short-string cut
}

TEST(Base64, UrlAlphabetWithoutPadding) {
  EXPECT_EQ(Base64UrlText(std::string("\0\xFB\xFF", 3)), "APv_");
  EXPECT_EQ(Base64UrlText("\xFB\xEF"), "--8");
  EXPECT_EQ(Base64UrlText("a"), "YQ");
  EXPECT_EQ(Base64UrlText(""), "");
}

TEST(Base64, DecodesAndRejectsForeignCharacters) {
  EXPECT_EQ(DecodeBase64Chunk("YWJj"), "abc");
  EXPECT_EQ(DecodeBase64Chunk("YWI="), "ab");
  EXPECT_EQ(DecodeBase64Chunk("YQ=="), "a");
  EXPECT_EQ(DecodeBase64Chunk(""), "");
  EXPECT_EQ(DecodeBase64Chunk("===="), "");
  EXPECT_EQ(DecodeBase64Chunk("YWJjZA"), "abcd");  // a short last group is not read past
  for (const char* bad : {"YW J", "YWJ\n", "YW-j", "YWJj\xC3"}) {
    try {
      DecodeBase64Chunk(bad);
      ADD_FAILURE() << bad;
    } catch (const EMessageParserError& e) {
      EXPECT_EQ(e.Message(), "Invalid Character");
    }
  }
}

TEST(Base64, RandomBytesRoundTrip) {
  std::mt19937 random(57);
  for (int round = 0; round < 500; ++round) {
    std::string bytes(random() % 192, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    ASSERT_EQ(DecodeBase64Chunk(EncodeBase64Chunk(bytes)), bytes);
  }
}

TEST(UUEncode, LengthCharacterAndData) {
  EXPECT_EQ(UUEncodeLine("abc"), "#86)C");
  EXPECT_EQ(UUEncodeLine(""), "`");
  EXPECT_EQ(UUEncodeLine("a"), "!80");
  EXPECT_EQ(UUEncodeLine(std::string(3, '\0')), "#````");
  const std::string full = UUEncodeLine(std::string(45, 'q'));
  EXPECT_EQ(full.size(), 61u);
  EXPECT_EQ(full[0], 'M');
  EXPECT_THROW(UUEncodeLine(std::string(46, 'q')), ERangeError);
}

TEST(HeaderWords, Decoding) {
  struct Case {
    const char* value;
    const char* expected;
  } cases[] = {
      {"Hello =?iso-8859-1?Q?Caf=E9?= there", "Hello Caf\xE9there"},
      {"a_b =?us-ascii?Q?x?=", "a b x"},
      {"plain_text", "plain_text"},  // no encoded word: untouched
      {"=?utf-8?B?SGVsbG8=?=", "Hello"},
      {"=?x?b?YWJj?= =?x?q?d?=", "abcd"},
      {"lead =?x?Q?unclosed", "lead "},
      {"=?", ""},
      {"=?x?Z?raw?=", "raw"},  // unknown encoding: its text as it stands
      {"=?x?B?YWJj?= =?nomark?=", "abcnomark"},
      {"=?x?Q?a=3F=3Db?=", "a?=b"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeHeaderWords(c.value), c.expected) << c.value;
  EXPECT_THROW(DecodeHeaderWords("=?x?B?@@@@?="), EMessageParserError);
  EXPECT_LE(DecodeHeaderWords(std::string(300, 'a') + "=?x?Q?b?=").size(), 255u);
}

TEST(HeaderWords, EightBitTextInWholeCharactersOfItsCodePage) {
  const struct {
    unsigned codePage;
    const char* charset;
  } pages[] = {{65001, "utf-8"},   {1252, "windows-1252"}, {1251, "windows-1251"},
               {932, "shift_jis"}, {936, "gb2312"},        {28591, "iso-8859-1"}};
  for (const auto& p : pages) EXPECT_EQ(MimeCharsetOf(p.codePage), p.charset);
  EXPECT_EQ(EncodeEightBitHeaderText("plain", 65001), "plain");
  // 30 three-byte characters: a byte-wise cut would split one between two words.
  std::string text;
  for (int i = 0; i < 30; ++i) text += "\xE6\x97\xA5";
  const std::string encoded = EncodeEightBitHeaderText(text, 65001);
  std::string decoded;
  for (std::size_t at = encoded.find("=?utf-8?B?"); at != std::string::npos; at = encoded.find("=?utf-8?B?", at + 1)) {
    const std::size_t end = encoded.find("?=", at + 10);
    ASSERT_LE(end + 2 - at, 75u);
    const std::string word = DecodeHeaderWords(encoded.substr(at, end + 2 - at));
    EXPECT_EQ(word.size() % 3, 0u) << "a word holds whole characters";
    decoded += word;
  }
  EXPECT_EQ(decoded, text);
}

TEST(HeaderWords, OnlyEscapeLedTextsAreEncoded) {
  EXPECT_EQ(EncodeHeaderWord("Subject"), "Subject");
  EXPECT_EQ(EncodeHeaderWord(""), "");
  EXPECT_EQ(EncodeHeaderWord("\x1B$B"), "=?ISO-2022-JP?B?GyRC?=");
  EXPECT_EQ(EncodeHeaderWord("\x1B" + std::string(254, 'j')).size(), 255u);
}

}  // namespace
}  // namespace parvex
