#include "mail/header_words.h"

#include <algorithm>

#include "mail/ansi_charset.h"
#include "mail/base64.h"
#include "mail/mail_text.h"
#include "mail/quoted_printable.h"
#include "mail/short_string.h"
#include "runtime/code_page.h"

namespace parvex {

namespace {

constexpr char kEscape = '\x1B';

// The "?" of the word's closing "?=" at or after from; "?B?=" and "?Q?="
// mark the encoding, not the end.
std::size_t FindClosing(const std::string& v, std::size_t from) {
  for (std::size_t k = from; k + 1 < v.size(); ++k) {
    if (v[k] != '?' || v[k + 1] != '=') continue;
    if (k >= 2 && v[k - 2] == '?' && (v[k - 1] == 'B' || v[k - 1] == 'Q')) continue;
    return k;
  }
  return std::string::npos;
}

std::string DecodeQuotedWord(const std::string& text) {
  TStrings lines{text};
  TMemoryStream out;
  TQuotedPrintable(out, lines).Decode();
  std::string decoded = out.AsString();
  const std::size_t end = decoded.find("\r\n");
  if (end != std::string::npos) decoded.resize(end);
  return decoded;
}

// charset "?" letter "?" text; the charset is not used.
std::string DecodeWord(const std::string& word) {
  const std::size_t mark = word.find('?');
  if (mark == std::string::npos || mark + 1 >= word.size()) return word;
  const char letter = word[mark + 1];
  const std::size_t textStart = mark + 2 < word.size() && word[mark + 2] == '?' ? mark + 3 : mark + 2;
  const std::string text = word.substr(std::min(textStart, word.size()));
  if (letter == 'B' || letter == 'b') return DecodeBase64Chunk(text);
  if (letter == 'Q' || letter == 'q') return DecodeQuotedWord(text);
  // An unknown encoding: its text as it stands.
  return text;
}

}  // namespace

std::string EncodeHeaderWord(std::string_view text) {
  if (text.empty() || text.front() != kEscape) return std::string(text);
  std::string out = "=?ISO-2022-JP?B?";
  AppendBase64(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out);
  out += "?=";
  return ShortString(out);
}

std::string EncodeEightBitHeaderText(std::string_view text, unsigned codePage) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 128; }))
    return std::string(text);
  const std::string head = "=?" + MimeCharsetOf(codePage) + "?B?";
  // An encoded word may not be longer than 75 characters (RFC 2047) and holds
  // whole characters only, as a receiver decodes each word on its own.
  const std::size_t room = 75 > head.size() + 2 ? 75 - head.size() - 2 : 4;
  const std::size_t chunk = std::max<std::size_t>(4, room / 4 * 3);
  std::string out;
  for (std::string_view rest = text; !rest.empty();) {
    std::size_t n = CharacterCutLength(rest, chunk, codePage);
    if (n == 0) n = std::min(chunk, rest.size());
    if (!out.empty()) out += ' ';
    out += head;
    AppendBase64(reinterpret_cast<const unsigned char*>(rest.data()), n, out);
    out += "?=";
    rest.remove_prefix(n);
  }
  return out;
}

std::string DecodeHeaderWords(std::string_view value) {
  std::string v(value);
  // Each round removes at least the word's four delimiters, so it ends.
  for (std::size_t d = v.find("=?"); d != std::string::npos; d = v.find("=?")) {
    const std::size_t close = FindClosing(v, d + 2);
    if (close == std::string::npos) {
      v.resize(d);
      break;
    }
    const std::string decoded = DecodeWord(v.substr(d + 2, close - d - 2));
    std::string next = v.substr(0, d);
    next += decoded;
    next += TrimView(std::string_view(v).substr(close + 2));
    v = ShortString(next);
    std::replace(v.begin(), v.end(), '_', ' ');
  }
  return v;
}

}  // namespace parvex
