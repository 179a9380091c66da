#include "net/smtp_reply.h"

namespace parvex {

bool ParseSignedDecimal(std::string_view text, long long& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long result = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    if (result > 1'000'000'000LL) return false;  // far beyond any port or code
    result = result * 10 + (text[i] - '0');
  }
  value = negative ? -result : result;
  return true;
}

int SmtpReplyCode(std::string_view line) {
  long long value = 0;
  return ParseSignedDecimal(line.substr(0, 3), value) ? static_cast<int>(value) : -1;
}

void SmtpReplyAssembler::reset() {
  lines_.clear();
  code_ = -1;
}

SmtpReplyAssembler::State SmtpReplyAssembler::addLine(std::string_view line) {
  if (lines_.empty()) {
    lines_.emplace_back(line);
    code_ = SmtpReplyCode(line);
    return code_ > 0 && line.find('-') == 3 ? State::NeedMore : State::Complete;
  }
  if (static_cast<int>(lines_.size()) >= kMaxLines) return State::TooManyLines;
  lines_.emplace_back(line);
  const bool ends = SmtpReplyCode(line) == code_ && (line.find(' ') == 3 || line.size() == 3);
  return ends ? State::Complete : State::NeedMore;
}

}  // namespace parvex
