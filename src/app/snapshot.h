#pragma once
// Folder snapshot: one line per folder entry, "path<TAB>stamp", held in ascending
// order of the path under the lookup comparison.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/collation.h"
#include "app/directory_lister.h"

namespace parvex {

inline constexpr int kFolderSlotCount = 20;

// Folder and name joined by one backslash, unless the folder is empty or already
// ends in a backslash. Nothing else is normalised.
std::string pathPlusName(std::string_view path, std::string_view name);

// which == 1: the text before the first tab; otherwise the text after it. A line
// without a tab gives "" for 1 and the whole line otherwise.
std::string_view parseTabs(std::string_view line, int which);

std::string MakeSnapshotLine(std::string_view path, std::int32_t stamp);

class SnapshotList {
 public:
  explicit SnapshotList(const Collation& collation) : collation_(&collation) {}

  void clear();
  // Lines are kept in order of their paths; equal paths may stand in any order and
  // equal lines are all kept. Insertion is amortised: new lines are sorted and
  // merged in when the list is next read.
  void add(std::string_view line);
  // Takes back the lines added from the count-th on; only lines added since the
  // list was last read can be taken back.
  void dropFrom(std::size_t count);
  // Adds other's lines from the first-th on, as they were added to it; they must
  // not have been read (put in order) since.
  void addFrom(const SnapshotList& other, std::size_t first);
  // Marks the end of a run of related lines (one folder's); it only helps the
  // ordering along and changes nothing that can be read.
  void endRun();

  std::size_t count() const { return order_.size(); }
  bool empty() const { return order_.empty(); }
  std::string_view operator[](std::size_t i) const;
  // The path and stamp pieces of line i.
  std::string_view path(std::size_t i) const;
  std::string_view stamp(std::size_t i) const;
  // Whether line i's path compares equal to that of line i - 1 (false for line 0).
  bool samePathAsPrevious(std::size_t i) const;
  std::vector<std::string> lines() const;

  // Index of a line whose path equals key under the lookup comparison, or -1;
  // among equal paths, whichever the halving meets first.
  int binSearch(std::string_view key) const;

  // Puts the lines added since the last read in order now, taking the order of
  // the paths that reference also holds from it instead of comparing them again.
  // The order is one the lookup comparison allows; reference is read, not kept.
  void settleAlong(const SnapshotList& reference) const;

  const Collation& collation() const { return *collation_; }

  // Bytes the list holds in its buffers (their capacity). Sort keys are made
  // only while lines are put in order and are not kept.
  std::size_t memoryBytes() const;

 private:
  // The lines live in one growing buffer, so a scan of many thousand entries
  // allocates almost nothing and sorting moves only these small records.
  struct Line {
    std::uint32_t text, textLength;
    std::uint32_t pathLength;  // with kSameAsPrevious in its top bit
  };
  static constexpr std::uint32_t kSameAsPrevious = 0x80000000u;
  std::string_view textOf(const Line& l) const { return {texts_.data() + l.text, l.textLength}; }
  std::string_view pathOf(const Line& l) const { return {texts_.data() + l.text, l.pathLength & ~kSameAsPrevious}; }
  void settle() const {
    if (sorted_ != order_.size()) settleByKeys();
  }
  void settleByKeys() const;
  void adopt(const std::vector<Line>& order) const;

  const Collation* collation_;
  mutable std::string texts_;
  mutable std::vector<Line> order_;
  mutable std::vector<std::size_t> runEnds_;
  mutable std::size_t sorted_ = 0;  // order_[0, sorted_) are in order
};

// Adds one line for every entry of the folder named by slotText ("." and ".."
// skipped); an empty text adds nothing. The list is not emptied first. A folder
// out of reach or a listing cut short raises FolderNotListed naming the folder;
// lines added before the error stay in the list.
void LoadFiles(const std::string& slotText, SnapshotList& list, const DirectoryLister& lister);

// Empties the list and loads every slot into it, first to last.
void TakeSnapshot(std::span<const std::string> slots, SnapshotList& list, const DirectoryLister& lister);

}  // namespace parvex
