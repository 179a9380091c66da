#include "app/win32/locale_collation.h"

#include <windows.h>

#include <vector>

namespace parvex {
namespace {
// The names come in the process's code page (UTF-8 under the program's
// manifest); without LOCALE_USE_CP_ACP they would be read in the locale's own
// page, and letters outside ASCII would neither order nor fold their case.
constexpr DWORD kFlags = NORM_IGNORECASE | LOCALE_USE_CP_ACP;
}  // namespace

std::string UserLocaleCollation::sortKey(std::string_view text) const {
  std::string key;
  appendSortKey(text, key);
  return key;
}

void UserLocaleCollation::appendSortKey(std::string_view text, std::string& out) const {
  if (text.empty()) return;
  const int length = static_cast<int>(text.size());
  char buffer[1024];
  int n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | kFlags, text.data(), length, buffer,
                       sizeof buffer);
  if (n > 0) {
    out.append(buffer, static_cast<std::size_t>(n - 1));  // without its zero
    return;
  }
  n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | kFlags, text.data(), length, nullptr, 0);
  if (n <= 0) {
    out.append(text);  // cannot happen for file names; keep a total order
    return;
  }
  std::vector<char> big(static_cast<std::size_t>(n));
  n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | kFlags, text.data(), length, big.data(), n);
  if (n > 0)
    out.append(big.data(), static_cast<std::size_t>(n - 1));
  else
    out.append(text);
}

int CompareUserLocaleIgnoreCase(std::string_view a, std::string_view b) {
  const int r = CompareStringA(LOCALE_USER_DEFAULT, kFlags, a.data(), static_cast<int>(a.size()),
                               b.data(), static_cast<int>(b.size()));
  return r == CSTR_LESS_THAN ? -1 : (r == CSTR_GREATER_THAN ? 1 : 0);
}

}  // namespace parvex
