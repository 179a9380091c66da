// Quoted-printable: decoding arbitrary lines, and the round trip of CR LF text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "mail/mail_errors.h"
#include "mail/quoted_printable.h"

using namespace parvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  TStrings lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= input.size(); ++i)
    if (i == input.size() || input[i] == '\n') {
      lines.push_back(input.substr(start, i - start));
      start = i + 1;
    }
  TMemoryStream decoded;
  try {
    TQuotedPrintable(decoded, lines).Decode();
  } catch (const EMessageError&) {
  }

  // Any bytes, cut into CR LF lines, come back exactly.
  std::string text;
  for (char c : input) {
    if (c == '\n') text += "\r\n";
    else if (c != '\r') text += c;
  }
  text += "\r\n";
  if (text.size() > 8000) return 0;
  TMemoryStream source;
  source.WriteString(text);
  TStrings encoded;
  TQuotedPrintable(source, encoded).Encode();
  for (const std::string& line : encoded) FUZZ_CHECK(line.size() <= 65 * 3 + 1);
  TMemoryStream back;
  TQuotedPrintable(back, encoded).Decode();
  FUZZ_CHECK(back.AsString() == text);
  return 0;
}
