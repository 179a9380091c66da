#pragma once
// The shell's folder picker (SHBrowseForFolderA) as a component: returns the
// chosen folder as a path ending in a backslash, and while the picker is open sets
// its caption, initial selection, OK button and a status line fitted to its width.
#include <windows.h>
#include <shlobj.h>

#include <exception>
#include <functional>
#include <string>

namespace parvex {

// Folder at the top of the picker's tree; the value is the shell folder number.
enum class TRootID : int {
  idDesktop = 0x00,
  idInternet = 0x01,
  idPrograms = 0x02,
  idControlPanel = 0x03,
  idPrinters = 0x04,
  idPersonal = 0x05,
  idFavorites = 0x06,
  idStartup = 0x07,
  idRecent = 0x08,
  idSendTo = 0x09,
  idRecycleBin = 0x0A,
  idStartMenu = 0x0B,
  idDesktopDirectory = 0x10,
  idDrives = 0x11,
  idNetwork = 0x12,
  idNetHood = 0x13,
  idFonts = 0x14,
  idTemplates = 0x15,
  idDesktopExpanded = 0xFEFE,
};

// Picker options, combined with |; each is the picker's own flag value.
constexpr unsigned bfDirectoriesOnly = 0x0001;
constexpr unsigned bfDomainOnly = 0x0002;
constexpr unsigned bfAncestors = 0x0008;
constexpr unsigned bfComputers = 0x1000;
constexpr unsigned bfPrinters = 0x2000;
constexpr unsigned bfIncludeFiles = 0x4000;

class TFolderBrowseDlg {
 public:
  static constexpr int kStatusControlId = 14147;

  explicit TFolderBrowseDlg(HWND parent);
  TFolderBrowseDlg(const TFolderBrowseDlg&) = delete;
  TFolderBrowseDlg& operator=(const TFolderBrowseDlg&) = delete;

  void SetTitle(std::string value) { title_ = std::move(value); }
  const std::string& Title() const { return title_; }
  void SetRoot(TRootID value) { root_ = value; }
  TRootID Root() const { return root_; }
  void SetOptions(unsigned flags);
  unsigned Options() const { return options_; }
  void SetEnableOKButton(bool value);
  bool EnableOKButton() const { return enableOKButton_; }
  void SetShowSelectionInStatus(bool value) { showSelectionInStatus_ = value; }
  bool ShowSelectionInStatus() const { return showSelectionInStatus_; }
  void SetSelection(const std::string& value);
  const std::string& Selection() const { return selection_; }
  void SetStatusText(const std::string& value);
  const std::string& StatusText() const { return statusText_; }
  void SetFitStatusText(bool value);
  bool FitStatusText() const { return fitStatusText_; }
  void SetCenter(bool value) { center_ = value; }
  bool Center() const { return center_; }
  void SetCaption(const std::string& value);
  std::string Caption() const;
  int ImageIndex() const { return imageIndex_; }
  void SetParent(HWND parent) { parent_ = parent; }
  HWND Parent() const { return parent_; }
  // The open picker's window; null when no picker is open.
  HWND DialogWindow() const { return dialog_; }

  // Shows the picker modally; true when a folder was chosen (then in Selection).
  bool Execute();

  std::function<void(const std::string& newSelection)> OnSelChanged;
  std::function<void()> OnCreate;

 private:
  static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
  void dialogInitialized(HWND window);
  void selectionChanged(HWND window, LPCITEMIDLIST item);
  std::string fittedStatusText() const;
  void sendStatusText();

  HWND dialog_ = nullptr;
  // An error raised by an event while the shell's modal loop runs: it must not
  // unwind through the shell, so it closes the picker and is raised by Execute.
  std::exception_ptr pendingError_;
  std::string caption_;
  HWND parent_;
  bool showSelectionInStatus_ = false;
  bool fitStatusText_ = true;
  std::string title_;
  TRootID root_ = TRootID::idDesktop;
  unsigned options_ = 0;
  std::string selection_;
  bool center_ = true;
  std::string statusText_;
  bool enableOKButton_ = true;
  int imageIndex_ = -1;
};

}  // namespace parvex
