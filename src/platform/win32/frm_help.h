#pragma once
// The help window: the help text in a read-only memo and an OK button. Created
// for one showing.
#include <windows.h>

#include "ui/win32/controls.h"
#include "ui/win32/form.h"

namespace parvex {

class TfrmHelp final : public TForm {
 public:
  TfrmHelp(TApplication& application, HWND owner);

  void btOKClick() { Close(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TFont memoFont_;
  TFont buttonFont_;
  HWND memo_ = nullptr;
  HWND btOK_ = nullptr;
};

}  // namespace parvex
