#include "net/smtp_capabilities.h"

#include <cctype>
#include <string_view>

namespace parvex {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The words of text, split at white space. (No string streams: they would bring
// the whole locale machinery into the program.)
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

}  // namespace

SmtpCapabilities ParseEhloReply(const std::vector<std::string>& lines) {
  SmtpCapabilities offered;
  // The first line greets; the keywords follow the code and its separator.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].size() < 4) continue;
    std::string keywords = Upper(lines[i].substr(4));
    if (keywords.rfind("AUTH=", 0) == 0) keywords[4] = ' ';
    const std::vector<std::string_view> words = Words(keywords);
    if (words.empty()) continue;
    if (words[0] == "STARTTLS") offered.startTls = true;
    if (words[0] != "AUTH") continue;
    for (std::size_t w = 1; w < words.size(); ++w) {
      if (words[w] == "PLAIN") offered.authPlain = true;
      if (words[w] == "LOGIN") offered.authLogin = true;
      if (words[w] == "XOAUTH2") offered.authXoauth2 = true;
    }
  }
  return offered;
}

}  // namespace parvex
