#include "platform/folder_selection.h"

#include <gtest/gtest.h>

#include <set>

namespace parvex {
namespace {

// Drives C: and D:; a directory search matches names exactly, or by a trailing
// "*" the way a real search expands it.
class FakeFolderProbe final : public FolderProbe {
 public:
  unsigned logicalDrives() const override { return (1u << 2) | (1u << 3); }
  bool findsDirectory(const std::string& path) const override {
    ++searches;
    for (const auto& dir : directories) {
      if (dir == path) return true;
      if (!path.empty() && path.back() == '*' && dir.compare(0, path.size() - 1, path, 0, path.size() - 1) == 0)
        return true;
    }
    return false;
  }
  std::set<std::string> directories{"C:\\Data", "C:\\Data\\Logs", "D:\\"};
  mutable int searches = 0;
};

TEST(FolderSelection, RecognisesExistingFolders) {
  const FakeFolderProbe probe;
  struct Case {
    const char* text;
    bool folder;
  } cases[] = {
      {"C:\\", true},   {"c:\\", true},          {"D:\\", true},
      {"Q:\\", false},  {"1:\\", false},         {"C:\\Data", true},
      {"C:\\Data\\", true}, {"C:\\Data\\\\", false},  // only one trailing backslash is dropped
      {"C:\\Data\\Logs", true}, {"C:\\Missing", false}, {"", false},
      {"\\", false},    {"C:\\Dat*", false},     {"C:\\Data\\?ogs", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isExistingFolder(c.text, probe), c.folder) << c.text;
}

TEST(FolderSelection, DriveRootsAreJudgedByTheDriveMaskAlone) {
  const FakeFolderProbe probe;
  EXPECT_TRUE(isExistingFolder("C:\\", probe));
  EXPECT_FALSE(isExistingFolder("Z:\\", probe));
  EXPECT_EQ(probe.searches, 0);
}

TEST(FolderSelection, StoredSelectionOfAnExistingFolderEndsInABackslash) {
  const FakeFolderProbe probe;
  struct Case {
    const char* given;
    const char* stored;
  } cases[] = {
      {"C:\\Data", "C:\\Data\\"},     {"C:\\Data\\", "C:\\Data\\"}, {"C:\\Missing", "C:\\Missing"},
      {"C:\\", "C:\\"},               {"", ""},                     {"C:\\Dat*", "C:\\Dat*"},
  };
  for (const auto& c : cases) EXPECT_EQ(normalizedSelection(c.given, probe), c.stored) << c.given;
}

TEST(FolderSelection, PickerGetsDrivesWithTheirRootAndFoldersWithoutTrailingBackslash) {
  struct Case {
    const char* stored;
    const char* forPicker;
  } cases[] = {
      {"C:", "C:\\"}, {"C:\\", "C:\\"}, {"C:\\Data\\", "C:\\Data"}, {"C:\\Data", "C:\\Data"},
      {"C", "C"},     {"\\", ""},       {"ab:", "ab:"},             {"\\\\server\\share\\", "\\\\server\\share"},
  };
  for (const auto& c : cases) EXPECT_EQ(selectionForPicker(c.stored), c.forPicker) << c.stored;
}

}  // namespace
}  // namespace parvex
