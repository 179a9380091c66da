#pragma once
// In-memory stand-ins for the folder listing, the locale comparison, the change
// options and the clock, so the snapshot logic is tested the same way natively
// and under Wine.
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/change_detection.h"
#include "app/collation.h"
#include "app/directory_lister.h"
#include "runtime/user_clock.h"

namespace parvex::testing {

class FoldedCollation final : public Collation {
 public:
  std::string sortKey(std::string_view text) const override {
    std::string key(text);
    for (char& c : key)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
  }
};

// Folders by mask; each entry is a name and its stamp, listed in the order given
// (as a real folder may list them). A folder not set is out of reach. "." and ".." are listed as the real file
// system lists them. Every listing's mask is kept, to prove when a scan ran.
class MemoryLister final : public DirectoryLister {
 public:
  using Entries = std::vector<std::pair<std::string, std::int32_t>>;
  void setFolder(const std::string& folder, Entries entries) { folders_[maskOf(folder)] = std::move(entries); }
  void removeFolder(const std::string& folder) { folders_.erase(maskOf(folder)); }
  // Adds the entry at the end of the folder, or gives an existing one the new stamp.
  void setEntry(const std::string& folder, const std::string& name, std::int32_t stamp) {
    Entries& entries = folders_[maskOf(folder)];
    for (auto& entry : entries) {
      if (entry.first == name) {
        entry.second = stamp;
        return;
      }
    }
    entries.emplace_back(name, stamp);
  }
  void removeEntry(const std::string& folder, const std::string& name) {
    std::erase_if(folders_[maskOf(folder)], [&](const auto& entry) { return entry.first == name; });
  }
  void enumerate(const std::string& mask, const EntryFn& onEntry) const override {
    masks.push_back(mask);
    const auto it = folders_.find(mask);
    if (it == folders_.end()) throw FolderOutOfReach("The system cannot find the path specified.");
    onEntry(".", 1);
    onEntry("..", 1);
    for (const auto& [name, stamp] : it->second) {
      onEntry(name, stamp);
      if (cutShort || mask == maskOf(cutShortFolder)) throw ListingCutShort("The network name is no longer available");
    }
  }
  int listings() const { return static_cast<int>(masks.size()); }
  mutable std::vector<std::string> masks;
  // Every listing stops with an error after its first entry, as a share's hiccup does.
  bool cutShort = false;
  std::string cutShortFolder;  // only this folder's listings stop so

 private:
  static std::string maskOf(const std::string& folder) {
    return folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + "*.*";
  }
  std::map<std::string, Entries> folders_;
};

struct FixedOptions final : ChangeOptions {
  bool added = true, changed = true, deleted = true;
  bool newFiles() const override { return added; }
  bool changedFiles() const override { return changed; }
  bool deletedFiles() const override { return deleted; }
};

// Always the same moment, written day/month/year and with seconds.
class FixedClock final : public UserClock {
 public:
  explicit FixedClock(CivilTime t) : t_(t) {}
  CivilTime now() const override { return t_; }
  std::string shortDate(const CivilTime& t) const override {
    char s[16];
    std::snprintf(s, sizeof s, "%02d/%02d/%04d", t.day, t.month, t.year);
    return s;
  }
  std::string longTime(const CivilTime& t) const override {
    char s[16];
    std::snprintf(s, sizeof s, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return s;
  }

 private:
  CivilTime t_;
};

}  // namespace parvex::testing
