// Address texts of any shape: parsed into short strings or refused cleanly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "mail/address_parsing.h"
#include "mail/mail_errors.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  TmxMailAddress address("before", "Before");
  try {
    ParseAddress(input, address);
    FUZZ_CHECK(address.Name().size() <= 255 && address.Address().size() <= 255);
  } catch (const EMessageParserError&) {
    FUZZ_CHECK(address.Address() == "before" && address.Name() == "Before");
  }
  const std::string stripped = StripQuotes(input);
  FUZZ_CHECK(stripped.size() <= input.size());
  return 0;
}
