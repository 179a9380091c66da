#include "net/xoauth2.h"

#include <string_view>

#include "mail/base64.h"
#include "mail/mail_errors.h"
#include "net/answer_fields.h"
#include "net/net_errors.h"

namespace parvex {
namespace {

constexpr std::size_t kMaxShownField = 120;

bool FitsFrame(const std::string& text) { return !text.empty() && text.find_first_of("\x01\r\n") == std::string::npos; }

}  // namespace

std::string Xoauth2InitialResponse(const std::string& user, const std::string& accessToken) {
  if (!FitsFrame(user)) {
    throw EOAuthError(
        "The user name for sign-in with OAuth 2.0 is empty or holds a line break; correct it in the "
        "Security dialog.");
  }
  if (!FitsFrame(accessToken)) {
    throw EOAuthError("The access token cannot be sent (it is empty or holds a line break); sign in again.");
  }
  return Base64Text("user=" + user +
                    "\x01"
                    "auth=Bearer " +
                    accessToken + "\x01\x01");
}

std::string Xoauth2ChallengeText(const std::string& base64Challenge) {
  std::string json;
  try {
    json = DecodeBase64Chunk(base64Challenge);
  } catch (const EMessageParserError&) {
    return {};
  }
  const auto fields = ReadAnswerFields(json);
  if (!fields) return {};
  std::string text;
  for (const char* name : {"status", "scope"}) {
    const auto it = fields->find(name);
    if (it == fields->end()) continue;
    const std::string shown = ShownAnswerText(it->second.text, kMaxShownField);
    if (shown.empty()) continue;
    if (!text.empty()) text += ", ";
    text += std::string(name) + " " + shown;
  }
  return text;
}

}  // namespace parvex
