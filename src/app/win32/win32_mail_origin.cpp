#include "app/win32/win32_mail_origin.h"

#include <windows.h>

namespace parvex {

namespace {

std::int64_t ticks(const SYSTEMTIME& t) {
  FILETIME f{};
  SystemTimeToFileTime(&t, &f);
  return (static_cast<std::int64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

}  // namespace

MailOrigin::Moment Win32MailOrigin::Now() {
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  SYSTEMTIME local{};
  // The local time of this very moment, so the offset is the one in force now.
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  constexpr std::int64_t kTicksPerSecond = 10000000;
  constexpr std::int64_t kUnixEpochTicks = 116444736000000000;  // 1970-01-01 in FILETIME ticks
  Moment m;
  m.local = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  const std::int64_t difference = (ticks(local) - ticks(utc)) / kTicksPerSecond;
  m.utcOffsetMinutes = static_cast<int>((difference + (difference < 0 ? -30 : 30)) / 60);
  m.unixSeconds = (ticks(utc) - kUnixEpochTicks) / kTicksPerSecond;
  return m;
}

unsigned Win32MailOrigin::ProcessId() { return GetCurrentProcessId(); }

std::string Win32MailOrigin::HostName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameExA(ComputerNameDnsFullyQualified, name, &size)) return "";
  return std::string(name, size);
}

}  // namespace parvex
