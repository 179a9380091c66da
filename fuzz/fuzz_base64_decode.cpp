// Base64: decoding arbitrary text fails only with "Invalid Character"; any
// bytes survive encode then decode.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "mail/base64.h"
#include "mail/mail_errors.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  try {
    const std::string bytes = DecodeBase64Chunk(input);
    FUZZ_CHECK(bytes.size() <= input.size());
  } catch (const EMessageParserError& e) {
    FUZZ_CHECK(e.Message() == "Invalid Character");
  }
  const std::string bytes = input.substr(0, 189);  // 189 bytes fill 252 of a chunk's 255 characters
  const std::string text = EncodeBase64Chunk(bytes);
  FUZZ_CHECK(text.size() % 4 == 0);
  FUZZ_CHECK(DecodeBase64Chunk(text) == bytes);
  const std::string uu = UUEncodeLine(input.substr(0, 45));
  FUZZ_CHECK(!uu.empty() && uu.size() <= 61);
  return 0;
}
