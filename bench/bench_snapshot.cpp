// Times one whole snapshot of 20 folders plus its comparison with the start
// snapshot against a bare enumeration of the same folders, in the same run, for
// 1,000 and 10,000 entries per folder. The snapshot must stay within a small
// factor of the enumeration and grow as n log n.
//
// Usage: bench_snapshot [--tree DIR] [entries-per-folder ...]   (default: 1000 10000)
// With --tree the folders are made under DIR only if missing and are left there,
// so that a second run (under Wine, say) measures the very same folders.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/change_detection.h"
#include "app/snapshot.h"

#ifdef _WIN32
#include <windows.h>

#include "app/win32/find_file_lister.h"
#include "app/win32/locale_collation.h"
#include "runtime/win32/win32_user_clock.h"
namespace platform {
using Lister = parvex::FindFileLister;
using Collation = parvex::UserLocaleCollation;
using Clock = parvex::Win32UserClock;
const char* const kBareName = "FindFirstFileA/FindNextFileA";

std::string MakeRoot() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string root = std::string(base) + "parvex-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(root.c_str(), nullptr);
  return root;
}
bool MakeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }
void MakeFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}
void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }
void RemoveFolder(const std::string& path) { RemoveDirectoryA(path.c_str()); }

// What any scan must do at least: walk every entry and read its last-write time.
std::size_t BareEnumeration(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  std::size_t sum = 0;
  do sum += data.ftLastWriteTime.dwLowDateTime + data.cFileName[0];
  while (FindNextFileA(find, &data));
  FindClose(find);
  return sum;
}
}  // namespace platform
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/posix/ascii_collation.h"
#include "app/posix/posix_directory_lister.h"
#include "runtime/posix/posix_user_clock.h"
namespace platform {
using Lister = parvex::PosixDirectoryLister;
using Collation = parvex::AsciiCaseInsensitiveCollation;
using Clock = parvex::PosixUserClock;
const char* const kBareName = "readdir+fstatat";

std::string MakeRoot() {
  char pattern[] = "/tmp/parvex-bench-XXXXXX";
  return mkdtemp(pattern);
}
bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }
void MakeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  if (fd >= 0) close(fd);
}
void RemoveFile(const std::string& path) { unlink(path.c_str()); }
void RemoveFolder(const std::string& path) { rmdir(path.c_str()); }

std::size_t BareEnumeration(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  std::size_t sum = 0;
  while (const dirent* e = readdir(dir)) {
    struct stat st;
    if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
      sum += static_cast<std::size_t>(st.st_mtime) + static_cast<unsigned char>(e->d_name[0]);
  }
  closedir(dir);
  return sum;
}
}  // namespace platform
#endif

namespace {

constexpr char kSep =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

double BestSeconds(int rounds, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

struct AllOptions final : parvex::ChangeOptions {
  bool newFiles() const override { return true; }
  bool changedFiles() const override { return true; }
  bool deletedFiles() const override { return true; }
};

struct Figures {
  double bare = 0, snapshot = 0, compareOnly = 0;
  double listerOnly = 0, linesOnly = 0;  // the lister alone; the lines added but not yet sorted
  double sorted = 0;                     // the lines added and put in order, as a tick does
  double sortedAlone = 0;                // the same without a start snapshot to follow
};

Figures Measure(const std::string& root, int perFolder, bool keep) {
  const std::string base = root + kSep + "n" + std::to_string(perFolder);
  // An existing tree (from an earlier run with --tree) is measured as it is.
  const bool fresh = platform::MakeFolder(base);
  std::vector<std::string> slots;
  std::vector<std::string> files;
  for (int f = 0; f < parvex::kFolderSlotCount; ++f) {
    const std::string folder = base + kSep + "folder" + std::to_string(f);
    if (fresh) platform::MakeFolder(folder);
    slots.push_back(folder);
    for (int i = 0; i < perFolder; ++i) {
      // Names in no particular order, as a real folder holds them.
      const unsigned scrambled = static_cast<unsigned>(i) * 2654435761u;
      files.push_back(folder + kSep + "Entry_" + std::to_string(scrambled % 1000003u) + "_" + std::to_string(i) +
                      ".dat");
      if (fresh) platform::MakeFile(files.back());
    }
  }
  platform::Lister lister;
  platform::Collation collation;
  platform::Clock clock;
  AllOptions options;
  parvex::SnapshotList start(collation), scan(collation);
  parvex::TakeSnapshot(slots, start, lister);
  if (!start.empty()) start[0];  // settle the order before timing

  // The rounds alternate between the two ways, so that a busy moment of the
  // machine weighs on both alike; the best round of each counts.
  std::size_t sink = 0;
  Figures figures{1e30, 1e30, 1e30, 1e30, 1e30, 1e30, 1e30};
  std::vector<std::string> summary;
  bool different = true;
  for (int round = 0; round < 5; ++round) {
    figures.bare = std::min(figures.bare, BestSeconds(1, [&] {
                              for (const auto& s : slots) sink += platform::BareEnumeration(s);
                            }));
    figures.snapshot = std::min(figures.snapshot, BestSeconds(1, [&] {
                                  parvex::TakeSnapshot(slots, scan, lister);
                                  different = parvex::areListBoxesDifferent(start, scan, options, clock, summary);
                                }));
    figures.sortedAlone = std::min(figures.sortedAlone, BestSeconds(1, [&] {
                                     parvex::TakeSnapshot(slots, scan, lister);
                                     if (!scan.empty()) sink += scan[0].size();  // reading puts the list in order
                                   }));
    figures.sorted = std::min(figures.sorted, BestSeconds(1, [&] {
                                parvex::TakeSnapshot(slots, scan, lister);
                                scan.settleAlong(start);
                              }));
    figures.compareOnly = std::min(figures.compareOnly, BestSeconds(1, [&] {
                                     different = parvex::areListBoxesDifferent(start, scan, options, clock, summary);
                                   }));
    figures.listerOnly =
        std::min(figures.listerOnly, BestSeconds(1, [&] {
                   for (const auto& s : slots)
                     lister.enumerate(parvex::pathPlusName(s, "*.*"), [&](std::string_view name, std::int32_t stamp) {
                       sink += name.size() + static_cast<std::size_t>(stamp);
                     });
                 }));
    figures.linesOnly = std::min(figures.linesOnly, BestSeconds(1, [&] {
                                   parvex::TakeSnapshot(slots, scan, lister);
                                   sink += scan.count();
                                 }));
  }
  if (different || scan.count() != files.size() || sink == 42) std::printf("unexpected difference!\n");

  if (!keep) {
    for (const auto& f : files) platform::RemoveFile(f);
    for (const auto& s : slots) platform::RemoveFolder(s);
    platform::RemoveFolder(base);
  }
  return figures;
}

// Names made up in memory, so that a million entries need no files: what is
// measured here is what the lists hold, with the platform's real collation.
class SyntheticLister final : public parvex::DirectoryLister {
 public:
  explicit SyntheticLister(int perFolder) : perFolder_(perFolder) {}
  void enumerate(const std::string&, const EntryFn& onEntry) const override {
    for (int i = 0; i < perFolder_; ++i) {
      const unsigned scrambled = static_cast<unsigned>(i) * 2654435761u;
      onEntry("Entry_" + std::to_string(scrambled % 1000003u) + "_" + std::to_string(i) + ".dat", 0x5A3C1234);
    }
  }

 private:
  int perFolder_;
};

// The start snapshot and the scan list of 20 folders, as a tick holds them.
void MemoryPerEntry(int entries) {
  const int perFolder = entries / parvex::kFolderSlotCount;
  std::vector<std::string> slots;
  for (int f = 0; f < parvex::kFolderSlotCount; ++f)
    slots.push_back(std::string("C:") + kSep + "Data" + kSep + "Watched folder " + std::to_string(f));
  SyntheticLister lister(perFolder);
  platform::Collation collation;
  parvex::SnapshotList start(collation), scan(collation);
  parvex::TakeSnapshot(slots, start, lister);
  parvex::TakeSnapshot(slots, scan, lister);
  scan.settleAlong(start);  // as a tick's comparison does
  const double n = static_cast<double>(start.count());
  const std::string line = std::string(start[0]);
  std::printf("  %7.0f entries: the two lists hold %6.1f MB, %5.1f bytes per entry (line %zu bytes; target <= 160)\n",
              n, (start.memoryBytes() + scan.memoryBytes()) / 1e6, (start.memoryBytes() + scan.memoryBytes()) / n,
              line.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  std::string tree;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--tree" && i + 1 < argc)
      tree = argv[++i];
    else
      sizes.push_back(std::max(1, std::atoi(argv[i])));
  }
  if (sizes.empty()) sizes = {1000, 10000};
  const bool keep = !tree.empty();
  if (keep) platform::MakeFolder(tree);
  const std::string root = keep ? tree : platform::MakeRoot();
  std::printf("snapshot + comparison of 20 folders vs bare enumeration (%s), best of 5, alternating\n",
              platform::kBareName);
  std::vector<Figures> all;
  for (int n : sizes) {
    const Figures f = Measure(root, n, keep);
    all.push_back(f);
    std::printf(
        "  %6d entries/folder (%7d in all): bare %8.1f ms, snapshot+compare %8.1f ms, ratio %.2f (target <= 1.25)\n"
        "      split: lister %.1f ms (bare + %.1f), lines %.1f ms, sorting %.1f ms, comparison %.1f ms\n"
        "      (sorting without the start snapshot's order, as when the start snapshot itself is taken: %.1f ms)\n",
        n, n * parvex::kFolderSlotCount, f.bare * 1e3, f.snapshot * 1e3, f.snapshot / f.bare, f.listerOnly * 1e3,
        (f.listerOnly - f.bare) * 1e3, (f.linesOnly - f.listerOnly) * 1e3, (f.sorted - f.linesOnly) * 1e3,
        f.compareOnly * 1e3, (f.sortedAlone - f.linesOnly) * 1e3);
  }
  if (all.size() >= 2) {
    const double n0 = sizes.front() * 20.0, n1 = sizes.back() * 20.0;
    const double nlogn = (n1 * std::log2(n1)) / (n0 * std::log2(n0));
    std::printf("  growth %d -> %d per folder: snapshot x%.1f, bare x%.1f (n log n predicts x%.1f, n^2 x%.0f)\n",
                sizes.front(), sizes.back(), all.back().snapshot / all.front().snapshot,
                all.back().bare / all.front().bare, nlogn, (n1 / n0) * (n1 / n0));
  }
  if (!keep) platform::RemoveFolder(root);
  std::printf("memory of the start snapshot and the scan list (buffer capacity)\n");
  for (int entries : {200000, 1000000}) MemoryPerEntry(entries);
  return 0;
}
