#include "mail/mail_headers.h"

#include "mail/header_words.h"
#include "mail/mail_text.h"
#include "mail/short_string.h"

namespace parvex {

namespace {

std::string WithColon(std::string_view name) {
  std::string field(name);
  if (field.empty() || field.back() != ':') field += ':';
  return field;
}

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

// Splits text at commas (outside double quotes when protectQuoted) into
// trimmed, decoded items; a trailing empty item is not added.
void AppendItems(std::string_view text, bool protectQuoted, TStrings& values) {
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (protectQuoted && text[i] == '"') quoted = !quoted;
    if (text[i] == ',' && !quoted) {
      values.push_back(DecodeHeaderWords(TrimView(text.substr(start, i - start))));
      start = i + 1;
    }
  }
  const std::string_view last = TrimView(text.substr(start));
  if (!last.empty()) values.push_back(DecodeHeaderWords(last));
}

}  // namespace

std::string TmxHeaders::GetFieldValue(std::string_view name) const {
  const std::string field = WithColon(name);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    if (!StartsWithText(line, field)) continue;
    std::string value = Trim(std::string_view(line).substr(line.find(':') + 1));
    for (std::size_t k = i + 1; k < lines_.size() && IsContinuation(lines_[k]); ++k) {
      value += ' ';
      value += TrimView(lines_[k]);
    }
    if (SameText(field, "Content-Type:") || SameText(field, "X-UIDL:")) return value;
    return DecodeHeaderWords(ShortString(value));
  }
  return {};
}

void TmxHeaders::GetFieldValues(std::string_view name, TStrings& values) const {
  values.clear();
  std::size_t i = 0;
  while (i < lines_.size()) {
    const std::string& line = lines_[i];
    if (!StartsWithText(line, name)) {
      ++i;
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) break;
    AppendItems(std::string_view(line).substr(colon + 1), true, values);
    // Lines without a colon continue the field; the next line with one is
    // looked at again as a possible new occurrence.
    for (++i; i < lines_.size() && lines_[i].find(':') == std::string::npos; ++i)
      AppendItems(lines_[i], false, values);
  }
}

void TmxHeaders::RemoveField(std::string_view name) {
  const std::string field = WithColon(name);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!StartsWithText(lines_[i], field)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && IsContinuation(lines_[end])) ++end;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i), lines_.begin() + static_cast<std::ptrdiff_t>(end));
    return;
  }
}

}  // namespace parvex
