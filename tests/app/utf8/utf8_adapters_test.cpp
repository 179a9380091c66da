// The Windows adapters under the code page the program's manifest asks for:
// UTF-8, so that names in every script pass the ...A functions unharmed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/change_detection.h"
#include "app/snapshot.h"
#include "app/win32/find_file_lister.h"
#include "app/win32/locale_collation.h"
#include "app/win32/shell_alarm.h"
#include "mail/ansi_charset.h"
#include "platform/win32/folder_browse_dlg.h"
#include "runtime/string_routines.h"
#include "runtime/text_file_append.h"
#include "runtime/win32/registry.h"
#include "support/snapshot_fakes.h"
#include "support/temp_folder.h"

namespace parvex {
namespace {

using testing::TempFolder;

const std::string kFolder =
    "\xE7\x9B\x91\xE8\xA7\x86-\xC3\x9C"
    "berwachung";                                              // 监视-Überwachung
const std::string kChina = "\xE4\xB8\xAD\xE5\x9B\xBD.txt";     // 中国.txt
const std::string kJapan = "\xE6\x97\xA5\xE6\x9C\xAC.txt";     // 日本.txt
const std::string kCafe = "Caf\xC3\xA9 \xF0\x9F\x99\x82.txt";  // Café 🙂.txt

TEST(Utf8CodePage, IsInForceWithItsCharsetAndCuts) {
  ASSERT_EQ(GetACP(), 65001u);
  EXPECT_EQ(AnsiCodePageCharset(), "utf-8");
  EXPECT_EQ(LeftStr(kChina, 4), "\xE4\xB8\xAD");
}

TEST(Utf8CodePage, ChangesInAFolderOfAnotherScriptAreFound) {
  TempFolder base;
  const std::string folder = base.path() + "\\" + kFolder;
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  base.file(kFolder + "\\" + kChina);
  base.file(kFolder + "\\" + kJapan);
  std::vector<std::string> slots(kFolderSlotCount);
  slots[0] = folder;
  UserLocaleCollation collation;
  FindFileLister lister;
  SnapshotList start(collation), scan(collation);
  TakeSnapshot(slots, start, lister);
  ASSERT_EQ(start.count(), 2u);
  ASSERT_TRUE(DeleteFileA((folder + "\\" + kJapan).c_str()));
  base.file(kFolder + "\\" + kCafe);
  TakeSnapshot(slots, scan, lister);
  testing::FixedOptions options;
  testing::FixedClock clock{CivilTime{2026, 12, 7, 1, 34, 52}};
  std::vector<std::string> summary;
  ASSERT_TRUE(areListBoxesDifferent(start, scan, options, clock, summary));
  const auto has = [&](const std::string& line) {
    return std::find(summary.begin(), summary.end(), line) != summary.end();
  };
  EXPECT_TRUE(has("Deleted " + folder + "\\" + kJapan));
  EXPECT_TRUE(has("Added " + folder + "\\" + kCafe));
  EXPECT_EQ(summary.size(), 4u) << "nothing said of " << kChina;

  // The alarm's file test and the log's append reach such names too.
  const std::string log = folder + "\\" + kJapan;
  AppendToTextFile(log, "Deleted " + kJapan + "\r\n");
  AppendToTextFile(log, "x");
  EXPECT_TRUE(ShellAlarm(nullptr).fileExists(log));
  const std::string expected = "Deleted " + kJapan + "\r\nx";
  std::string read(expected.size() + 1, '\0');
  DWORD got = 0;
  HANDLE h = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ReadFile(h, read.data(), static_cast<DWORD>(read.size()), &got, nullptr);
  CloseHandle(h);
  EXPECT_EQ(read.substr(0, got), expected);
}

// A folder deeper than MAX_PATH is listed with the long-path prefix. (A name
// longer in UTF-8 than the ANSI find data holds cannot be made here: Linux
// keeps a name to 255 bytes.)
TEST(Utf8CodePage, DeepFoldersAreListed) {
  TempFolder base;
  std::string deep = base.path();
  std::vector<std::wstring> made;
  while (made.empty() || made.back().size() < 300) {  // wide characters, beyond MAX_PATH
    deep += "\\" + kFolder;
    std::wstring wide(deep.size() * 2, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, deep.data(), static_cast<int>(deep.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    made.push_back(L"\\\\?\\" + wide);
    ASSERT_TRUE(CreateDirectoryW(made.back().c_str(), nullptr)) << GetLastError();
  }
  const std::wstring deepFile = made.back() + L"\\x.txt";
  CloseHandle(CreateFileW(deepFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  std::vector<std::string> names;
  for (const std::string& folder : {base.path(), deep})
    FindFileLister().enumerate(folder + "\\*.*", [&](std::string_view name, std::int32_t) {
      if (name != "." && name != "..") names.emplace_back(name);
    });
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {"x.txt", kFolder};  // by bytes
  EXPECT_EQ(names, expected);

  DeleteFileW(deepFile.c_str());
  for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
}

// A path in UTF-8 longer than MAX_PATH bytes comes back from the picker whole.
TEST(Utf8CodePage, FolderPickerGivesPathsBeyondMaxPathBytes) {
  // On the system drive: Wine's picker cannot walk down into the temporary folder.
  const std::string base = "C:\\parvex-utf8-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
  std::string deep = base;
  while (deep.size() <= MAX_PATH + 20) {
    deep += "\\" + kFolder;
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep.size() << " " << GetLastError();
  }
  TFolderBrowseDlg dlg(nullptr);
  dlg.SetOptions(bfDirectoriesOnly);
  dlg.SetSelection(deep);
  // Wine's picker now and then (about one time in ten) drops the selection set
  // as it opens and stays on the desktop; then it is set once more.
  std::string shown;
  dlg.OnSelChanged = [&](const std::string& path) { shown = path; };
  dlg.OnCreate = [&] {
    if (!shown.starts_with(base)) dlg.SetSelection(deep);
    PostMessageA(dlg.DialogWindow(), WM_COMMAND, IDOK, 0);
  };
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.Selection(), deep + "\\");
  for (; deep.size() >= base.size(); deep.resize(deep.rfind('\\'))) RemoveDirectoryA(deep.c_str());
}

// Snapshot order and look-up rest on the keys agreeing with the comparison,
// letter case outside ASCII included.
TEST(Utf8CodePage, SortKeysAgreeWithCompareStringAndIgnoreCase) {
  const std::vector<std::string> texts = {"a",        "A",        "\xC3\x84", "\xC3\xA4", "\xC3\xA4pfel", "Apfel",
                                          "z",        kChina,     kJapan,     kCafe,      "caf\xC3\xA9",  "CAF\xC3\x89",
                                          "\xCE\xA9", "\xCF\x89", "\xD0\x96", "\xD0\xB6"};
  UserLocaleCollation collation;
  for (const auto& a : texts)
    for (const auto& b : texts)
      EXPECT_EQ(collation.compare(a, b), CompareUserLocaleIgnoreCase(a, b)) << a << " vs " << b;
  EXPECT_EQ(collation.sortKey("\xC3\x84"), collation.sortKey("\xC3\xA4"));  // Ä ä
  EXPECT_EQ(collation.sortKey("\xD0\x96"), collation.sortKey("\xD0\xB6"));  // Ж ж
  EXPECT_NE(collation.sortKey(kChina), collation.sortKey(kJapan));
  EXPECT_NE(collation.sortKey("caf\xC3\xA9"), collation.sortKey("cafe"));
}

TEST(Utf8CodePage, RegistryTextsRoundTripAndUnicodeValuesReadAsUtf8) {
  const std::string path = "Software\\ParvexTests\\utf8-" + std::to_string(GetCurrentProcessId());
  {
    TRegIniFile store(HKEY_CURRENT_USER, path);
    store.writeValue("Opts", "Folder", "C:\\" + kFolder);
    store.writeValue("Opts", "Wave", "C:\\" + kCafe);
    EXPECT_EQ(store.readValue("Opts", "Folder"), "C:\\" + kFolder);
    EXPECT_EQ(store.readValue("Opts", "Wave"), "C:\\" + kCafe);
    // As the registry holds every string: in Unicode, whichever code page wrote it.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (path + "\\Opts").c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const wchar_t name[] = L"M\u00fcller <m@x>";
    RegSetValueExW(key, L"To", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name);
    RegCloseKey(key);
    EXPECT_EQ(store.readValue("Opts", "To"), "M\xC3\xBCller <m@x>");
  }
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    RegDeleteKeyA(key, "Opts");
    RegCloseKey(key);
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace
}  // namespace parvex
