#include "net/smtp_reply.h"

namespace parvex {

// A sign is taken as a decimal conversion takes it ("+25", "-1"); a line shorter
// than three characters is read as far as it goes.
int SmtpReplyCode(std::string_view line) {
  int value = 0;
  std::size_t i = 0;
  const std::string_view digits = line.substr(0, 3);
  bool negative = false;
  if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) negative = digits[i++] == '-';
  if (i == digits.size()) return -1;
  for (; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') return -1;
    value = value * 10 + (digits[i] - '0');
  }
  return negative ? -value : value;
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
