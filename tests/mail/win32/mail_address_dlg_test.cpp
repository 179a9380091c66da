#include "mail/win32/mail_address_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/win32/application.h"

namespace parvex {
namespace {

// Runs one action on the dialog once it is shown, from a timer of this thread,
// while Execute waits in its modal loop; closes a dialog that outstays 10 s.
class DialogScript {
 public:
  explicit DialogScript(std::function<void(HWND)> action)
      : action_(std::move(action)),
        helper_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)),
        started_(GetTickCount()) {
    SetWindowLongPtrA(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(helper_, 1, 50, tick);
  }
  ~DialogScript() {
    KillTimer(helper_, 1);
    DestroyWindow(helper_);
  }
  DialogScript(const DialogScript&) = delete;
  bool TimedOut() const { return timedOut_; }
  DialogScript& operator=(const DialogScript&) = delete;

 private:
  static void CALLBACK tick(HWND helper, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<DialogScript*>(GetWindowLongPtrA(helper, GWLP_USERDATA));
    HWND dialog = FindWindowA(TMailAddressDlg::kWindowClass, nullptr);
    if (!dialog || !IsWindowVisible(dialog)) return;
    if (!self->ran_) {
      self->ran_ = true;
      self->action_(dialog);
    } else if (GetTickCount() - self->started_ > 10000) {
      self->timedOut_ = true;
      PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
  }
  std::function<void(HWND)> action_;
  HWND helper_;
  DWORD started_;
  bool ran_ = false;
  bool timedOut_ = false;
};

class MailAddressDlgTest : public ::testing::Test {
 protected:
  MailAddressDlgTest() : app(GetModuleHandleA(nullptr), "Parvex test"), dialog(app, nullptr) {}
  TApplication app;
  TMailAddressDlg dialog;
};

TEST_F(MailAddressDlgTest, OkTakesBothFieldsCutTo255AndCancelOrEscapeKeepTheAddress) {
  const std::string longText(300, 'x');
  struct Case {
    const char* how;
    std::string name, address;
    bool accepted;
  };
  const Case cases[] = {{"ok", "Jane Roe", "jane@example.com", true},
                        {"ok", longText, longText, true},
                        {"cancel", "Jane Roe", "jane@example.com", false},
                        {"escape", "Jane Roe", "jane@example.com", false},
                        {"close box", "Jane Roe", "jane@example.com", false}};
  for (const auto& c : cases) {
    TmxMailAddress address("js@example.com", "John Smith");
    bool startedInName = false;
    DialogScript script([&](HWND window) {
      HWND name = GetDlgItem(window, TMailAddressDlg::kEdName);
      HWND mail = GetDlgItem(window, TMailAddressDlg::kEdAddress);
      startedInName = GetFocus() == name && GetWindowTextLengthA(mail) == 14;
      SetWindowTextA(name, c.name.c_str());
      SetWindowTextA(mail, c.address.c_str());
      const std::string how = c.how;
      if (how == "ok") PostMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
      if (how == "cancel") PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
      if (how == "escape") PostMessageA(mail, WM_KEYDOWN, VK_ESCAPE, 1);
      if (how == "close box") PostMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(address.Edit(dialog), c.accepted) << c.how;
    EXPECT_TRUE(startedInName) << c.how;
    EXPECT_FALSE(script.TimedOut()) << c.how << " did not close the dialog";
    EXPECT_EQ(address.Name(), c.accepted ? c.name.substr(0, 255) : "John Smith") << c.how;
    EXPECT_EQ(address.Address(), c.accepted ? c.address.substr(0, 255) : "js@example.com") << c.how;
  }
}

TEST_F(MailAddressDlgTest, CaptionFieldsAndTabOrder) {
  HWND window = dialog.Handle();
  char caption[32] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "Address");
  HWND name = GetDlgItem(window, TMailAddressDlg::kEdName);
  HWND mail = GetDlgItem(window, TMailAddressDlg::kEdAddress);
  EXPECT_EQ(GetNextDlgTabItem(window, nullptr, FALSE), name);
  EXPECT_EQ(GetNextDlgTabItem(window, name, FALSE), mail);
  EXPECT_EQ(SendMessageA(name, EM_GETLIMITTEXT, 0, 0), 255);
  EXPECT_EQ(SendMessageA(mail, EM_GETLIMITTEXT, 0, 0), 255);
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(window, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

}  // namespace
}  // namespace parvex
