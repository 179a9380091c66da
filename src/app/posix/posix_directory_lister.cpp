#include "app/posix/posix_directory_lister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "app/file_stamp.h"

namespace parvex {
namespace {

// The entry's own last-write time in the local time that was in force at that
// moment, so that a daylight-saving switch today does not move old stamps.
std::int32_t StampOf(time_t mtime) {
  struct tm local {};
  if (localtime_r(&mtime, &local) == nullptr) return kUnpackableStamp;
  CivilTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = std::min(local.tm_sec, 59);  // a leap second stays in its minute
  return PackFileStamp(t);
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

}  // namespace

std::string PosixFolderOfMask(const std::string& mask) {
  std::string folder = mask;
  std::replace(folder.begin(), folder.end(), '\\', '/');
  if (folder.size() >= 3 && folder.compare(folder.size() - 3, 3, "*.*") == 0) folder.resize(folder.size() - 3);
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty()) folder = ".";
  return folder;
}

void PosixDirectoryLister::enumerate(const std::string& mask, const EntryFn& onEntry) const {
  std::unique_ptr<DIR, DirCloser> dir(opendir(PosixFolderOfMask(mask).c_str()));
  // Even an empty folder opens, so any failure here means out of reach.
  if (!dir) throw FolderOutOfReach(std::strerror(errno));
  const int fd = dirfd(dir.get());
  for (;;) {
    errno = 0;  // readdir tells the end from an error only by errno
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) throw ListingCutShort(std::strerror(errno));
      return;
    }
    struct stat st {};
    // An entry that vanished between readdir and stat is simply not listed.
    if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    onEntry(entry->d_name, StampOf(st.st_mtime));
  }
}

}  // namespace parvex
