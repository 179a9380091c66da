#pragma once
// TmxMailBase: the base of mail protocol clients over one socket. Login brings
// a freshly opened socket into the protocol's ready state; Logout ends the dialogue.
#include "net/nssocket.h"

namespace parvex {

class TmxMailBase : public TnsSocket {
 public:
  using TnsSocket::TnsSocket;

  virtual void Login() = 0;
  virtual void Logout() = 0;
};

}  // namespace parvex
