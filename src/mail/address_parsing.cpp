#include "mail/address_parsing.h"

#include "mail/mail_errors.h"
#include "mail/mail_text.h"

namespace parvex {

std::string StripQuotes(std::string_view text) {
  std::string_view s = TrimView(text);
  while (!s.empty() && s.front() == '"') s.remove_prefix(1);
  while (!s.empty() && s.back() == '"') s.remove_suffix(1);
  return std::string(s);
}

void ParseAddress(std::string_view text, TmxMailAddress& address) {
  const std::size_t open = text.find('<');
  if (open != std::string_view::npos) {
    const std::size_t close = text.find('>');
    if (close == std::string_view::npos || close < open) throw EMessageParserError("Unable to parse email address");
    const std::string mailbox = StripQuotes(text.substr(open + 1, close - open - 1));
    std::string rest(text.substr(0, open));
    rest.append(text.substr(close + 1));
    address.SetAddress(mailbox);
    address.SetName(StripQuotes(rest));
    return;
  }
  const std::size_t paren = text.find('(');
  if (paren != std::string_view::npos) {
    std::string_view comment = text.substr(paren + 1);
    if (!comment.empty()) comment.remove_suffix(1);  // the closing ")"
    address.SetAddress(StripQuotes(text.substr(0, paren)));
    address.SetName(StripQuotes(comment));
    return;
  }
  address.SetAddress(text);
  address.SetName("");
}

}  // namespace parvex
