#include "app/posix/posix_mail_origin.h"

#include <time.h>
#include <unistd.h>

namespace parvex {

MailOrigin::Moment PosixMailOrigin::Now() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  Moment m;
  m.local = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  m.utcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
  m.unixSeconds = now;
  return m;
}

unsigned PosixMailOrigin::ProcessId() { return static_cast<unsigned>(getpid()); }

std::string PosixMailOrigin::HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace parvex
