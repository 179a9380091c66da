#pragma once
// The transport's string table (57000-57012, 57100-57102) and the texts of the
// Winsock error codes that a user is likely to meet.
#include <string>

namespace parvex {

enum NetStringId : unsigned {
  sTimedOut = 57000,
  sCanceled = 57001,
  sServerRequired = 57002,
  sInvalidWinsockVersion = 57003,
  sResolveError = 57004,
  sServiceRequired = 57005,
  sNotConnected = 57008,
  sFunctionNotFound = 57010,
  sWinsockNotLoaded = 57011,
  sWinsockNotFound = 57012,
  sSenderRequired = 57100,
  sRecipientRequired = 57101,
  sMailMessageRequired = 57102,
};

// The text of string `id`, or "" when the table has none.
std::string LoadNetString(unsigned id);

// Our own text for a Winsock error code, or "" for codes without one.
std::string WinsockErrorText(unsigned code);

}  // namespace parvex
