#include "support/win32/linux_proc.h"

#include <windows.h>

#include <cctype>

namespace parvex::test {
namespace {

// Calls `each` with the name of every entry of a folder but "." and "..".
template <typename Each>
void forEachEntry(const std::string& pattern, Each each) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") each(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

}  // namespace

std::string ReadProcFile(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

std::vector<std::string> LinuxProcessesRunning(const std::string& program) {
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::string wanted = lower(program);
  // Other test runs on the machine use Wine prefixes of their own: only the
  // processes of this prefix count, or their files would be added to ours.
  char prefix[1024] = {};
  const DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  const std::string ownPrefix = n > 0 && n < sizeof prefix ? std::string("WINEPREFIX=") + prefix + '\0' : "";
  std::vector<std::string> pids;
  forEachEntry("Z:\\proc\\*", [&](const std::string& pid) {
    if (pid.find_first_not_of("0123456789") != std::string::npos) return;
    // The program itself, not a script that names it among its arguments.
    const std::string command = ReadProcFile("Z:\\proc\\" + pid + "\\cmdline");
    if (lower(command.substr(0, command.find('\0'))).find(wanted) == std::string::npos) return;
    if (!ownPrefix.empty() &&
        ('\0' + ReadProcFile("Z:\\proc\\" + pid + "\\environ")).find('\0' + ownPrefix) == std::string::npos)
      return;
    pids.push_back(pid);
  });
  return pids;
}

int OpenFileCount(const std::string& pid) {
  int count = 0;
  forEachEntry("Z:\\proc\\" + pid + "\\fd\\*", [&](const std::string&) { ++count; });
  return count;
}

}  // namespace parvex::test
