#pragma once
// Splitting one address text from a header field into name and mailbox.
#include <string>
#include <string_view>

#include "mail/mail_address.h"

namespace parvex {

// Accepts "Name <mailbox>", "mailbox (Name)" and a bare mailbox. Raises
// EMessageParserError "Unable to parse email address" for an unclosed angle form;
// the address is then unchanged.
void ParseAddress(std::string_view text, TmxMailAddress& address);

// Trims blanks, then removes double quotes at the start and at the end.
std::string StripQuotes(std::string_view text);

}  // namespace parvex
