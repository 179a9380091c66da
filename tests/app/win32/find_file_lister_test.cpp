#include "app/win32/find_file_lister.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "app/change_detection.h"
#include "app/file_stamp.h"
#include "app/snapshot.h"
#include "app/win32/locale_collation.h"
#include "support/snapshot_fakes.h"
#include "support/temp_folder.h"

namespace parvex {
namespace {

using testing::RemoveTree;
using testing::TempFolder;

void SetLastWrite(const std::string& path, const SYSTEMTIME& utc) {
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
}

std::set<std::string> NamesIn(const std::string& mask) {
  std::set<std::string> names;
  FindFileLister().enumerate(mask, [&](std::string_view name, std::int32_t) { names.emplace(name); });
  return names;
}

class Win32Snapshot : public ::testing::Test {
 protected:
  std::vector<std::string> slots = std::vector<std::string>(kFolderSlotCount);
  UserLocaleCollation collation;
  FindFileLister lister;
  testing::FixedOptions options;
  testing::FixedClock clock{CivilTime{2026, 12, 7, 1, 34, 52}};
  std::vector<std::string> summary;
};

TEST_F(Win32Snapshot, ListsEntriesOfEveryAttributeAndSubfoldersAsOneEntry) {
  TempFolder folder;
  const struct {
    const char* name;
    DWORD attributes;
  } files[] = {{"plain.txt", FILE_ATTRIBUTE_NORMAL},    {"readonly.txt", FILE_ATTRIBUTE_READONLY},
               {"hidden.txt", FILE_ATTRIBUTE_HIDDEN},   {"system.txt", FILE_ATTRIBUTE_SYSTEM},
               {"archive.txt", FILE_ATTRIBUTE_ARCHIVE}, {"noext", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}};
  for (const auto& f : files) SetFileAttributesA(folder.file(f.name).c_str(), f.attributes);
  CreateDirectoryA((folder.path() + "\\sub").c_str(), nullptr);
  CreateDirectoryA((folder.path() + "\\sub\\deeper").c_str(), nullptr);
  folder.file("sub\\inner.txt");

  slots[0] = folder.path();
  SnapshotList list(collation);
  TakeSnapshot(slots, list, lister);
  std::set<std::string> paths;
  for (std::size_t i = 0; i < list.count(); ++i) paths.emplace(parseTabs(list[i], 1));
  std::set<std::string> expected;
  for (const char* n : {"plain.txt", "readonly.txt", "hidden.txt", "system.txt", "archive.txt", "noext", "sub"})
    expected.insert(folder.path() + "\\" + n);
  EXPECT_EQ(paths, expected);  // no ".", "..", nor anything inside "sub"
  for (std::size_t i = 1; i < list.count(); ++i)
    EXPECT_LT(CompareUserLocaleIgnoreCase(parseTabs(list[i - 1], 1), parseTabs(list[i], 1)), 0);
}

TEST_F(Win32Snapshot, TrailingBackslashGivesTheSamePaths) {
  TempFolder folder;
  folder.file("report.doc");
  SnapshotList plain(collation), withSlash(collation);
  LoadFiles(folder.path(), plain, lister);
  LoadFiles(folder.path() + "\\", withSlash, lister);
  ASSERT_EQ(plain.count(), 1u);
  EXPECT_EQ(plain.lines(), withSlash.lines());
  EXPECT_EQ(parseTabs(plain[0], 1), folder.path() + "\\report.doc");
}

// Only "no matching entries" means an empty folder; a folder that is gone, a
// share away, a slot naming a file or a path the system cannot take is out of
// reach, so that its entries are never taken as deleted.
TEST_F(Win32Snapshot, FindErrorsTellEmptyFromOutOfReach) {
  for (const DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES}) EXPECT_TRUE(FindErrorMeansNoEntries(error));
  for (const DWORD error : {ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_NETPATH, ERROR_BAD_NET_NAME,
                            ERROR_NETNAME_DELETED, ERROR_NOT_READY, ERROR_DIRECTORY, ERROR_INVALID_NAME,
                            ERROR_FILENAME_EXCED_RANGE, ERROR_UNEXP_NET_ERR, ERROR_SEM_TIMEOUT})
    EXPECT_FALSE(FindErrorMeansNoEntries(error)) << error;

  TempFolder folder;
  const std::string file = folder.file("a-file.txt");
  SnapshotList list(collation);
  LoadFiles("", list, lister);
  for (const std::string& slot :
       {folder.path() + "\\missing", file, std::string("\\\\nosuchserver\\share"),
        std::string("C:\\") + std::string(400, 'x'), std::string(70000, 'y')}) {
    try {
      LoadFiles(slot, list, lister);
      ADD_FAILURE() << slot.substr(0, 60) << " listed as empty";
    } catch (const FolderNotListed& e) {
      EXPECT_EQ(e.Message().rfind("Could not list the folder " + slot.substr(0, 60), 0), 0u) << e.Message();
    }
  }
  EXPECT_TRUE(list.empty());
  // The system's "no matching entries" for an existing folder: an empty list.
  EXPECT_TRUE(NamesIn(folder.path() + "\\*.none").empty());
}

TEST_F(Win32Snapshot, TouchedFileIsReportedChanged) {
  TempFolder folder;
  const std::string touched = folder.file("touched.txt");
  folder.file("same.txt");
  SYSTEMTIME t{2026, 3, 0, 2, 10, 0, 0, 0};
  SetLastWrite(touched, t);
  slots[4] = folder.path();
  SnapshotList start(collation), scan(collation);
  TakeSnapshot(slots, start, lister);
  TakeSnapshot(slots, scan, lister);
  EXPECT_FALSE(areListBoxesDifferent(start, scan, options, clock, summary));
  t.wSecond = 2;
  SetLastWrite(touched, t);
  TakeSnapshot(slots, scan, lister);
  EXPECT_TRUE(areListBoxesDifferent(start, scan, options, clock, summary));
  ASSERT_EQ(summary.size(), 3u);
  EXPECT_EQ(summary[2], "Changed " + touched);
}

TEST_F(Win32Snapshot, StampIsTheLocalTimeOfTheLastWrite) {
  TempFolder folder;
  const std::string f = folder.file("dated.txt");
  const SYSTEMTIME utc{2030, 6, 0, 15, 12, 30, 44, 0};
  SetLastWrite(f, utc);
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  SYSTEMTIME local;
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&zone, &utc, &local));
  std::map<std::string, std::int32_t> stamps;
  lister.enumerate(folder.path() + "\\*.*",
                   [&](std::string_view name, std::int32_t stamp) { stamps[std::string(name)] = stamp; });
  EXPECT_EQ(stamps.at("dated.txt"),
            PackFileStamp({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond}));
}

// Run with TZ=Europe/Berlin (the app_tests_berlin test): winter stamps are
// UTC+1 and summer ones UTC+2, whatever today's offset is. The expected stamps
// are worked out here, not by the call the lister makes.
TEST_F(Win32Snapshot, BerlinStampsFollowTheOffsetOfTheirOwnDate) {
  // Only its own test entry asks for Berlin; there a zone that did not take is a fault.
  const char* tz = std::getenv("TZ");
  if (!tz || std::strcmp(tz, "Europe/Berlin") != 0) GTEST_SKIP() << "TZ is not Europe/Berlin";
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  ASSERT_TRUE(zone.Bias == -60 && zone.DaylightBias == -60) << "not running in Central European time";
  TempFolder folder;
  struct Case {
    const char* name;
    SYSTEMTIME utc;
    CivilTime local;
  } cases[] = {
      {"winter.txt", {2026, 1, 0, 15, 12, 30, 44, 0}, {2026, 1, 15, 13, 30, 44}},
      {"summer.txt", {2026, 7, 0, 15, 12, 30, 44, 0}, {2026, 7, 15, 14, 30, 44}},
      {"before-switch.txt", {2026, 3, 0, 29, 0, 59, 58, 0}, {2026, 3, 29, 1, 59, 58}},
      {"after-switch.txt", {2026, 3, 0, 29, 1, 0, 0, 0}, {2026, 3, 29, 3, 0, 0}},
  };
  for (const Case& c : cases) SetLastWrite(folder.file(c.name), c.utc);
  std::map<std::string, std::int32_t> stamps;
  lister.enumerate(folder.path() + "\\*.*",
                   [&](std::string_view name, std::int32_t stamp) { stamps[std::string(name)] = stamp; });
  for (const Case& c : cases) EXPECT_EQ(stamps.at(c.name), PackFileStamp(c.local)) << c.name;
}

TEST_F(Win32Snapshot, NamesWithAnsiHighBytesAreListed) {
  TempFolder folder;
  folder.file("caf\xe9.txt");
  folder.file("\xc4rger \xfc.doc");
  const auto names = NamesIn(folder.path() + "\\*.*");
  EXPECT_EQ(names.count("caf\xe9.txt"), 1u);
  EXPECT_EQ(names.count("\xc4rger \xfc.doc"), 1u);
}

TEST_F(Win32Snapshot, FolderVanishingDuringTheListingIsNoError) {
  TempFolder folder;
  const std::string doomed = folder.path() + "\\doomed";
  CreateDirectoryA(doomed.c_str(), nullptr);
  for (int i = 0; i < 300; ++i) folder.file("doomed\\f" + std::to_string(i));
  int seen = 0;
  lister.enumerate(doomed + "\\*.*", [&](std::string_view, std::int32_t) {
    if (++seen == 3) RemoveTree(doomed);
  });
  EXPECT_GE(seen, 3);
  // Windows keeps the folder itself while the search holds it open; once the
  // search is released the folder goes, and a later scan finds it out of reach.
  RemoveTree(doomed);
  EXPECT_THROW(NamesIn(doomed + "\\*.*"), FolderOutOfReach);
}

TEST_F(Win32Snapshot, TwentySlotsOnOneFolderListEveryEntryTwentyTimes) {
  TempFolder folder;
  folder.file("a.txt");
  folder.file("b.txt");
  for (auto& s : slots) s = folder.path();
  SnapshotList list(collation);
  TakeSnapshot(slots, list, lister);
  EXPECT_EQ(list.count(), 40u);
  EXPECT_EQ(parseTabs(list[19], 1), folder.path() + "\\a.txt");
  EXPECT_EQ(parseTabs(list[20], 1), folder.path() + "\\b.txt");
}

}  // namespace
}  // namespace parvex
