#include "app/win32/find_file_lister.h"

#include <windows.h>

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

}  // namespace

void FindFileLister::enumerate(const std::string& mask, const EntryFn& onEntry) const {
  WIN32_FIND_DATAA data;
  const FindHandle find(FindFirstFileA(mask.c_str(), &data));
  if (!find) return;
  // Read once per folder: asking for the zone at every entry costs more than the
  // enumeration itself.
  TIME_ZONE_INFORMATION zoneInfo;
  const bool haveZone = GetTimeZoneInformation(&zoneInfo) != TIME_ZONE_ID_INVALID;
  do {
    onEntry(data.cFileName, StampOf(data.ftLastWriteTime, haveZone ? &zoneInfo : nullptr));
  } while (FindNextFileA(find.Get(), &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) throw ListingCutShort(SystemErrorText(error));
}

}  // namespace parvex
