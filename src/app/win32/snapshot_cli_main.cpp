// Temporary console front end: prints one snapshot of the folders given as
// arguments (at most twenty), one "path<TAB>stamp" line each, in snapshot order.
#include <cstdio>
#include <string>
#include <vector>

#include "app/snapshot.h"
#include "app/win32/find_file_lister.h"
#include "app/win32/locale_collation.h"

int main(int argc, char** argv) {
  std::vector<std::string> slots;
  for (int i = 1; i < argc && static_cast<int>(slots.size()) < parvex::kFolderSlotCount; ++i)
    slots.emplace_back(argv[i]);
  parvex::UserLocaleCollation collation;
  parvex::FindFileLister lister;
  parvex::SnapshotList list(collation);
  parvex::TakeSnapshot(slots, list, lister);
  for (std::size_t i = 0; i < list.count(); ++i) std::printf("%s\n", list[i].c_str());
  return 0;
}
