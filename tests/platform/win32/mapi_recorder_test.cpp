// The MAPI sender against a recording MAPI32.DLL loaded for real: the calls cross
// the DLL boundary with the platform's calling convention and record layouts.
// Runs only where the recorder is loaded instead of Wine's own MAPI (the
// platform_tests_mapi test sets WINEDLLOVERRIDES=mapi32=n and PARVEX_MAPI_RECORDER).
// The suite puts the recorder in the system folder as MAPI32.DLL, keeping the
// prefix's own file aside until it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/win32/win32_mapi.h"
#include "runtime/win32/system_library.h"

namespace parvex {
namespace {

constexpr const char* kSubsystemKey = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";

void setPresence(const char* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSubsystemKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "MAPI", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(key);
}

std::string SystemFolderFile(const char* name) {
  char folder[MAX_PATH];
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + name;
}

std::string ProgramFolderFile(const char* name) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path = exe;
  return path.substr(0, path.rfind('\\') + 1) + name;
}

class MapiRecorder : public ::testing::Test {
 protected:
  static std::string installed() { return SystemFolderFile("mapi32.dll"); }
  static std::string keptAside() { return installed() + ".parvex-kept"; }
  static void SetUpTestSuite() {
    if (!GetEnvironmentVariableA("PARVEX_MAPI_RECORDER", nullptr, 0)) return;
    MoveFileExA(installed().c_str(), keptAside().c_str(), MOVEFILE_REPLACE_EXISTING);
    CopyFileA(ProgramFolderFile("mapi_recorder.dll").c_str(), installed().c_str(), FALSE);
  }
  static void TearDownTestSuite() {
    if (!GetEnvironmentVariableA("PARVEX_MAPI_RECORDER", nullptr, 0)) return;
    DeleteFileA(installed().c_str());
    MoveFileExA(keptAside().c_str(), installed().c_str(), MOVEFILE_REPLACE_EXISTING);
  }

  void SetUp() override {
    if (!GetEnvironmentVariableA("PARVEX_MAPI_RECORDER", nullptr, 0)) GTEST_SKIP() << "recorder not loaded";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    log = std::string(temp) + "parvex-mapi-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("PARVEX_MAPI_LOG", log.c_str());
    SetEnvironmentVariableA("PARVEX_MAPI_RESULTS", "");
    setPresence("1");
  }
  void TearDown() override { DeleteFileA(log.c_str()); }

  std::vector<std::string> calls() {
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string errorOf(TMapiSendMessage& m) {
    try {
      m.Send();
    } catch (const EMapiUserAbort& e) {
      return "abort: " + e.Message();
    } catch (const EMapiError& e) {
      return e.Message();
    }
    return "";
  }

  Win32MapiSystem system;
  Win32MapiSendHost host{GetDesktopWindow()};
  std::string log;
};

TEST_F(MapiRecorder, CallsCarryTheFlagsTextAndPositions) {
  MapiBinding binding(system);
  ASSERT_TRUE(binding.Bound(mapi::Function::SendMail)) << "MAPI32.DLL was not bound";
  TMapiSendMessage m(binding, host);
  m.Review = false;
  m.SetMessageText({"abc"});
  m.Subject = "Changes";
  m.SetToRecipients({"to@example.com"});
  m.SetBccRecipients({"hidden@example.com"});
  m.SetAttachments({"C:\\one.txt", "C:\\two.txt"});
  m.Send();
  m.SetToRecipients({});
  m.SetAttachments({});
  m.SetMessageText({"x"});
  m.Send();
  EXPECT_EQ(calls(),
            (std::vector<std::string>{
                "logon flags=0x49 profile= password=",
                "resolve session=4711 flags=0x01 name=to@example.com",
                "resolve session=4711 flags=0x01 name=hidden@example.com",
                "send session=4711 flags=0x01 window=yes subject=Changes L=9 note=abc\\r\\n  \\r\\n "
                "recips=1:to@example.com<SMTP:to@example.com>4:00ff0e7f;3:hidden@example.com<SMTP:hidden@example.com>4:"
                "00ff127f; files=6:C:\\one.txt;5:C:\\two.txt;",
                "free to@example.com",
                "free hidden@example.com",
                "resolve session=4711 flags=0x01 name=hidden@example.com",
                "send session=4711 flags=0x09 window=yes subject=Changes L=3 note=x\\r\\n "
                "recips=3:hidden@example.com<SMTP:hidden@example.com>4:00ff127f; files=",
                "free hidden@example.com",
            }));
}

TEST_F(MapiRecorder, FailuresReleaseWhatWasResolvedAndCarryTheirTexts) {
  MapiBinding binding(system);
  TMapiSendMessage m(binding, host);
  m.ProfileName = "Work";
  m.SetToRecipients({"first", "second", "third"});
  SetEnvironmentVariableA("PARVEX_MAPI_RESULTS", "resolve:second=14");
  EXPECT_EQ(errorOf(m), "MAPI: Unknown Recipient. ErrorCode = 14");
  EXPECT_EQ(calls(), (std::vector<std::string>{
                         "logon flags=0x09 profile=Work password=", "resolve session=4711 flags=0x09 name=first",
                         "resolve session=4711 flags=0x09 name=second", "free first"}));
  for (const auto& [code, text] :
       std::vector<std::pair<const char*, std::string>>{{"send=2", "MAPI: General Failure. ErrorCode = 2"},
                                                        {"send=7", "MAPI: . ErrorCode = 7"},
                                                        {"send=1", "abort: User Abort"}}) {
    SetEnvironmentVariableA("PARVEX_MAPI_RESULTS", code);
    EXPECT_EQ(errorOf(m), text);
    const std::vector<std::string> after = calls();
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(after.end() - 3, after.end()),
              (std::vector<std::string>{"free first", "free second", "free third"}))
        << code << ": a failed send still releases every resolved recipient";
  }
}

TEST_F(MapiRecorder, DllsBesideTheProgramAreNeverLoaded) {
  // Copies of the recorder planted beside the program under the names bound at
  // run time: the system folder's DLL is loaded, or none.
  const std::string plantedMapi = ProgramFolderFile("MAPI32.DLL");
  const std::string plantedErrors = ProgramFolderFile("wserr32.dll");
  const std::string recorder = ProgramFolderFile("mapi_recorder.dll");
  ASSERT_TRUE(CopyFileA(recorder.c_str(), plantedMapi.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(recorder.c_str(), plantedErrors.c_str(), FALSE));
  DeleteFileA(installed().c_str());
  const auto mapi = reinterpret_cast<HMODULE>(system.LoadModule("MAPI32.DLL"));
  const HMODULE errors = LoadSystemLibrary("wserr32.dll");
  char loadedFrom[MAX_PATH] = "";
  if (mapi) GetModuleFileNameA(mapi, loadedFrom, MAX_PATH);
  if (mapi) FreeLibrary(mapi);
  if (errors) FreeLibrary(errors);
  CopyFileA(recorder.c_str(), installed().c_str(), FALSE);
  DeleteFileA(plantedMapi.c_str());
  DeleteFileA(plantedErrors.c_str());
  if (mapi) {
    EXPECT_EQ(lstrcmpiA(loadedFrom, installed().c_str()), 0) << loadedFrom;
  }
  EXPECT_EQ(errors, nullptr);
}

TEST_F(MapiRecorder, PresenceValueOtherThanOneIsToldVisibly) {
  setPresence("0");
  MapiBinding binding(system);
  TMapiSendMessage m(binding, host);
  m.SetToRecipients({"a"});
  EXPECT_EQ(errorOf(m), kNoMapiMessage);
  EXPECT_TRUE(calls().empty());
  setPresence("1");
}

}  // namespace
}  // namespace parvex
