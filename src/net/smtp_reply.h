#pragma once
// One SMTP reply gathered from its lines (RFC 5321, 4.2.1), without any I/O: a
// line "250-..." says more lines follow; a line "250 ..." or the bare code "250"
// ends the reply. The socket layer reads the lines and feeds them in.
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// Decimal integer text with an optional sign, all of it; false otherwise (also
// for numbers far beyond any port or reply code).
bool ParseSignedDecimal(std::string_view text, long long& value);

// The first three characters as a decimal number, or -1 when they are not one.
int SmtpReplyCode(std::string_view line);

class SmtpReplyAssembler {
 public:
  // A server that never ends its reply would hold a send for ever.
  static constexpr int kMaxLines = 1000;

  enum class State {
    NeedMore,      // a continuation line: the reply goes on
    Complete,      // the reply has ended; code() and lines() tell it
    TooManyLines,  // past kMaxLines without an end
  };

  void reset();
  // The next line, without its line end.
  State addLine(std::string_view line);

  // The first line's code (-1 when it has none). A first line that has no
  // code, or no "-" after it, is a reply by itself.
  int code() const { return code_; }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  int code_ = -1;
};

}  // namespace parvex
