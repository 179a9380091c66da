#pragma once
// HTTPS POSTs to a token address through WinHTTP, bound at run time from the
// system folder: TLS 1.2 or later, the certificate checked by the system. The
// request runs on a worker thread while the window goes on answering.
#include "net/oauth_token_source.h"
#include "runtime/message_pump.h"

namespace parvex {

class WinHttpPoster final : public HttpsPoster {
 public:
  explicit WinHttpPoster(MessagePump& pump) : pump_(pump) {}
  Answer PostForm(const std::string& url, const std::string& body) override;

 private:
  MessagePump& pump_;
};

}  // namespace parvex
