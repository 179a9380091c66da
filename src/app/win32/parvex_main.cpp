// Program start: reads "AutoStart", creates the main window and runs the loop.
#include <windows.h>

#include "app/settings.h"
#include "app/win32/frm_watcher.h"
#include "app/win32/watcher_controls.h"
#include "runtime/exceptions.h"
#include "ui/win32/application.h"
#include "runtime/win32/registry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
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
