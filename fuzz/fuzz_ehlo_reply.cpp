// EHLO replies of any shape: the capabilities are read from the keyword lines
// only, never from the greeting line, and nothing is offered that no line names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/smtp_capabilities.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n')
      lines.emplace_back();
    else
      lines.back() += static_cast<char>(data[i]);
  }
  const SmtpCapabilities offered = ParseEhloReply(lines);
  std::string rest;
  for (std::size_t i = 1; i < lines.size(); ++i) rest += lines[i] + "\n";
  for (char& c : rest) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (offered.startTls) FUZZ_CHECK(rest.find("STARTTLS") != std::string::npos);
  if (offered.authPlain) FUZZ_CHECK(rest.find("AUTH") != std::string::npos && rest.find("PLAIN") != std::string::npos);
  if (offered.authLogin) FUZZ_CHECK(rest.find("AUTH") != std::string::npos && rest.find("LOGIN") != std::string::npos);
  // The greeting line alone offers nothing.
  const SmtpCapabilities greetingOnly = ParseEhloReply({lines.front()});
  FUZZ_CHECK(!greetingOnly.startTls && !greetingOnly.authPlain && !greetingOnly.authLogin);
  return 0;
}
