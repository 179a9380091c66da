#pragma once
// The alarm: the shell's "open" action on the chosen file.
#include <string>
#include <string_view>

namespace parvex {

class AlarmShell {
 public:
  virtual ~AlarmShell() = default;
  // True for an existing file; a folder does not count.
  virtual bool fileExists(const std::string& name) const = 0;
  virtual void warningBeep() = 0;
  // The shell's result code for "open" on the file; 32 or less is a failure.
  virtual long shellOpen(const std::string& name) = 0;
  virtual void errorBox(const std::string& text) = 0;
};

inline constexpr std::size_t kAlarmNameLimit = 201;
inline constexpr std::size_t kAlarmFailureLimit = 218;

void playAlarmSound(std::string_view waveText, AlarmShell& shell);

}  // namespace parvex
