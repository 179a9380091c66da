#pragma once
// The fields of the small JSON answers a sign-in with OAuth 2.0 meets (the token
// address's answer, the XOAUTH2 challenge), and their texts made fit to show in
// a message box. The one place the JSON library is compiled.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace parvex {

struct AnswerField {
  bool isNumber = false;
  std::string text;   // a string's value, or a whole number's decimal digits
  double number = 0;  // a number's value
};
using AnswerFields = std::map<std::string, AnswerField, std::less<>>;

// No answer of the sign-in comes near this; a bigger one is not read at all.
inline constexpr std::size_t kMaxAnswerBytes = 1 << 20;

// The string and number members at the top level of a JSON object; members of
// other kinds are left out. nullopt when the text is not one JSON object.
std::optional<AnswerFields> ReadAnswerFields(std::string_view json);

// A text from an answer as a message may show it: every run of control
// characters and blanks becomes one space, none at the ends, and it is cut to
// at most maxBytes at a UTF-8 character boundary (JSON text is UTF-8).
std::string ShownAnswerText(std::string_view text, std::size_t maxBytes);

}  // namespace parvex
