#pragma once
// Appends bytes to the end of a file, creating the file when it does not exist.
// Every step is checked: a failure raises an Exception whose message names the
// file and the system's reason, e.g. "Could not append to C:\Logs\parvex.txt:
// Access is denied." What was written before the failure stays written.
#include <string>
#include <string_view>

namespace parvex {

void AppendToTextFile(const std::string& fileName, std::string_view bytes);

inline std::string AppendFailureMessage(const std::string& fileName, const std::string& reason) {
  return "Could not append to " + fileName + ": " + reason;
}

}  // namespace parvex
