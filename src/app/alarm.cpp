#include "app/alarm.h"

#include "runtime/string_routines.h"

namespace parvex {

void playAlarmSound(std::string_view waveText, AlarmShell& shell) {
  const std::string name = LeftStr(waveText, kAlarmNameLimit);
  if (!shell.fileExists(name)) {
    shell.warningBeep();
    return;
  }
  if (shell.shellOpen(name) <= 32) shell.errorBox(LeftStr("Couldn't execute " + name, kAlarmFailureLimit));
}

}  // namespace parvex
