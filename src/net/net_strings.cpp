#include "net/net_strings.h"

#include <algorithm>
#include <iterator>

namespace parvex {
namespace {

struct Entry {
  unsigned id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {57000, "Operation timed out"},
    {57001, "Operation has been canceled"},
    {57002, "Server property is required"},
    {57003, "Invalid Winsock version"},
    {57004, "Error resolving remote host"},
    {57005, "Service name is required"},
    {57008, "You have to connect to the server first"},
    {57010, "Function %s not found"},
    {57011, "Winsock is not loaded"},
    {57012, "Winsock not found"},
    {57100, "The address of sender is required"},
    {57101, "At least one Recipient, CC or BCC must be entered"},
    {57102, "MailMessage property must be assigned"},
};

// Sorted by code.
constexpr Entry kWinsockTexts[] = {
    {10004, "Interrupted function call"},
    {10009, "Bad file handle"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open sockets"},
    {10035, "Resource temporarily unavailable"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Cannot assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection on reset"},
    {10053, "Software caused connection abort"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Cannot send after socket shutdown"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10064, "Host is down"},
    {10065, "No route to host"},
    {10091, "Network subsystem is unavailable"},
    {10092, "Winsock version out of range"},
    {10093, "Winsock has not been started"},
    {11001, "Host not found"},
    {11002, "Host not found, or server failure; try again later"},
    {11003, "This is a non-recoverable error"},
    {11004, "Valid name, no data record of requested type"},
};

template <std::size_t N>
std::string Find(const Entry (&table)[N], unsigned id) {
  auto it = std::find_if(std::begin(table), std::end(table), [id](const Entry& e) { return e.id == id; });
  return it == std::end(table) ? std::string() : std::string(it->text);
}

}  // namespace

std::string LoadNetString(unsigned id) { return Find(kStrings, id); }

std::string WinsockErrorText(unsigned code) { return Find(kWinsockTexts, code); }

}  // namespace parvex
