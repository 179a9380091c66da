#pragma once
// RFC 2047 encoded words in header texts.
#include <string>
#include <string_view>

namespace parvex {

// A text that begins with the escape character (ISO-2022-JP) becomes one
// base64 encoded word; any other text is returned unchanged. Cut to 255.
std::string EncodeHeaderWord(std::string_view text);
// A text holding bytes of 128 or more becomes base64 encoded words in
// `charset`, each at most 75 characters, separated by blanks; any other text
// is returned unchanged.
std::string EncodeEightBitHeaderText(std::string_view text, unsigned codePage);
// Decodes the encoded words of a header value; an unclosed word drops the
// rest of the value. Raises EMessageParserError for bad base64.
std::string DecodeHeaderWords(std::string_view value);

}  // namespace parvex
