#include "mail/header_words.h"

namespace parvex {
std::string EncodeHeaderWord(std::string_view text) { return std::string(text); }
std::string DecodeHeaderWords(std::string_view value) { return std::string(value); }
}  // namespace parvex
