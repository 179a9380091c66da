#pragma once
// Registering a window class once per module: every window of the program
// (forms, containers, hidden helper windows) goes through here.
#include <windows.h>

namespace parvex {

struct WindowClassLook {
  UINT style = 0;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

// Does nothing when the module already has a class of that name.
void RegisterWindowClassOnce(HINSTANCE instance, const char* name, WNDPROC proc,
                             const WindowClassLook& look = {});

}  // namespace parvex
