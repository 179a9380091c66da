#include "mail/mail_headers.h"

namespace parvex {
std::string TmxHeaders::GetFieldValue(std::string_view) const { return {}; }
void TmxHeaders::GetFieldValues(std::string_view, TStrings& values) const { values.clear(); }
void TmxHeaders::RemoveField(std::string_view) {}
}  // namespace parvex
