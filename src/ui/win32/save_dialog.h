#pragma once
// The platform's file-save dialog with fixed settings. Execute gives false when
// the user cancels; a failure of the dialog itself raises.
#include <windows.h>

#include <string>

namespace parvex {

class TSaveDialog {
 public:
  // The filter as "Description|*.ext" pairs separated by '|'.
  TSaveDialog(std::string defaultExt, std::string filter, std::string title)
      : defaultExt_(std::move(defaultExt)), filter_(std::move(filter)), title_(std::move(title)) {}

  void SetFileName(std::string name) { fileName_ = std::move(name); }
  const std::string& FileName() const { return fileName_; }
  bool Execute(HWND owner);

 private:
  std::string defaultExt_;
  std::string filter_;
  std::string title_;
  std::string fileName_;
};

}  // namespace parvex
