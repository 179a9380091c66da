#pragma once
// The standard controls the screens need, as thin helpers over child windows,
// plus the container windows (panel, scroll box, tab pages) that pass their
// children's commands and notifications on to the form.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "runtime/win32/scoped_handle.h"

namespace parvex {

// A font size given as the height of its characters in pixels at 96 DPI rather than in points.
struct PixelHeight {
  int pixels;
};

// An owned GDI font.
class TFont {
 public:
  TFont(const char* face, int points, bool bold = false);
  TFont(const char* face, PixelHeight height, bool bold = false);
  HFONT Handle() const { return font_.Get(); }

 private:
  FontHandle font_;
};

// Where a control goes, in pixels of the 96-DPI design: the control is scaled
// to its window's DPI when it is made.
struct Bounds {
  int left, top, width, height;
};

HWND CreateControl(HWND parent, const char* windowClass, const std::string& text, DWORD style, Bounds bounds, int id,
                   HFONT font, DWORD exStyle = 0);
HWND CreateLabel(HWND parent, const std::string& text, Bounds bounds, HFONT font, int id = -1, DWORD extraStyle = 0);
// A label that names the control after it: Alt and its "&" letter move the
// focus there. Plain labels show "&" as it is (file names carry it).
HWND CreateMnemonicLabel(HWND parent, const std::string& text, Bounds bounds, HFONT font);
HWND CreateEdit(HWND parent, Bounds bounds, int id, HFONT font, DWORD extraStyle = 0);
HWND CreateMemo(HWND parent, Bounds bounds, int id, HFONT font, bool readOnly);
HWND CreateButton(HWND parent, const std::string& caption, Bounds bounds, int id, HFONT font, bool isDefault = false);
HWND CreateCheckBox(HWND parent, const std::string& caption, Bounds bounds, int id, HFONT font);
// firstOfGroup starts a new group of mutually exclusive choices.
HWND CreateRadioButton(HWND parent, const std::string& caption, Bounds bounds, int id, HFONT font, bool firstOfGroup);
// A push button that shows a picture instead of a caption.
HWND CreatePictureButton(HWND parent, HBITMAP picture, Bounds bounds, int id);

std::string GetText(HWND control);
void SetText(HWND control, const std::string& text);
bool IsChecked(HWND control);
void SetChecked(HWND control, bool checked);
void SetVisible(HWND control, bool visible);
bool IsShown(HWND control);
void MoveControl(HWND control, int left, int top);

// A borderless or framed container; commands and notifications of its children go
// to commandTarget (the form), so nesting does not hide them.
HWND CreatePanel(HWND parent, HWND commandTarget, Bounds bounds, int id, bool framed);

// A framed container with a vertical scroll bar over contentHeight pixels of
// children.
HWND CreateScrollBox(HWND parent, HWND commandTarget, Bounds bounds, int id, int contentHeight);
// Scrolls the box so that child (one of its direct children) is in view, as when
// the keyboard moves the focus to it.
void ScrollIntoView(HWND scrollBox, HWND child);

// A tab control whose pages are panels laid over its display area.
class TPageControl {
 public:
  TPageControl(HWND parent, HWND commandTarget, Bounds bounds, int id, HFONT font);
  HWND Handle() const { return tabs_; }
  int Id() const { return id_; }
  // Adds a page and returns the panel to put its controls on.
  HWND AddPage(const std::string& caption, int pageId);
  HWND Page(int index) const { return pages_.at(index); }
  int ActivePage() const;
  void SetActivePage(int index);
  // The tab control's TCN_SELCHANGE: show the page of the chosen tab.
  void SelectionChanged();

 private:
  HWND tabs_;
  HWND commandTarget_;
  int id_;
  std::vector<HWND> pages_;
};

// The numeric entry field: digits only (up to ten), a spinner beside it, and a
// value held in [min, max] that is written back into the field when read.
class TSpinEdit {
 public:
  TSpinEdit(HWND parent, Bounds editBounds, int spinnerLeft, int editId, int spinnerId, HFONT font, int minValue,
            int maxValue);
  HWND Edit() const { return edit_; }
  HWND Spinner() const { return spinner_; }
  std::string Text() const { return GetText(edit_); }
  void SetText(const std::string& text);
  int Value();
  void SetValue(int value);

 private:
  HWND edit_;
  HWND spinner_;
  int min_, max_;
};

// Tool-tip hints for controls.
class THints {
 public:
  explicit THints(HWND owner);
  ~THints();
  THints(const THints&) = delete;
  THints& operator=(const THints&) = delete;
  void Add(HWND control, const std::string& text);

 private:
  HWND tips_;
};

}  // namespace parvex
