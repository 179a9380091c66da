#pragma once
// What a server offers in its EHLO reply, as far as the client uses it.
#include <string>
#include <vector>

namespace parvex {

struct SmtpCapabilities {
  bool startTls = false;
  bool authPlain = false;
  bool authLogin = false;
  bool authXoauth2 = false;
};

// The reply's lines as ReadReply read them ("250-STARTTLS", "250 AUTH LOGIN PLAIN").
// Keywords count in any case; "AUTH=" is the form some older servers send.
SmtpCapabilities ParseEhloReply(const std::vector<std::string>& lines);

}  // namespace parvex
