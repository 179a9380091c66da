#include "ui/win32/window_class.h"

namespace parvex {

void RegisterWindowClassOnce(HINSTANCE instance, const char* name, WNDPROC proc,
                             const WindowClassLook& look) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(instance, name, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = look.style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = look.icon;
  wc.hCursor = look.cursor;
  wc.hbrBackground = look.background;
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

}  // namespace parvex
