#include "net/oauth_authorization.h"

#include <algorithm>
#include <map>

#include "net/answer_fields.h"
#include "net/net_errors.h"

namespace parvex {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kUnreadable[] = "The browser's answer to the sign-in could not be read; sign in again.";
constexpr std::size_t kMaxErrorBytes = 100;
constexpr std::size_t kMaxDescriptionBytes = 300;

bool IsUnreserved(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The answer's parameters by name. A parameter given twice is not guessed
// between (RFC 6749 section 3.1 allows each once).
std::map<std::string, std::string> QueryParameters(std::string_view query) {
  std::map<std::string, std::string> parameters;
  while (!query.empty()) {
    const std::size_t end = std::min(query.find('&'), query.size());
    const std::string_view pair = query.substr(0, end);
    query.remove_prefix(std::min(end + 1, query.size()));
    if (pair.empty()) continue;
    const std::size_t equals = std::min(pair.find('='), pair.size());
    std::string value = equals < pair.size() ? FormDecode(pair.substr(equals + 1)) : std::string();
    if (!parameters.emplace(FormDecode(pair.substr(0, equals)), std::move(value)).second) {
      throw EOAuthError(kUnreadable);
    }
  }
  return parameters;
}

const std::string* Find(const std::map<std::string, std::string>& parameters, const char* name) {
  const auto it = parameters.find(name);
  return it == parameters.end() ? nullptr : &it->second;
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string HttpAnswer(const char* statusLine, const char* contentType, const std::string& body) {
  return std::string(statusLine) + "\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\nCache-Control: no-store\r\n\r\n" + body;
}

}  // namespace

std::string FormEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (IsUnreserved(c)) {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string FormDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%') {
      const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
      const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
      if (low < 0) throw EOAuthError(kUnreadable);
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string AuthorizationUrl(const OAuthEndpoints& endpoints, const std::string& clientId,
                             const std::string& redirectUri, const std::string& state, const std::string& codeChallenge,
                             const std::string& loginHint) {
  std::string url = endpoints.authorizeUrl;
  if (url.find('?') == std::string::npos) {
    url += '?';
  } else if (url.back() != '?' && url.back() != '&') {
    url += '&';
  }
  url += "response_type=code&client_id=" + FormEncode(clientId) + "&redirect_uri=" + FormEncode(redirectUri) +
         "&scope=" + FormEncode(endpoints.scope) + "&state=" + FormEncode(state) +
         "&code_challenge=" + FormEncode(codeChallenge) + "&code_challenge_method=S256";
  if (!loginHint.empty()) url += "&login_hint=" + FormEncode(loginHint);
  return url;
}

LoopbackRequest::Result LoopbackRequest::Feed(std::string_view bytes) {
  if (result_ != Result::NeedMore) return result_;
  const std::size_t scanFrom = head_.size() < 2 ? 0 : head_.size() - 2;
  const std::size_t room = kMaxHeadBytes - head_.size();
  head_.append(bytes.substr(0, room));

  if (!requestLineRead_) {
    const std::size_t lineEnd = head_.find('\n', scanFrom);  // none before: not read yet
    if (lineEnd != std::string::npos) {
      requestLineRead_ = true;
      std::string_view line(head_.data(), lineEnd);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (ReadRequestLine(line) == Result::Invalid) return result_ = Result::Invalid;
    }
  }
  // The head ends with an empty line; CR before LF is optional (RFC 9112 2.2).
  for (std::size_t at = head_.find('\n', scanFrom); at != std::string::npos; at = head_.find('\n', at + 1)) {
    const bool emptyLine = (at + 1 < head_.size() && head_[at + 1] == '\n') ||
                           (at + 2 < head_.size() && head_[at + 1] == '\r' && head_[at + 2] == '\n');
    if (emptyLine && requestLineRead_) return result_ = Result::Complete;
  }
  if (bytes.size() > room || head_.size() == kMaxHeadBytes) return result_ = Result::Invalid;
  return Result::NeedMore;
}

const std::string& LoopbackRequest::Target() const {
  // A request line alone is no request yet: its head may still turn out too long.
  static const std::string kNone;
  return result_ == Result::Complete ? target_ : kNone;
}

LoopbackRequest::Result LoopbackRequest::ReadRequestLine(std::string_view line) {
  // method SP request-target SP HTTP-version, nothing else.
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos) return Result::Invalid;
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  const std::string_view version = line.substr(second + 1);
  const bool httpOne =
      version.size() == 8 && version.substr(0, 7) == "HTTP/1." && version[7] >= '0' && version[7] <= '9';
  if (method != "GET" || !httpOne || target.empty() || target.front() != '/') return Result::Invalid;
  for (const char c : target) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) return Result::Invalid;
  }
  target_ = std::string(target);
  return Result::NeedMore;
}

RedirectOutcome ReadRedirect(const std::string& target, const std::string& expectedPath,
                             const std::string& expectedState) {
  const std::size_t question = target.find('?');
  const std::string_view path = std::string_view(target).substr(0, question);
  if (path != (expectedPath.empty() ? "/" : expectedPath)) return {};

  const auto parameters = QueryParameters(
      question == std::string::npos ? std::string_view() : std::string_view(target).substr(question + 1));
  // An empty expected state would match an answer that carries none.
  const std::string* state = Find(parameters, "state");
  if (state == nullptr || expectedState.empty() || *state != expectedState) {
    throw EOAuthError("The browser's answer did not come from this sign-in (its state does not match); sign in again.");
  }
  RedirectOutcome outcome;
  if (const std::string* error = Find(parameters, "error")) {
    outcome.kind = RedirectOutcome::Kind::Refused;
    outcome.error = ShownAnswerText(*error, kMaxErrorBytes);
    if (const std::string* description = Find(parameters, "error_description")) {
      outcome.description = ShownAnswerText(*description, kMaxDescriptionBytes);
    }
    return outcome;
  }
  const std::string* code = Find(parameters, "code");
  if (code == nullptr || code->empty()) {
    throw EOAuthError("The browser's answer to the sign-in carried no authorization code; sign in again.");
  }
  outcome.kind = RedirectOutcome::Kind::Code;
  outcome.code = *code;
  return outcome;
}

std::string BrowserAnswer(bool signedIn, const std::string& detail) {
  std::string message;
  if (signedIn) {
    message = "Parvex 2000 is signed in. You can close this window.";
  } else {
    std::string shown = ShownAnswerText(detail, kMaxDescriptionBytes + kMaxErrorBytes);
    while (!shown.empty() && shown.back() == '.') shown.pop_back();
    message = "The sign-in was not completed" + (shown.empty() ? "" : ": " + HtmlEscaped(shown)) +
              ". You can close this window and try again in Parvex 2000.";
  }
  const std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Parvex 2000</title></head>\n<body><p>" + message +
      "</p></body></html>\n";
  return HttpAnswer("HTTP/1.1 200 OK", "text/html; charset=utf-8", page);
}

std::string NotFoundAnswer() {
  return HttpAnswer("HTTP/1.1 404 Not Found", "text/plain; charset=utf-8", "Not found.\n");
}

}  // namespace parvex
