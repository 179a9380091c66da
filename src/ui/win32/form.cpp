#include "ui/win32/form.h"

#include "ui/win32/dpi_scale.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_thunk.h"

namespace parvex {

namespace {

// WM_DPICHANGED, which headers for older systems do not name.
constexpr UINT kDpiChangedMessage = 0x02E0;

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

}  // namespace

void RegisterFormClass(HINSTANCE instance, const char* className, WNDPROC proc) {
  RegisterWindowClassOnce(instance, className, proc,
                          {CS_DBLCLKS, LoadIconA(instance, MAKEINTRESOURCEA(1)), LoadCursorA(nullptr, IDC_ARROW),
                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
}

TForm::TForm(TApplication& application, const char* className, const std::string& caption, DWORD style, DWORD exStyle,
             HWND owner, int clientWidth, int clientHeight)
    : application_(application) {
  RegisterFormClass(application.Instance(), className, WindowThunk<TForm>);
  const int dpi = WindowDpi(nullptr);
  RECT r{0, 0, ScaleToDpi(clientWidth, dpi), ScaleToDpi(clientHeight, dpi)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  window_ = CreateWindowExA(exStyle, className, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                            r.bottom - r.top, owner, nullptr, application.Instance(), this);
  dpi_ = dpi;
}

TForm::~TForm() { UnbindAndDestroy(window_); }

void TForm::OnCommand(int id, std::function<void(int)> handler) { commands_[id] = std::move(handler); }

void TForm::OnClick(int id, std::function<void()> handler) {
  commands_[id] = [h = std::move(handler)](int code) {
    if (code == BN_CLICKED) h();
  };
}

void TForm::OnNotify(int id, std::function<void(NMHDR&)> handler) { notifies_[id] = std::move(handler); }

void TForm::Show() {
  closed_ = false;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void TForm::Hide() { ShowWindow(window_, SW_HIDE); }

bool TForm::Visible() const { return IsWindowVisible(window_) != FALSE; }

void TForm::SetStayOnTop(bool onTop) {
  SetWindowPos(window_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::Restore() {
  if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
}

void TForm::CenterOnScreen() {
  RECT r;
  GetWindowRect(window_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetOuterWidth(int width) {
  width = ScaleToDpi(width, WindowDpi(window_));
  RECT r;
  GetWindowRect(window_, &r);
  SetWindowPos(window_, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ShowModal() {
  HWND owner = GetWindow(window_, GW_OWNER);
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  HWND previousDialog = application_.DialogWindow();
  application_.SetDialogWindow(window_);
  Show();
  application_.pumpUntil([this] { return closed_; }, true);  // the main loop ends on a quit too
  // Re-enable the owner before hiding, so the focus goes back to it.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  Hide();
  application_.SetDialogWindow(previousDialog);
  if (owner) SetForegroundWindow(owner);
}

void TForm::Close() { SendMessageA(window_, WM_CLOSE, 0, 0); }

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      auto it = commands_.find(LOWORD(wParam));
      if (it != commands_.end()) {
        const int code = HIWORD(wParam);
        auto handler = it->second;  // a handler may replace its own entry
        application_.Guarded([&] { handler(code); });
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      auto it = notifies_.find(static_cast<int>(header->idFrom));
      if (it != notifies_.end()) {
        auto handler = it->second;
        application_.Guarded([&] { handler(*header); });
        return 0;
      }
      break;
    }
    case WM_CLOSE: {
      bool canClose = false;
      application_.Guarded([&] { canClose = CloseQuery(); });
      if (canClose) {
        closed_ = true;
        Closing();
      }
      return 0;
    }
    case WM_ACTIVATE: {
      // Back to where the keyboard was, as dialogs do; at first the form's own
      // choice, else its first control.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) lastFocus_ = focus;
        break;
      }
      HWND target = nullptr;
      for (HWND candidate : {lastFocus_, activeControl_})
        if (!target && candidate && IsWindow(candidate) && IsWindowVisible(candidate) && IsWindowEnabled(candidate))
          target = candidate;
      if (!target) target = GetNextDlgTabItem(window_, nullptr, FALSE);
      if (target) {
        SetFocus(target);
        return 0;
      }
      break;
    }
    default:
      if (message == Win32MessagePump::TabKeyMessage()) return MoveTabFocus(wParam != 0) ? 1 : 0;
      break;
    case kDpiChangedMessage:
      ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_NEXTDLGCTL: {
      // The dialog manager's move to another control (a label's "&" letter moves
      // to the control after it) asks the window itself, which only a dialog
      // box would answer by default.
      HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(window_, GetFocus(), wParam != 0 ? TRUE : FALSE);
      if (target) {
        SetFocus(target);
        if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(target, EM_SETSEL, 0, -1);
      }
      return 0;
    }
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void TForm::ChangeDpi(int newDpi, const RECT& suggested) {
  const int oldDpi = dpi_;
  if (newDpi <= 0 || newDpi == oldDpi) return;
  dpi_ = newDpi;
  std::vector<HWND> children;
  EnumChildWindows(window_, CollectChild, reinterpret_cast<LPARAM>(&children));
  std::map<HFONT, HFONT> fonts;
  for (HWND child : children) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(child, nullptr, MulDiv(r.left, newDpi, oldDpi), MulDiv(r.top, newDpi, oldDpi),
                 MulDiv(r.right - r.left, newDpi, oldDpi), MulDiv(r.bottom - r.top, newDpi, oldDpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
    if (!font) continue;
    auto [it, made] = fonts.emplace(font, nullptr);
    if (made) {
      LOGFONTA shape{};
      if (GetObjectA(font, sizeof shape, &shape) != sizeof shape) continue;
      shape.lfHeight = MulDiv(shape.lfHeight, newDpi, oldDpi);
      scaledFonts_.emplace_back(CreateFontIndirectA(&shape));
      it->second = scaledFonts_.back().Get();
    }
    if (it->second) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(it->second), TRUE);
  }
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TForm::LastInside(HWND page) const {
  // Walked forwards: Wine finds no previous item from none.
  HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
  HWND last = first;
  for (int i = 0; first && i < 1000; ++i) {
    HWND next = GetNextDlgTabItem(page, last, FALSE);
    if (!next || next == first || !IsChild(page, next)) break;
    last = next;
  }
  // A tab strip at the end leads on into its own page.
  for (const TPageControl* inner : pageControls_) {
    if (last != inner->Handle()) continue;
    HWND innerPage = inner->Page(inner->ActivePage());
    HWND deeper = GetNextDlgTabItem(innerPage, nullptr, TRUE);
    if (deeper && IsChild(innerPage, deeper)) return LastInside(innerPage);
  }
  return last;
}

bool TForm::MoveTabFocus(bool backward) {
  HWND focus = GetFocus();
  for (const TPageControl* pages : pageControls_) {
    HWND tabs = pages->Handle();
    if (!IsWindowVisible(tabs)) continue;
    HWND page = pages->Page(pages->ActivePage());
    HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
    if (!first || !IsChild(page, first)) continue;
    HWND target = !backward && focus == tabs ? first : backward && focus == first ? tabs : nullptr;
    // Shift+Tab from the control after the strip goes back into the page.
    if (!target && backward && focus != tabs && focus == GetNextDlgTabItem(window_, tabs, FALSE))
      target = LastInside(page);
    if (target) {
      SetFocus(target);
      return true;
    }
  }
  return false;
}

LRESULT TForm::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  window_ = window;  // known from WM_NCCREATE on, before CreateWindowEx returns
  return HandleMessage(message, wParam, lParam);
}

}  // namespace parvex
