// Runs the tray icon's single-instance guard under the key given as the first
// argument, then tells the test it got past the guard (event "<key>-ready") and
// stays until told to stop (event "<key>-stop", at most 20 s). Exit code 7 means
// it ran as the first copy; the guard ends a second copy with 0.
#include <windows.h>

#include <string>

#include "platform/win32/tray_icon.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string key = argv[1];
  parvex::NoMessagePump pump;
  parvex::TTrayIcon tray(GetModuleHandleA(nullptr), nullptr, pump);
  tray.SetIDMessage(key);
  tray.Loaded();
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (key + "-ready").c_str());
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (key + "-stop").c_str());
  SetEvent(ready);
  WaitForSingleObject(stop, 20000);
  CloseHandle(ready);
  CloseHandle(stop);
  return 7;
}
