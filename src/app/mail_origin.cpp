#include "app/mail_origin.h"

#include <cstdio>

namespace parvex {

namespace {

// 0 = Sunday, for a proleptic Gregorian date (Sakamoto's method).
int dayOfWeek(int y, int m, int d) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + offsets[(m - 1) % 12] + d) % 7;
}

bool usableHost(const std::string& host) {
  if (host.empty()) return false;
  for (char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string RfcDate(const CivilTime& t, int offset) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = t.month >= 1 && t.month <= 12 ? t.month : 1;
  const char sign = offset < 0 ? '-' : '+';
  const int magnitude = offset < 0 ? -offset : offset;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[dayOfWeek(t.year, month, t.day)],
                t.day, kMonths[month - 1], t.year, t.hour, t.minute, t.second, sign, magnitude / 60 % 100,
                magnitude % 60);
  return text;
}

std::string MessageIdDomain(const std::string& senderAddress, const std::string& host) {
  const auto at = senderAddress.rfind('@');
  if (at != std::string::npos) {
    std::string domain = senderAddress.substr(at + 1);
    if (!domain.empty() && domain.back() == '>') domain.pop_back();
    // A bare machine name ("@vm") says nothing more than the host's own.
    if (usableHost(domain) && domain.find('.') != std::string::npos) return domain;
  }
  return host;
}

std::string MakeMessageId(std::int64_t unixSeconds, unsigned processId, unsigned counter, const std::string& host) {
  return "<" + std::to_string(unixSeconds) + "." + std::to_string(processId) + "." + std::to_string(counter) + "@" +
         (usableHost(host) ? host : std::string("localhost")) + ">";
}

}  // namespace parvex
