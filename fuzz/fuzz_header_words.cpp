// Decoding encoded words in arbitrary header values ends and stays in bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "mail/header_words.h"
#include "mail/mail_errors.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  try {
    const std::string value = DecodeHeaderWords(input);
    // Decoding never makes a value longer.
    if (input.find("=?") == std::string::npos) FUZZ_CHECK(value == input);
    else FUZZ_CHECK(value.size() <= input.size());
  } catch (const EMessageParserError&) {
  } catch (const EMessageError&) {
  }
  const std::string word = EncodeHeaderWord(input);
  FUZZ_CHECK(word.size() <= 255 || word == input);
  return 0;
}
