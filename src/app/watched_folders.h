#pragma once
// The folders the slots name, each listed once per scan however many slots name
// it, and what is known of each between scans: whether the baseline holds its
// entries, and whether the user has been told that it is out of reach. A folder
// that cannot be listed keeps its baseline, so a share that drops or a drive that
// is unplugged is never reported as every entry deleted, nor its return as every
// entry added.
#include <span>
#include <string>
#include <vector>

#include "app/directory_lister.h"
#include "app/snapshot.h"

namespace parvex {

class WatchedFolders {
 public:
  // Takes the slots in use from now on. A folder named as before keeps what was
  // known of it: its baseline (when as many slots name it) and what it was told.
  void setSlots(std::span<const std::string> slots);

  // Empties list and fills it with the lines of every folder, a copy per slot
  // naming it. A folder that cannot be listed gets the lines kept holds of it
  // (none, when it has never been listed whole). A folder listed whole for the
  // first time is added to firstSeen too, when given, so that nothing of it is
  // reported before its baseline was taken. Going out of reach and coming back
  // are each told once, as lines added to notices.
  void scan(SnapshotList& list, const SnapshotList& kept, SnapshotList* firstSeen, const DirectoryLister& lister,
            std::vector<std::string>& notices);

 private:
  struct Folder {
    std::string slot;    // the first slot's text, as the user wrote it
    std::string prefix;  // the slot's text with its one separator: its lines start with it
    int copies = 0;      // the slots naming it
    bool listed = false;      // its lines are in the baseline
    bool outOfReach = false;  // told that it could not be listed, and not yet that it can
  };
  std::vector<Folder> folders_;
};

}  // namespace parvex
