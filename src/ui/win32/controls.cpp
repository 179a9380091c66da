#include "ui/win32/controls.h"

#include "runtime/string_routines.h"
#include "ui/spin_value.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/window_class.h"

namespace parvex {

namespace {

constexpr const char* kPanelClass = "TPanel";
constexpr const char* kScrollBoxClass = "TScrollBox";

HWND commandTargetOf(HWND container) { return reinterpret_cast<HWND>(GetWindowLongPtrA(container, GWLP_USERDATA)); }

// Messages a container passes on to the form rather than keeping.
bool forwardToTarget(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_VSCROLL:
    case WM_HSCROLL:
    // A multi-line edit moves the focus on Tab by asking its parent: the form
    // decides where it goes.
    case WM_NEXTDLGCTL: break;
    default: return false;
  }
  HWND target = commandTargetOf(window);
  if (!target) return false;
  // The container's own scroll bar is handled by the container.
  if ((message == WM_VSCROLL || message == WM_HSCROLL) && lParam == 0) return false;
  result = SendMessageA(target, message, wParam, lParam);
  return true;
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  if (forwardToTarget(window, message, wParam, lParam, result)) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

void scrollTo(HWND window, int position) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(window, SB_VERT, &si);
  const int maxPos = si.nMax - static_cast<int>(si.nPage) + 1;
  if (position > maxPos) position = maxPos;
  if (position < si.nMin) position = si.nMin;
  const int delta = si.nPos - position;
  if (delta == 0) return;
  si.fMask = SIF_POS;
  si.nPos = position;
  SetScrollInfo(window, SB_VERT, &si, TRUE);
  // The children are moved one by one: scrolling the window's pixels does nothing
  // while the box is hidden (on a page in the back), which would misplace them.
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(child, nullptr, r.left, r.top + delta, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK ScrollBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  if (forwardToTarget(window, message, wParam, lParam, result)) return result;
  if (message == WM_VSCROLL) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &si);
    int pos = si.nPos;
    switch (LOWORD(wParam)) {
      case SB_LINEUP: pos -= ScaleToDpi(24, WindowDpi(window)); break;
      case SB_LINEDOWN: pos += ScaleToDpi(24, WindowDpi(window)); break;
      case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
      case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: pos = si.nTrackPos; break;
      case SB_TOP: pos = si.nMin; break;
      case SB_BOTTOM: pos = si.nMax; break;
      default: break;
    }
    scrollTo(window, pos);
    return 0;
  }
  if (message == WM_MOUSEWHEEL) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &si);
    scrollTo(window, si.nPos - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * ScaleToDpi(48, WindowDpi(window)));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void registerContainer(const char* name, WNDPROC proc) {
  RegisterWindowClassOnce(GetModuleHandleA(nullptr), name, proc,
                          {0, nullptr, LoadCursorA(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
}

HWND createContainer(const char* cls, WNDPROC proc, HWND parent, HWND target, Bounds b, int id, DWORD style,
                     DWORD exStyle) {
  registerContainer(cls, proc);
  b = ScaleBounds(b, WindowDpi(parent));
  HWND w = CreateWindowExA(exStyle | WS_EX_CONTROLPARENT, cls, "", WS_CHILD | WS_CLIPSIBLINGS | style, b.left, b.top,
                           b.width, b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  return w;
}

}  // namespace

namespace {

HFONT createFont(const char* face, int pixels, bool bold) {
  // A negative height asks for the character height, without the leading.
  return CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

TFont::TFont(const char* face, int points, bool bold) {
  font_.reset(createFont(face, MulDiv(points, WindowDpi(nullptr), 72), bold));
}

TFont::TFont(const char* face, PixelHeight height, bool bold) {
  font_.reset(createFont(face, ScaleToDpi(height.pixels, WindowDpi(nullptr)), bold));
}

HWND CreateControl(HWND parent, const char* windowClass, const std::string& text, DWORD style, Bounds b, int id,
                   HFONT font, DWORD exStyle) {
  b = ScaleBounds(b, WindowDpi(parent));
  HWND w = CreateWindowExA(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, b.left,
                           b.top, b.width, b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  if (w && font) SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return w;
}

HWND CreateLabel(HWND parent, const std::string& text, Bounds b, HFONT font, int id, DWORD extra) {
  return CreateControl(parent, "STATIC", text, SS_LEFT | SS_NOPREFIX | extra, b, id, font);
}

HWND CreateMnemonicLabel(HWND parent, const std::string& text, Bounds b, HFONT font) {
  return CreateControl(parent, "STATIC", text, SS_LEFT, b, -1, font);
}

HWND CreateEdit(HWND parent, Bounds b, int id, HFONT font, DWORD extra) {
  return CreateControl(parent, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | extra, b, id, font, WS_EX_CLIENTEDGE);
}

HWND CreateMemo(HWND parent, Bounds b, int id, HFONT font, bool readOnly) {
  DWORD style = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (readOnly) style |= ES_READONLY;
  return CreateControl(parent, "EDIT", "", style, b, id, font, WS_EX_CLIENTEDGE);
}

HWND CreateButton(HWND parent, const std::string& caption, Bounds b, int id, HFONT font, bool isDefault) {
  return CreateControl(parent, "BUTTON", caption, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), b, id,
                       font);
}

HWND CreateCheckBox(HWND parent, const std::string& caption, Bounds b, int id, HFONT font) {
  return CreateControl(parent, "BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, b, id, font);
}

HWND CreateRadioButton(HWND parent, const std::string& caption, Bounds b, int id, HFONT font, bool firstOfGroup) {
  return CreateControl(parent, "BUTTON", caption, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0), b,
                       id, font);
}

HWND CreatePictureButton(HWND parent, HBITMAP picture, Bounds b, int id) {
  HWND w = CreateControl(parent, "BUTTON", "", WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP, b, id, nullptr);
  SendMessageA(w, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
  return w;
}

std::string GetText(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(control, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

void SetText(HWND control, const std::string& text) { SetWindowTextA(control, text.c_str()); }

bool IsChecked(HWND control) { return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND control, bool checked) {
  SendMessageA(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetVisible(HWND control, bool visible) { ShowWindow(control, visible ? SW_SHOW : SW_HIDE); }

bool IsShown(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

void MoveControl(HWND control, int left, int top) {
  SetWindowPos(control, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreatePanel(HWND parent, HWND commandTarget, Bounds b, int id, bool framed) {
  return createContainer(kPanelClass, PanelProc, parent, commandTarget, b, id, WS_VISIBLE,
                         framed ? WS_EX_STATICEDGE : 0);
}

HWND CreateScrollBox(HWND parent, HWND commandTarget, Bounds b, int id, int contentHeight) {
  HWND w = createContainer(kScrollBoxClass, ScrollBoxProc, parent, commandTarget, b, id, WS_VISIBLE | WS_VSCROLL,
                           WS_EX_CLIENTEDGE);
  RECT client;
  GetClientRect(w, &client);
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = ScaleToDpi(contentHeight, WindowDpi(w)) - 1;
  si.nPage = static_cast<UINT>(client.bottom);
  si.nPos = 0;
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  return w;
}

void ScrollIntoView(HWND scrollBox, HWND child) {
  RECT r, client;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, scrollBox, reinterpret_cast<POINT*>(&r), 2);
  GetClientRect(scrollBox, &client);
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS;
  GetScrollInfo(scrollBox, SB_VERT, &si);
  if (r.top < 0)
    scrollTo(scrollBox, si.nPos + r.top - 3);
  else if (r.bottom > client.bottom)
    scrollTo(scrollBox, si.nPos + r.bottom - client.bottom + 3);
}

TPageControl::TPageControl(HWND parent, HWND commandTarget, Bounds b, int id, HFONT font)
    : commandTarget_(commandTarget), id_(id) {
  tabs_ = CreateControl(parent, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, b, id, font);
}

HWND TPageControl::AddPage(const std::string& caption, int pageId) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(caption.c_str());
  const int index = static_cast<int>(pages_.size());
  SendMessageA(tabs_, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
  RECT r;
  GetClientRect(tabs_, &r);
  SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  // The control measures in the screen's pixels, a panel is made in design
  // pixels: made, then placed on the pixel.
  HWND page = CreatePanel(tabs_, commandTarget_, {}, pageId, false);
  SetWindowPos(page, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetVisible(page, index == 0);
  pages_.push_back(page);
  return page;
}

int TPageControl::ActivePage() const { return static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0)); }

void TPageControl::SetActivePage(int index) {
  SendMessageA(tabs_, TCM_SETCURSEL, index, 0);
  SelectionChanged();
}

void TPageControl::SelectionChanged() {
  const int active = ActivePage();
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) SetVisible(pages_[i], i == active);
}

TSpinEdit::TSpinEdit(HWND parent, Bounds b, int spinnerLeft, int editId, int spinnerId, HFONT font, int minValue,
                     int maxValue)
    : min_(minValue), max_(maxValue) {
  edit_ = CreateEdit(parent, b, editId, font, ES_NUMBER);
  SendMessageA(edit_, EM_LIMITTEXT, 10, 0);
  spinner_ = CreateControl(parent, UPDOWN_CLASSA, "", UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS,
                           {spinnerLeft, b.top, 16, b.height}, spinnerId, nullptr);
  SendMessageA(spinner_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  SendMessageA(spinner_, UDM_SETRANGE32, minValue, maxValue);
}

void TSpinEdit::SetText(const std::string& text) { parvex::SetText(edit_, text); }

int TSpinEdit::Value() {
  const std::string text = Text();
  const int value = SpinValue(text, min_, max_);
  // The field shows the value that is used.
  if (text != IntToStr(value)) SetValue(value);
  return value;
}

void TSpinEdit::SetValue(int value) {
  SendMessageA(spinner_, UDM_SETPOS32, 0, value);
  parvex::SetText(edit_, IntToStr(value));
}

THints::THints(HWND owner) {
  tips_ =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
}

THints::~THints() {
  if (tips_) DestroyWindow(tips_);
}

void THints::Add(HWND control, const std::string& text) {
  // The tool-tip control keeps its own copy of the text.
  TOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace parvex
