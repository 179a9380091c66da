// Server replies of any shape, one line per input line: a reply ends exactly
// where its rules say, never holds more than the cap, and its code is its first
// line's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "net/smtp_reply.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  SmtpReplyAssembler reply;
  std::size_t fed = 0;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    const SmtpReplyAssembler::State state = reply.addLine(line);
    FUZZ_CHECK(reply.lines().size() <= static_cast<std::size_t>(SmtpReplyAssembler::kMaxLines));
    if (state == SmtpReplyAssembler::State::TooManyLines) {
      FUZZ_CHECK(fed == static_cast<std::size_t>(SmtpReplyAssembler::kMaxLines));
      break;
    }
    ++fed;
    FUZZ_CHECK(reply.lines().size() == fed && reply.lines().back() == line);
    FUZZ_CHECK(reply.code() == SmtpReplyCode(reply.lines().front()));
    const bool continues = reply.code() > 0 && reply.lines().front().find('-') == 3;
    if (fed == 1) {
      FUZZ_CHECK((state == SmtpReplyAssembler::State::NeedMore) == continues);
    } else {
      const bool ends = SmtpReplyCode(line) == reply.code() && (line.size() == 3 || line.find(' ') == 3);
      FUZZ_CHECK((state == SmtpReplyAssembler::State::Complete) == ends);
    }
    if (state == SmtpReplyAssembler::State::Complete) {
      reply.reset();
      fed = 0;
    }
  }
  return 0;
}
