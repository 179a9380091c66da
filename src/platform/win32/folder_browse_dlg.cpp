#include "platform/win32/folder_browse_dlg.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <utility>

#include "platform/folder_selection.h"
#include "platform/status_text_fit.h"
#include "platform/win32/win32_folder_probe.h"
#include "platform/win32/window_text_measure.h"
#include "ui/win32/controls.h"

namespace parvex {

namespace {

// The picker fills MAX_PATH characters of display name; in UTF-8 a character
// may take three bytes.
constexpr std::size_t kDisplayNameBytes = 3 * MAX_PATH;

constexpr unsigned kKnownOptions =
    bfDirectoriesOnly | bfDomainOnly | bfAncestors | bfComputers | bfPrinters | bfIncludeFiles;

// The shell's allocator, released when done.
class ShellMalloc {
 public:
  ShellMalloc() {
    if (FAILED(SHGetMalloc(&malloc_))) malloc_ = nullptr;
  }
  ~ShellMalloc() {
    if (malloc_) malloc_->Release();
  }
  ShellMalloc(const ShellMalloc&) = delete;
  ShellMalloc& operator=(const ShellMalloc&) = delete;
  IMalloc* get() const { return malloc_; }
  void free(void* block) const {
    if (block) malloc_->Free(block);
  }

 private:
  IMalloc* malloc_ = nullptr;
};

// The parsing name of a file-system item, of any length; "" for an item that is
// no file-system object (a printer, a computer).
std::string parsingNameOf(LPCITEMIDLIST item) {
  IShellFolder* parent = nullptr;
  LPCITEMIDLIST child = nullptr;
  if (FAILED(SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) return {};
  std::string path;
  SFGAOF attributes = SFGAO_FILESYSTEM;
  STRRET name{};
  if (SUCCEEDED(parent->GetAttributesOf(1, &child, &attributes)) && (attributes & SFGAO_FILESYSTEM) &&
      SUCCEEDED(parent->GetDisplayNameOf(child, SHGDN_FORPARSING, &name))) {
    char* text = nullptr;
    if (SUCCEEDED(StrRetToStrA(&name, child, &text))) {
      path = text;
      CoTaskMemFree(text);
    }
  }
  parent->Release();
  return path;
}

// The item's file-system path, or "" when it has none. The ANSI call holds
// MAX_PATH bytes, which a path in UTF-8 outgrows long before the system's own
// limit; it may then come back cut and without its zero, so such a path is
// asked of the item's folder instead.
std::string pathOfItem(LPCITEMIDLIST item) {
  char buffer[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListA(item, buffer)) return {};
  if (std::strlen(buffer) < MAX_PATH - 1) return buffer;
  return parsingNameOf(item);
}

}  // namespace

TFolderBrowseDlg::TFolderBrowseDlg(HWND parent) : parent_(parent) {}

void TFolderBrowseDlg::SetOptions(unsigned flags) { options_ = flags & kKnownOptions; }

void TFolderBrowseDlg::SetEnableOKButton(bool value) {
  if (value == enableOKButton_) return;
  enableOKButton_ = value;
  if (dialog_) SendMessageA(dialog_, BFFM_ENABLEOK, 0, value ? 1 : 0);
}

void TFolderBrowseDlg::SetSelection(const std::string& value) {
  if (value != selection_) selection_ = normalizedSelection(value, Win32FolderProbe());
  if (dialog_ && !value.empty()) {
    const std::string forPicker = selectionForPicker(selection_);
    SendMessageA(dialog_, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(forPicker.c_str()));
  }
}

void TFolderBrowseDlg::SetStatusText(const std::string& value) {
  if (value == statusText_) return;
  statusText_ = value;
  if (dialog_) sendStatusText();
}

void TFolderBrowseDlg::SetFitStatusText(bool value) {
  if (value == fitStatusText_) return;
  fitStatusText_ = value;
  if (dialog_) sendStatusText();
}

void TFolderBrowseDlg::SetCaption(const std::string& value) {
  caption_ = value;
  if (dialog_) SetWindowTextA(dialog_, caption_.c_str());
}

std::string TFolderBrowseDlg::Caption() const {
  if (!dialog_) return caption_;
  return GetText(dialog_);
}

bool TFolderBrowseDlg::Execute() {
  // The picker's tree is a common control: without its class the picker cannot
  // be created at all.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  bool chosen = false;
  std::string path;
  {
    ShellMalloc malloc;
    char* buffer = malloc.get() ? static_cast<char*>(malloc.get()->Alloc(kDisplayNameBytes)) : nullptr;
    if (buffer) {
      buffer[0] = '\0';
      LPITEMIDLIST rootList = nullptr;
      SHGetSpecialFolderLocation(parent_, static_cast<int>(root_), &rootList);

      BROWSEINFOA info{};
      info.hwndOwner = parent_;
      info.pidlRoot = rootList;
      info.pszDisplayName = buffer;
      info.lpszTitle = title_.c_str();
      info.ulFlags = options_ | (statusText_.empty() ? 0u : static_cast<unsigned>(BIF_STATUSTEXT));
      info.lpfn = &TFolderBrowseDlg::BrowseCallback;
      info.lParam = reinterpret_cast<LPARAM>(this);

      if (LPITEMIDLIST chosenList = SHBrowseForFolderA(&info)) {
        // An item with no file-system path (a printer, a computer) is no choice.
        path = pathOfItem(chosenList);
        chosen = !path.empty();
        imageIndex_ = info.iImage;
        malloc.free(chosenList);
      }
      malloc.free(rootList);
      malloc.free(buffer);
    }
  }
  dialog_ = nullptr;
  if (pendingError_) {
    SetSelection(std::string());
    std::rethrow_exception(std::exchange(pendingError_, nullptr));
  }
  SetSelection(chosen ? path : std::string());
  return chosen;
}

int CALLBACK TFolderBrowseDlg::BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
  auto* self = reinterpret_cast<TFolderBrowseDlg*>(data);
  if (self->pendingError_) return 0;
  try {
    if (message == BFFM_INITIALIZED) {
      self->dialogInitialized(window);
    } else if (message == BFFM_SELCHANGED) {
      self->selectionChanged(window, reinterpret_cast<LPCITEMIDLIST>(lParam));
    }
  } catch (...) {
    self->pendingError_ = std::current_exception();
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  }
  return 0;
}

void TFolderBrowseDlg::dialogInitialized(HWND window) {
  dialog_ = window;
  if (center_) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  SendMessageA(window, BFFM_ENABLEOK, 0, enableOKButton_ ? 1 : 0);
  if (!statusText_.empty()) sendStatusText();
  if (!selection_.empty()) {
    const std::string forPicker = selectionForPicker(selection_);
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(forPicker.c_str()));
  }
  if (!caption_.empty()) SetWindowTextA(window, caption_.c_str());
  if (OnCreate) OnCreate();
}

void TFolderBrowseDlg::selectionChanged(HWND window, LPCITEMIDLIST item) {
  if (!showSelectionInStatus_ && !OnSelChanged) return;
  const std::string path = pathOfItem(item);
  if (showSelectionInStatus_) SetStatusText(path);
  if (OnSelChanged) OnSelChanged(path);
}

std::string TFolderBrowseDlg::fittedStatusText() const {
  if (!fitStatusText_ || statusText_.empty()) return statusText_;
  HWND status = GetDlgItem(dialog_, kStatusControlId);
  if (!status) return statusText_;
  RECT rect{};
  GetWindowRect(status, &rect);
  const int available = rect.right - rect.left;
  const WindowTextMeasure measure(status);
  if (isExistingFolder(statusText_, Win32FolderProbe())) return fittedPath(statusText_, available, measure);
  return fittedPlainText(statusText_, available, measure);
}

void TFolderBrowseDlg::sendStatusText() {
  const std::string text = fittedStatusText();
  SendMessageA(dialog_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace parvex
