#include "runtime/string_routines.h"

#include <cstdint>

#include "runtime/code_page.h"

namespace parvex {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hexadecimal is taken as a 32-bit pattern, so "$FFFFFFFF" is -1; more than eight
// significant digits cannot be held and are rejected.
bool parseHex(std::string_view digits, int& out) {
  if (digits.empty()) return false;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = hexDigit(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFull) return false;
  }
  out = static_cast<int>(static_cast<std::uint32_t>(value));
  return true;
}

bool parseDecimal(std::string_view text, int& out) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return false;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

int StrToIntDef(std::string_view text, int defaultValue) {
  int value = 0;
  bool ok;
  if (!text.empty() && text[0] == '$')
    ok = parseHex(text.substr(1), value);
  else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    ok = parseHex(text.substr(2), value);
  else
    ok = parseDecimal(text, value);
  return ok ? value : defaultValue;
}

std::string IntToStr(int value) { return std::to_string(value); }

std::string LeftStr(std::string_view text, std::size_t count) {
  return std::string(text.substr(0, CharacterCutLength(text, count, ActiveCodePage())));
}

std::string FormatStr(std::string_view format, std::string_view argument) {
  const std::size_t at = format.find("%s");
  if (at == std::string_view::npos) return std::string(format);
  std::string out(format.substr(0, at));
  out += argument;
  out += format.substr(at + 2);
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

}  // namespace parvex
