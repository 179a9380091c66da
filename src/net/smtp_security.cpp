#include "net/smtp_security.h"

namespace parvex {

bool ServerIsThisComputer(const std::string& server) {
  std::string host = server.substr(0, server.find(':'));
  for (char& c : host) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return host == "localhost" || host == "127.0.0.1";
}

}  // namespace parvex
