#pragma once
// The small modal dialog that edits one mail address: "Name" and "Address"
// fields, OK and Cancel. The program itself never opens it; it serves editing
// addresses by hand.
#include <windows.h>

#include "mail/mail_address.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"

namespace parvex {

class TMailAddressDlg final : public TForm, public MailAddressEditor {
 public:
  static constexpr const char* kWindowClass = "TMailAddressDlg";
  static constexpr const char* kCaption = "Address";
  static constexpr int kEdName = 101;
  static constexpr int kEdAddress = 102;

  TMailAddressDlg(TApplication& application, HWND owner);

  // Shows the address's fields; on OK writes both back (each cut to 255) and
  // answers true; on Cancel leaves the address alone.
  bool Execute(TmxMailAddress& address) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TFont font_;
  HWND edName_ = nullptr;
  HWND edAddress_ = nullptr;
  bool accepted_ = false;
  bool focusName_ = false;
};

}  // namespace parvex
