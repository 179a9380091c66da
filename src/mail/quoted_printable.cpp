#include "mail/quoted_printable.h"

namespace parvex {
void TQuotedPrintable::Encode() {}
void TQuotedPrintable::Decode() {}
}  // namespace parvex
