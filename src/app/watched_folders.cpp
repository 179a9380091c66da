#include "app/watched_folders.h"

#include <algorithm>

#include "app/folder_slots.h"

namespace parvex {
namespace {

// The lines of from that the folder with this prefix gave: its own entries, not
// those of a folder inside it that another slot names.
void CopyFolderLines(const SnapshotList& from, const std::string& prefix, SnapshotList& to) {
  for (std::size_t i = 0; i < from.count(); ++i) {
    const std::string_view path = from.path(i);
    if (path.size() > prefix.size() && path.starts_with(prefix) &&
        path.find('\\', prefix.size()) == std::string_view::npos)
      to.add(from[i]);
  }
  to.endRun();
}

std::string FolderBackMessage(const std::string& slot) { return "The folder " + slot + " can be listed again."; }

}  // namespace

void WatchedFolders::setSlots(std::span<const std::string> slots) {
  std::vector<Folder> folders;
  for (const std::string& slot : slots) {
    // A blank slot names no folder; it is not one out of reach.
    if (slot.empty() || isBlank(slot)) continue;
    const std::string prefix = pathPlusName(slot, "");
    const auto same = std::find_if(folders.begin(), folders.end(), [&](const Folder& f) { return f.prefix == prefix; });
    if (same != folders.end()) {
      ++same->copies;
    } else {
      folders.push_back({slot, prefix, 1});
    }
  }
  for (Folder& folder : folders) {
    const auto before =
        std::find_if(folders_.begin(), folders_.end(), [&](const Folder& f) { return f.prefix == folder.prefix; });
    if (before == folders_.end()) continue;
    // The kept lines stand once per slot; with another count they no longer fit.
    folder.listed = before->listed && before->copies == folder.copies;
    folder.outOfReach = before->outOfReach;
  }
  folders_ = std::move(folders);
}

void WatchedFolders::scan(SnapshotList& list, const SnapshotList& kept, SnapshotList* firstSeen,
                          const DirectoryLister& lister, std::vector<std::string>& notices) {
  list.clear();
  for (Folder& folder : folders_) {
    const std::size_t start = list.count();
    try {
      for (int copy = 0; copy < folder.copies; ++copy) LoadFiles(folder.slot, list, lister);
    } catch (const FolderNotListed& e) {
      list.dropFrom(start);
      if (folder.listed) CopyFolderLines(kept, folder.prefix, list);
      if (!folder.outOfReach) notices.push_back(e.Message());
      folder.outOfReach = true;
      continue;
    }
    if (folder.outOfReach) notices.push_back(FolderBackMessage(folder.slot));
    folder.outOfReach = false;
    if (!folder.listed && firstSeen) firstSeen->addFrom(list, start);
    folder.listed = true;
  }
}

}  // namespace parvex
