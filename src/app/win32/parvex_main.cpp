// Program start: reads "AutoStart", creates the main window and runs the loop.
#include <windows.h>

#include "app/settings.h"
#include "app/win32/frm_watcher.h"
#include "app/win32/watcher_controls.h"
#include "runtime/exceptions.h"
#include "runtime/win32/registry.h"
#include "ui/win32/application.h"

namespace {

// Takes the current folder out of the DLL search path, so that a DLL planted in
// whatever folder the program was started from is never loaded. Bound by hand:
// Windows before XP SP1 has no SetDllDirectoryA.
void DropCurrentFolderFromDllSearch() {
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  const auto set =
      reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
  if (set) set("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DropCurrentFolderFromDllSearch();
  parvex::TApplication application(instance, parvex::watcher::kProgramTitle);
  bool autoStart = false;
  try {
    const parvex::TRegIniFile store(HKEY_CURRENT_USER, parvex::kSettingsKey);
    autoStart = parvex::ReadAutoStart(store);
  } catch (const parvex::Exception&) {
    // An unreadable value must not lock the user out: start with the screen
    // shown; reading the settings for the window reports the error.
    autoStart = false;
  }
  if (autoStart) {
    application.ShowTaskbarEntry(false);
    application.SetShowMainForm(false);
  }
  parvex::TfrmWatcher frmWatcher(application, autoStart);
  application.Run(frmWatcher.Handle());
  return 0;
}
