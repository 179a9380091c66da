#include "mail/win32/mail_address_dlg.h"

namespace parvex {

namespace {

constexpr int kFieldLimit = 255;

}  // namespace

TMailAddressDlg::TMailAddressDlg(TApplication& application, HWND owner)
    : TForm(application, kWindowClass, kCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, owner,
            300, 108),
      font_("MS Sans Serif", 8) {
  // Created in tab order: the name first.
  CreateLabel(Handle(), "Name", {10, 14, 56, 16}, font_.Handle());
  edName_ = CreateEdit(Handle(), {70, 10, 220, 21}, kEdName, font_.Handle());
  CreateLabel(Handle(), "Address", {10, 44, 56, 16}, font_.Handle());
  edAddress_ = CreateEdit(Handle(), {70, 40, 220, 21}, kEdAddress, font_.Handle());
  CreateButton(Handle(), "OK", {134, 74, 75, 25}, IDOK, font_.Handle(), true);
  CreateButton(Handle(), "Cancel", {215, 74, 75, 25}, IDCANCEL, font_.Handle());
  for (HWND field : {edName_, edAddress_}) SendMessageA(field, EM_LIMITTEXT, kFieldLimit, 0);
  OnClick(IDOK, [this] {
    accepted_ = true;
    Close();
  });
  OnClick(IDCANCEL, [this] { Close(); });
  CenterOnScreen();
}

bool TMailAddressDlg::Execute(TmxMailAddress& address) {
  SetText(edName_, address.Name());
  SetText(edAddress_, address.Address());
  accepted_ = false;
  focusName_ = true;
  ShowModal();
  if (!accepted_) return false;
  // Text put in by a program gets past the typing limit; the setters cut it.
  address.SetName(GetText(edName_));
  address.SetAddress(GetText(edAddress_));
  return true;
}

LRESULT TMailAddressDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Each showing starts in the name field; later activations keep the focus.
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && focusName_) {
    focusName_ = false;
    SetFocus(edName_);
    return 0;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace parvex
