#include "net/answer_fields.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "runtime/code_page.h"

namespace parvex {
namespace {

// Whole numbers beyond this are shown by no field the sign-in reads.
constexpr double kMaxWholeNumber = 1e15;

std::optional<AnswerField> FieldOf(const nlohmann::json& value) {
  AnswerField field;
  if (value.is_string()) {
    field.text = value.get_ref<const std::string&>();
    return field;
  }
  if (!value.is_number()) return std::nullopt;
  field.isNumber = true;
  if (value.is_number_unsigned()) {
    const auto n = value.get<unsigned long long>();
    field.number = static_cast<double>(n);
    field.text = std::to_string(n);
  } else if (value.is_number_integer()) {
    const auto n = value.get<long long>();
    field.number = static_cast<double>(n);
    field.text = std::to_string(n);
  } else {
    const double n = value.get<double>();
    field.number = n;
    // A fraction or a huge value has no digits to show; its number still counts.
    if (n >= -kMaxWholeNumber && n <= kMaxWholeNumber && n == std::trunc(n)) {
      field.text = std::to_string(static_cast<long long>(n));
    }
  }
  return field;
}

}  // namespace

std::optional<AnswerFields> ReadAnswerFields(std::string_view json) {
  if (json.size() > kMaxAnswerBytes) return std::nullopt;
  // Without exceptions: a malformed answer is an everyday event, not a fault.
  const nlohmann::json parsed = nlohmann::json::parse(json.begin(), json.end(), nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded() || !parsed.is_object()) return std::nullopt;
  AnswerFields fields;
  for (auto member = parsed.begin(); member != parsed.end(); ++member) {
    if (auto field = FieldOf(member.value())) fields.emplace(member.key(), std::move(*field));
  }
  return fields;
}

std::string ShownAnswerText(std::string_view text, std::size_t maxBytes) {
  std::string shown;
  shown.reserve(std::min(text.size(), maxBytes + 1));
  bool blank = false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      blank = true;
      continue;
    }
    if (blank && !shown.empty()) shown += ' ';
    blank = false;
    shown += c;
    if (shown.size() > maxBytes) break;  // enough to cut at a boundary below
  }
  shown.resize(CharacterCutLength(shown, maxBytes, kUtf8CodePage));
  while (!shown.empty() && shown.back() == ' ') shown.pop_back();
  return shown;
}

}  // namespace parvex
