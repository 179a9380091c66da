#include "net/smtp_capabilities.h"

#include <cctype>
#include <sstream>

namespace parvex {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

SmtpCapabilities ParseEhloReply(const std::vector<std::string>& lines) {
  SmtpCapabilities offered;
  // The first line greets; the keywords follow the code and its separator.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].size() < 4) continue;
    std::string keywords = Upper(lines[i].substr(4));
    if (keywords.rfind("AUTH=", 0) == 0) keywords[4] = ' ';
    std::istringstream words(keywords);
    std::string word;
    words >> word;
    if (word == "STARTTLS") offered.startTls = true;
    if (word != "AUTH") continue;
    while (words >> word) {
      if (word == "PLAIN") offered.authPlain = true;
      if (word == "LOGIN") offered.authLogin = true;
    }
  }
  return offered;
}

}  // namespace parvex
