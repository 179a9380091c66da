#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "app/change_detection.h"
#include "app/file_stamp.h"
#include "app/posix/ascii_collation.h"
#include "app/posix/posix_directory_lister.h"
#include "app/snapshot.h"
#include "support/snapshot_fakes.h"
#include "support/temp_folder.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;

using testing::RemoveTree;
using testing::TempFolder;

void SetModified(const std::string& path, time_t utcSeconds) {
  const struct timespec times[2] = {{utcSeconds, 0}, {utcSeconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

std::map<std::string, std::int32_t> ListAll(const std::string& mask) {
  std::map<std::string, std::int32_t> found;
  PosixDirectoryLister().enumerate(
      mask, [&](std::string_view name, std::int32_t stamp) { found[std::string(name)] = stamp; });
  return found;
}

// Sets TZ for one test and puts the old value back.
class ZoneForTest {
 public:
  explicit ZoneForTest(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneForTest() {
    if (old_.empty())
      unsetenv("TZ");
    else
      setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_;
};

TEST(PosixLister, MaskNamesTheFolderWithOrWithoutSeparator) {
  EXPECT_EQ(PosixFolderOfMask("/tmp/x\\*.*"), "/tmp/x");
  EXPECT_EQ(PosixFolderOfMask("/tmp/x/\\*.*"), "/tmp/x/");
  EXPECT_EQ(PosixFolderOfMask("/\\*.*"), "/");
  EXPECT_EQ(PosixFolderOfMask("*.*"), ".");
}

TEST(PosixLister, ListsEveryKindOfEntryOneLevelDeep) {
  TempFolder folder;
  folder.file("plain.txt");
  folder.file(".hidden");
  folder.file("readonly.txt");
  chmod((folder.path() + "/readonly.txt").c_str(), 0444);
  fs::create_directory(folder.path() + "/sub");
  folder.file("sub/inner.txt");
  symlink("/nonexistent/target", (folder.path() + "/dangling").c_str());
  const auto found = ListAll(folder.path() + "\\*.*");
  std::set<std::string> names;
  for (const auto& [name, stamp] : found) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{".", "..", ".hidden", "dangling", "plain.txt", "readonly.txt", "sub"}));
}

// A folder that cannot be opened is out of reach, never empty: its entries
// would otherwise be reported deleted. An empty folder is listed as empty.
TEST(PosixLister, UnlistableFoldersAreOutOfReachAndEmptyOnesEmpty) {
  TempFolder folder;
  const std::string file = folder.file("a-file.txt");
  for (const std::string& mask : {std::string("/nonexistent/parvex\\*.*"), file + "\\*.*",  // a slot naming a file
                                  std::string(5000, 'x') + "\\*.*"})                     // beyond any path limit
    EXPECT_THROW(ListAll(mask), FolderOutOfReach) << mask.substr(0, 40);
  fs::create_directory(folder.path() + "/empty");
  EXPECT_TRUE(ListAll(folder.path() + "/empty\\*.*").size() == 2u);  // "." and ".."
}

TEST(PosixLister, NamesWithHighBytesPassThroughUnchanged) {
  TempFolder folder;
  folder.file("caf\xe9.txt");
  folder.file("\xc3\xa9t\xc3\xa9.doc");
  const auto found = ListAll(folder.path() + "\\*.*");
  EXPECT_EQ(found.count("caf\xe9.txt"), 1u);
  EXPECT_EQ(found.count("\xc3\xa9t\xc3\xa9.doc"), 1u);
}

TEST(PosixLister, FolderVanishingDuringTheListingIsNoError) {
  TempFolder folder;
  const std::string doomed = folder.path() + "/doomed";
  fs::create_directory(doomed);
  for (int i = 0; i < 200; ++i) std::ofstream(doomed + "/f" + std::to_string(i)) << i;
  int seen = 0;
  PosixDirectoryLister().enumerate(doomed + "\\*.*", [&](std::string_view, std::int32_t) {
    if (++seen == 3) RemoveTree(doomed);
  });
  EXPECT_GE(seen, 3);
  EXPECT_LT(seen, 202);  // entries removed before they were reached are not listed
}

// A stamp depends only on the entry's own last-write time: local time with the
// offset in force at that moment, never today's offset. Otherwise every entry
// would be "Changed" when daylight saving starts or ends.
TEST(PosixLister, StampUsesTheOffsetInForceAtTheLastWriteTime) {
  ZoneForTest berlin("CET-1CEST,M3.5.0,M10.5.0/3");
  TempFolder folder;
  const std::string winter = folder.file("winter.txt");
  const std::string summer = folder.file("summer.txt");
  SetModified(winter, 1768478400);  // 2026-01-15 12:00:00 UTC, 13:00 CET
  SetModified(summer, 1784116800);  // 2026-07-15 12:00:00 UTC, 14:00 CEST
  const auto found = ListAll(folder.path() + "\\*.*");
  EXPECT_EQ(found.at("winter.txt"), PackFileStamp({2026, 1, 15, 13, 0, 0}));
  EXPECT_EQ(found.at("summer.txt"), PackFileStamp({2026, 7, 15, 14, 0, 0}));
}

TEST(PosixLister, TouchedEntryIsReportedChangedAndUntouchedIsNot) {
  TempFolder folder;
  const std::string touched = folder.file("touched.txt");
  const std::string same = folder.file("same.txt");
  SetModified(touched, 1768478400);
  SetModified(same, 1768478400);
  AsciiCaseInsensitiveCollation collation;
  PosixDirectoryLister lister;
  std::vector<std::string> slots(kFolderSlotCount);
  slots[0] = folder.path();
  SnapshotList start(collation), scan(collation);
  TakeSnapshot(slots, start, lister);
  SetModified(touched, 1768478401);                // inside the same two-second step: no change
  std::ofstream(same, std::ios::app) << "bigger";  // size only: no change either
  SetModified(same, 1768478400);
  TakeSnapshot(slots, scan, lister);
  testing::FixedOptions options;
  testing::FixedClock clock(CivilTime{2026, 1, 15, 12, 0, 0});
  std::vector<std::string> summary;
  EXPECT_FALSE(areListBoxesDifferent(start, scan, options, clock, summary));
  SetModified(touched, 1768478402);
  TakeSnapshot(slots, scan, lister);
  EXPECT_TRUE(areListBoxesDifferent(start, scan, options, clock, summary));
  EXPECT_EQ(summary.back(), "Changed " + folder.path() + "\\touched.txt");
}

}  // namespace
}  // namespace parvex
