// The installer and uninstaller as a user meets them, run one after the other on
// a fresh Wine prefix: silent install, silent upgrade with the log-on option,
// refusal while the program runs, silent uninstall, then the pages shown one by
// one (with screenshots) in an install by hand.
// installer_tests --setup=<setup.exe> --version=<x.y.z> --arch=<i686|x86_64>
//                 --screenshots=<folder>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/win32/driver.h"
#include "support/win32/screenshot.h"

namespace {

using namespace e2e;

struct Options {
  std::string setup;
  std::string version;
  std::string arch;
  std::string screenshots;
} g_options;

constexpr DWORD kInstallTimeout = 120000;
constexpr DWORD kWindowTimeout = 30000;
constexpr const char* kProduct = "Parvex 2000";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Parvex2000";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSettingsKey = "Software\\Brenmark Corporation\\Parvex2000";
constexpr const char* kLogonBoxText = "Start Parvex 2000 when I log on";

class RegKey {
 public:
  // The 64-bit view where there is one: the installer writes there on x64.
  RegKey(HKEY root, const char* path, bool create = false) {
    const REGSAM access = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;
    const LONG status = create ? RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &key_, nullptr)
                               : RegOpenKeyExA(root, path, 0, access, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool exists() const { return key_ != nullptr; }
  bool has(const char* name) const {
    return key_ && RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }
  std::string text(const char* name) const {
    char value[1024] = {};
    DWORD size = sizeof value - 1, type = 0;
    if (!key_ || RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return "<missing>";
    return value;
  }
  DWORD number(const char* name) const {
    DWORD value = 0, size = sizeof value, type = 0;
    if (!key_ ||
        RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
      return 0;
    return value;
  }

 private:
  HKEY key_ = nullptr;
};

bool keyExists(HKEY root, const char* path) { return RegKey(root, path).exists(); }

std::string programFiles() {
  // The 64-bit build goes to the 64-bit Program Files, whatever this driver is.
  char path[MAX_PATH] = {};
  if (g_options.arch == "x86_64" && GetEnvironmentVariableA("ProgramW6432", path, MAX_PATH)) return path;
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path);
  return path;
}

std::string installDir() { return programFiles() + "\\" + kProduct; }
std::string installedExe() { return installDir() + "\\parvex.exe"; }

std::string shortcutPath() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, path);
  return std::string(path) + "\\" + kProduct + ".lnk";
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// Windows paths compare without regard to case.
std::string lower(std::string s) {
  if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

// Where the shortcut leads, read the way the shell reads it.
std::string shortcutTarget(const std::string& link) {
  std::string target;
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    char path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    file->Release();
  }
  shellLink->Release();
  return target;
}

// What Properties, Details shows.
std::string productVersion(const std::string& exe) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  if (size == 0) return "<none>";
  std::string block(size, '\0');
  if (!GetFileVersionInfoA(exe.c_str(), 0, size, block.data())) return "<none>";
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductVersion", reinterpret_cast<void**>(&value),
                      &length))
    return "<none>";
  return std::string(value, length > 0 ? length - 1 : 0);
}

std::string binaryArch(const std::string& exe) {
  DWORD type = 0;
  if (!GetBinaryTypeA(exe.c_str(), &type)) return "<unknown>";
  return type == SCS_64BIT_BINARY ? "x86_64" : type == SCS_32BIT_BINARY ? "i686" : "<other>";
}

DWORD run(const std::string& exe, const std::string& arguments) {
  Process process(exe, "", arguments);
  if (!process.started()) return 0xFFFFFFFF;
  if (!process.waitExit(kInstallTimeout)) return STILL_ACTIVE;
  return process.exitCode();
}

// Starts the installed program and waits until its main window is shown: only
// then has it set up its single-instance marker.
HWND startInstalled(Process& process) {
  process = Process(installedExe(), installDir());
  HWND main = process.started() ? findTopLevel(process.pid(), "TfrmWatcher", kWindowTimeout) : nullptr;
  return main && waitUntil([&] { return visible(main); }, kWindowTimeout) ? main : nullptr;
}

void expectInstalled() {
  for (const char* name : {"parvex.exe", "README.txt", "LICENSE.txt", "uninstall.exe"})
    EXPECT_TRUE(fileExists(installDir() + "\\" + name)) << name;
  EXPECT_EQ(binaryArch(installedExe()), g_options.arch);
  EXPECT_EQ(productVersion(installedExe()), g_options.version);
  EXPECT_EQ(lower(shortcutTarget(shortcutPath())), lower(installedExe()));

  const RegKey entry(HKEY_LOCAL_MACHINE, kUninstallKey);
  ASSERT_TRUE(entry.exists());
  EXPECT_EQ(entry.text("DisplayName"), kProduct);
  EXPECT_EQ(entry.text("DisplayVersion"), g_options.version);
  EXPECT_EQ(entry.text("Publisher"), "Brenmark Corporation");
  EXPECT_EQ(lower(entry.text("InstallLocation")), lower(installDir()));
  EXPECT_EQ(lower(entry.text("UninstallString")), lower("\"" + installDir() + "\\uninstall.exe\""));
  // In kilobytes: at least the program itself.
  EXPECT_GE(entry.number("EstimatedSize"), fileSize(installedExe()) / 1024);
}

std::string runValue() { return RegKey(HKEY_CURRENT_USER, kRunKey).text(kProduct); }

bool screenshot(HWND window, const std::string& name) {
  return saveScreenshot(window, g_options.screenshots + "\\" + name);
}

// A visible control of the installer window that shows the text.
HWND shownText(HWND root, const std::string& wanted) {
  for (HWND child : descendants(root))
    if (IsWindowVisible(child) && text(child) == wanted) return child;
  return nullptr;
}

HWND waitText(HWND root, const std::string& wanted) {
  HWND found = nullptr;
  waitUntil([&] { return (found = shownText(root, wanted)) != nullptr; }, kWindowTimeout);
  return found;
}

// The window title without the blank that NSIS puts after it on some pages.
std::string caption(HWND window) {
  std::string title = text(window);
  while (!title.empty() && title.back() == ' ') title.pop_back();
  return title;
}

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(Installer, SilentInstallPutsFilesShortcutAndUninstallEntryInPlace) {
  ASSERT_EQ(run(g_options.setup, "/S"), 0u);
  expectInstalled();
  EXPECT_FALSE(RegKey(HKEY_CURRENT_USER, kRunKey).has(kProduct)) << "log-on start is off unless chosen";

  Process program;
  HWND main = startInstalled(program);
  ASSERT_NE(main, nullptr) << "the installed program did not start";
  // Closing the window saves the settings, as a user's first run would.
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.waitExit(kWindowTimeout));
  EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(Installer, SilentInstallWithLogonOptionUpgradesInPlace) {
  // A changed file shows whether the upgrade really replaced what was there.
  const std::string readme = installDir() + "\\README.txt";
  const DWORD readmeSize = fileSize(readme);
  if (FILE* f = std::fopen(readme.c_str(), "wb")) std::fclose(f);
  ASSERT_EQ(fileSize(readme), 0u);

  ASSERT_EQ(run(g_options.setup, "/S /LOGON"), 0u);
  expectInstalled();
  EXPECT_EQ(fileSize(readme), readmeSize);
  EXPECT_EQ(lower(runValue()), lower("\"" + installedExe() + "\""));
}

TEST_F(Installer, InstallerAndUninstallerRefuseWhileTheProgramRuns) {
  Process program;
  HWND main = startInstalled(program);
  ASSERT_NE(main, nullptr);
  // _?= keeps the uninstaller in its folder, so that its own answer is seen.
  EXPECT_EQ(run(installDir() + "\\uninstall.exe", "/S _?=" + installDir()), 2u);
  EXPECT_EQ(run(g_options.setup, "/S"), 2u);
  expectInstalled();
  EXPECT_TRUE(program.running());
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.waitExit(kWindowTimeout));
}

TEST_F(Installer, SilentUninstallRemovesEverythingButTheSettings) {
  ASSERT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
  // The uninstaller hands over to a copy of itself and returns at once; the
  // copy's work is done when the folder has gone.
  ASSERT_EQ(run(installDir() + "\\uninstall.exe", "/S"), 0u);
  EXPECT_TRUE(waitUntil([] { return !fileExists(installDir()); }, kInstallTimeout));
  EXPECT_TRUE(waitUntil([] { return !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, kWindowTimeout));
  EXPECT_FALSE(fileExists(shortcutPath()));
  EXPECT_FALSE(RegKey(HKEY_CURRENT_USER, kRunKey).has(kProduct));
  EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsKey)) << "silently the settings stay";
}

TEST_F(Installer, PagesWelcomeFolderOptionsFinish) {
  Process setup(g_options.setup, "");
  ASSERT_TRUE(setup.started());
  HWND window = nullptr;
  waitUntil(
      [&] {
        for (HWND w : topLevelWindows(setup.pid(), "#32770"))
          if (IsWindowVisible(w)) window = w;
        return window != nullptr;
      },
      kWindowTimeout);
  ASSERT_NE(window, nullptr);
  const std::string version = g_options.version;
  EXPECT_EQ(caption(window), std::string(kProduct) + " " + version + " Setup");
  HWND next = findControl(window, IDOK);
  ASSERT_NE(next, nullptr);

  ASSERT_NE(waitText(window, std::string("Welcome to ") + kProduct + " " + version + " Setup"), nullptr);
  EXPECT_TRUE(screenshot(window, "installer-1-welcome.png"));

  click(next);
  HWND folder = nullptr;
  ASSERT_TRUE(
      waitUntil([&] { return (folder = findControl(window, 1019)) && IsWindowVisible(folder); }, kWindowTimeout));
  EXPECT_EQ(lower(text(folder)), lower(installDir()));
  EXPECT_TRUE(screenshot(window, "installer-2-folder.png"));
  // The installer carries both builds but installs one; it must ask room for one.
  // NSIS says "844.0 KB" below a megabyte and "1.2 MB" above.
  double requiredBytes = 0;
  for (HWND label : descendants(window, "Static")) {
    const std::string shown = text(label);
    if (shown.rfind("Space required: ", 0) != 0) continue;
    char* unit = nullptr;
    requiredBytes = std::strtod(shown.c_str() + 16, &unit);
    while (*unit == ' ') ++unit;
    requiredBytes *= unit[0] == 'K' ? 1024.0 : unit[0] == 'M' ? 1024.0 * 1024 : unit[0] == 'G' ? 1024.0 * 1024 * 1024 : 1;
  }
  EXPECT_GT(requiredBytes, 0.0);

  click(next);
  HWND logon = waitText(window, kLogonBoxText);
  ASSERT_NE(logon, nullptr);
  EXPECT_FALSE(checked(logon)) << "off by default";
  EXPECT_TRUE(screenshot(window, "installer-3-options.png"));
  click(logon);
  ASSERT_TRUE(waitUntil([&] { return checked(logon); }, kWindowTimeout));

  click(next);
  ASSERT_NE(waitText(window, std::string(kProduct) + " " + version + " is installed"), nullptr);
  EXPECT_TRUE(screenshot(window, "installer-4-finish.png"));
  click(next);
  ASSERT_TRUE(setup.waitExit(kWindowTimeout));
  EXPECT_EQ(setup.exitCode(), 0u);

  expectInstalled();
  EXPECT_EQ(lower(runValue()), lower("\"" + installedExe() + "\""));
  EXPECT_LT(requiredBytes, 1.5 * fileSize(installedExe()));
}

TEST_F(Installer, UninstallerAsksBeforeRemovingTheSettings) {
  ASSERT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
  Process uninstall(installDir() + "\\uninstall.exe", "", "_?=" + installDir());
  ASSERT_TRUE(uninstall.started());
  HWND window = findTopLevel(uninstall.pid(), "#32770", kWindowTimeout);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(caption(window), std::string(kProduct) + " " + g_options.version + " Uninstall");
  ASSERT_TRUE(waitUntil([&] { return visible(window); }, kWindowTimeout));
  click(findControl(window, IDOK));

  HWND question = nullptr;
  waitUntil(
      [&] {
        for (HWND box : topLevelWindows(uninstall.pid(), "#32770"))
          for (HWND label : descendants(box, "Static"))
            if (IsWindowVisible(box) && text(label).rfind("Also remove your Parvex 2000 settings", 0) == 0)
              question = box;
        return question != nullptr;
      },
      kWindowTimeout);
  ASSERT_NE(question, nullptr) << "the uninstaller did not ask about the settings";
  EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsKey)) << "removed before the answer";
  click(findControl(question, IDYES));

  HWND close = findControl(window, IDOK);
  ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(close) && text(close) == "&Close"; }, kInstallTimeout));
  click(close);
  ASSERT_TRUE(uninstall.waitExit(kWindowTimeout));
  EXPECT_EQ(uninstall.exitCode(), 0u);
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\Brenmark Corporation")) << "the empty company key stays behind";
  EXPECT_FALSE(fileExists(installedExe()));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(RegKey(HKEY_CURRENT_USER, kRunKey).has(kProduct));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto take = [&](const char* prefix, std::string& into) {
      if (arg.rfind(prefix, 0) == 0) into = arg.substr(std::string(prefix).size());
    };
    take("--setup=", g_options.setup);
    take("--version=", g_options.version);
    take("--arch=", g_options.arch);
    take("--screenshots=", g_options.screenshots);
  }
  g_options.setup = windowsPath(g_options.setup);
  g_options.screenshots = windowsPath(g_options.screenshots);
  if (g_options.setup.empty() || g_options.version.empty() || g_options.arch.empty() || g_options.screenshots.empty()) {
    std::fprintf(stderr,
                 "usage: installer_tests --setup=<setup.exe> --version=<x.y.z> --arch=<i686|x86_64> "
                 "--screenshots=<folder>\n");
    return 2;
  }
  // The steps build on one another; they run in the order written.
  ::testing::GTEST_FLAG(shuffle) = false;
  return RUN_ALL_TESTS();
}
