#include "mail/base64.h"

#include <array>

#include "mail/mail_errors.h"
#include "mail/short_string.h"
#include "runtime/exceptions.h"

namespace parvex {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kUULineMax = 45;

// -1 outside the alphabet; the pad counts as value 0.
constexpr std::array<signed char, 256> MakeDecodeTable() {
  std::array<signed char, 256> table{};
  for (auto& v : table) v = -1;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
  table['='] = 0;
  return table;
}
constexpr auto kDecode = MakeDecodeTable();

// Two output characters per 12 bits: half the table look-ups of the plain loop.
struct PairTable {
  char pairs[4096][2];
};
constexpr PairTable MakePairTable() {
  PairTable table{};
  for (int i = 0; i < 4096; ++i) {
    table.pairs[i][0] = kAlphabet[i >> 6];
    table.pairs[i][1] = kAlphabet[i & 63];
  }
  return table;
}
constexpr PairTable kPairs = MakePairTable();

char UUChar(unsigned value) { return value == 0 ? '`' : static_cast<char>(32 + value); }

}  // namespace

void AppendBase64(const unsigned char* bytes, std::size_t count, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + (count + 2) / 3 * 4);
  char* p = out.data() + start;
  std::size_t i = 0;
  for (; i + 3 <= count; i += 3) {
    const unsigned v = (unsigned(bytes[i]) << 16) | (unsigned(bytes[i + 1]) << 8) | bytes[i + 2];
    const char* hi = kPairs.pairs[v >> 12];
    const char* lo = kPairs.pairs[v & 0xFFF];
    p[0] = hi[0];
    p[1] = hi[1];
    p[2] = lo[0];
    p[3] = lo[1];
    p += 4;
  }
  if (const std::size_t rest = count - i; rest > 0) {
    const unsigned v = (unsigned(bytes[i]) << 16) | (rest == 2 ? unsigned(bytes[i + 1]) << 8 : 0u);
    p[0] = kAlphabet[v >> 18];
    p[1] = kAlphabet[(v >> 12) & 63];
    p[2] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    p[3] = '=';
  }
}

std::string Base64Text(std::string_view bytes) {
  std::string out;
  AppendBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
  return out;
}

std::string Base64UrlText(std::string_view bytes) {
  std::string out = Base64Text(bytes);
  while (!out.empty() && out.back() == '=') out.pop_back();
  for (char& c : out) {
    if (c == '+') c = '-';
    if (c == '/') c = '_';
  }
  return out;
}

std::string EncodeBase64Chunk(std::string_view bytes) {
  std::string out = Base64Text(bytes.substr(0, kShortStringMax));
  if (out.size() > kShortStringMax) out.resize(kShortStringMax);
  return out;
}

std::string DecodeBase64Chunk(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  // Groups of four; a short last group is decoded as far as it goes rather
  // than read past the text.
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, text.size() - i);
    unsigned v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      int digit = 0;
      if (k < n) {
        digit = kDecode[static_cast<unsigned char>(text[i + k])];
        if (digit < 0) throw EMessageParserError("Invalid Character");
      }
      v = (v << 6) | static_cast<unsigned>(digit);
    }
    const std::size_t bytes = n == 4 ? 3 : n - 1;  // 1 char alone carries no byte
    const char group[3] = {static_cast<char>(v >> 16), static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
    out.append(group, bytes);
  }
  std::size_t pads = 0;
  while (pads < text.size() && text[text.size() - 1 - pads] == '=') ++pads;
  out.resize(out.size() > pads ? out.size() - pads : 0);
  return out;
}

std::string UUEncodeLine(std::string_view bytes) {
  if (bytes.size() > kUULineMax) throw ERangeError();
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::string out;
  out.reserve(1 + (n + 2) / 3 * 4);
  out.push_back(UUChar(static_cast<unsigned>(n)));
  for (std::size_t i = 0; i < n; i += 3) {
    const std::size_t rest = std::min<std::size_t>(3, n - i);
    const unsigned v = (unsigned(b[i]) << 16) | (rest > 1 ? unsigned(b[i + 1]) << 8 : 0u) | (rest > 2 ? b[i + 2] : 0u);
    out.push_back(UUChar(v >> 18));
    out.push_back(UUChar((v >> 12) & 63));
    if (rest > 1) out.push_back(UUChar((v >> 6) & 63));
    if (rest > 2) out.push_back(UUChar(v & 63));
  }
  return out;
}

}  // namespace parvex
