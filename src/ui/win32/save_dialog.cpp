#include "ui/win32/save_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include "runtime/exceptions.h"

namespace parvex {

bool TSaveDialog::Execute(HWND owner) {
  std::string filter = filter_;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');
  // The dialog takes the extension without its dot.
  const std::string ext = !defaultExt_.empty() && defaultExt_[0] == '.' ? defaultExt_.substr(1) : defaultExt_;
  std::string file = fileName_.substr(0, MAX_PATH * 4 - 1);
  file.resize(MAX_PATH * 4, '\0');

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title_.c_str();
  ofn.lpstrDefExt = ext.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetSaveFileNameA(&ofn)) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return false;  // cancelled
    if (error == FNERR_BUFFERTOOSMALL) throw Exception("The chosen file name is too long.");
    throw Exception("The save dialog failed (common dialog error " + std::to_string(error) + ").");
  }
  fileName_ = file.c_str();
  return true;
}

}  // namespace parvex
