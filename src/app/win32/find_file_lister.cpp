#include "app/win32/find_file_lister.h"

#include <windows.h>

#include <string>

#include "app/file_stamp.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/system_error.h"

namespace parvex {
namespace {

// Packs the last-write time as local time with the offset in force at that
// moment (FileTimeToLocalFileTime would use today's offset and move every stamp
// by an hour when daylight saving starts or ends).
std::int32_t StampOf(const FILETIME& utc, const TIME_ZONE_INFORMATION* zone) {
  SYSTEMTIME utcTime, local;
  if (!FileTimeToSystemTime(&utc, &utcTime)) return kUnpackableStamp;
  if (!SystemTimeToTzSpecificLocalTime(const_cast<TIME_ZONE_INFORMATION*>(zone), &utcTime, &local))
    return kUnpackableStamp;
  CivilTime t;
  t.year = local.wYear;
  t.month = local.wMonth;
  t.day = local.wDay;
  t.hour = local.wHour;
  t.minute = local.wMinute;
  t.second = local.wSecond;
  return PackFileStamp(t);
}

// Masks and names are in the process's code page. The find runs on the wide
// calls because a name of 255 characters takes up to 765 bytes in UTF-8, more
// than the ANSI find data holds (it would come back cut), and because only they
// take a path beyond MAX_PATH, with the long-path prefix.
std::wstring Widened(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// The longest path the system takes at all, in wide characters with the prefix
// and the terminating zero (its counted strings hold no more). Longer text is not
// handed to it: under Wine a mask of 70,000 characters made the find fault.
constexpr std::size_t kLongestPath = 32767;

// A mask too long for the plain form gets the long-path prefix on its full path,
// so the folder is listed wherever the system accepts such paths. Empty when no
// folder can have that path.
std::wstring FindMask(const std::string& mask) {
  std::wstring wide = Widened(mask);
  if (wide.size() >= kLongestPath) return {};
  if (wide.size() < MAX_PATH || wide.starts_with(L"\\\\?\\")) return wide;
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD n = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return wide;
  full.resize(n);
  if (full.starts_with(L"\\\\"))
    full = L"\\\\?\\UNC\\" + full.substr(2);
  else
    full = L"\\\\?\\" + full;
  return full.size() < kLongestPath ? full : std::wstring();
}

}  // namespace

bool FindErrorMeansNoEntries(unsigned long error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES; }

void FindFileLister::enumerate(const std::string& mask, const EntryFn& onEntry) const {
  const std::wstring wideMask = FindMask(mask);
  if (wideMask.empty()) throw FolderOutOfReach(SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
  WIN32_FIND_DATAW data;
  const FindHandle find(FindFirstFileW(wideMask.c_str(), &data));
  if (!find) {
    const DWORD error = GetLastError();
    if (!FindErrorMeansNoEntries(error)) throw FolderOutOfReach(SystemErrorText(error));
    // "No matching entries" is taken as an empty folder only when the folder is
    // there: the same code for a folder that is gone would report all it held
    // as deleted.
    const std::wstring folder = wideMask.substr(0, wideMask.find_last_of(L'\\') + 1);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      throw FolderOutOfReach(SystemErrorText(ERROR_PATH_NOT_FOUND));
    return;
  }
  // Read once per folder: asking for the zone at every entry costs more than the
  // enumeration itself.
  TIME_ZONE_INFORMATION zoneInfo;
  const bool haveZone = GetTimeZoneInformation(&zoneInfo) != TIME_ZONE_ID_INVALID;
  char name[4 * MAX_PATH];
  do {
    // A name has fewer than MAX_PATH wide characters, none of them more than
    // three bytes in any code page, so the buffer always holds it.
    const int n = WideCharToMultiByte(CP_ACP, 0, data.cFileName, -1, name, sizeof name, nullptr, nullptr);
    onEntry(std::string_view(name, n > 0 ? static_cast<std::size_t>(n - 1) : 0),
            StampOf(data.ftLastWriteTime, haveZone ? &zoneInfo : nullptr));
  } while (FindNextFileW(find.Get(), &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) throw ListingCutShort(SystemErrorText(error));
}

}  // namespace parvex
