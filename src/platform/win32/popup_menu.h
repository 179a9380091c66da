#pragma once
// The menu the tray icon pops up on a right click; the owner of the menu decides
// what its items do.

namespace parvex {

class PopupMenu {
 public:
  virtual ~PopupMenu() = default;
  // Screen coordinates of the cursor.
  virtual void Popup(int x, int y) = 0;
};

}  // namespace parvex
