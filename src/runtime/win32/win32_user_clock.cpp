#include "runtime/win32/win32_user_clock.h"

#include <windows.h>

namespace parvex {
namespace {

SYSTEMTIME ToSystemTime(const CivilTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

}  // namespace

CivilTime Win32UserClock::now() const {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32UserClock::shortDate(const CivilTime& t) const {
  const SYSTEMTIME st = ToSystemTime(t);
  char text[128];
  const int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, sizeof text);
  return n > 0 ? std::string(text) : std::string();
}

std::string Win32UserClock::longTime(const CivilTime& t) const {
  const SYSTEMTIME st = ToSystemTime(t);
  char text[128];
  const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, sizeof text);
  return n > 0 ? std::string(text) : std::string();
}

}  // namespace parvex
