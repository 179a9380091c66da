#pragma once
// The kinds of Win32 handle the program owns, each with the call that closes it.
// Header only: a kind costs nothing (and links nothing) where it is not used.
#include <windows.h>

#include "runtime/scoped_handle.h"

namespace parvex {

namespace handle_kind {

// Kernel objects whose creators return null on failure (mappings, events, ...).
struct Kernel {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::CloseHandle(h); }
};
// CreateFile reports failure as INVALID_HANDLE_VALUE, not null.
struct File {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  void Close(Handle h) const { ::CloseHandle(h); }
};
struct Find {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  void Close(Handle h) const { ::FindClose(h); }
};
struct RegKey {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::RegCloseKey(h); }
};
template <class T>
struct GdiObject {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::DeleteObject(h); }
};
// A DC from CreateDC or CreateCompatibleDC.
struct CreatedDc {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::DeleteDC(h); }
};
// A DC from GetDC: it goes back to its window.
struct WindowDc {
  using Handle = HDC;
  HWND window = nullptr;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::ReleaseDC(window, h); }
};
struct Module {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::FreeLibrary(h); }
};
struct Menu {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::DestroyMenu(h); }
};
struct Icon {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::DestroyIcon(h); }
};

}  // namespace handle_kind

using KernelHandle = ScopedHandle<handle_kind::Kernel>;
using FileHandle = ScopedHandle<handle_kind::File>;
using FindHandle = ScopedHandle<handle_kind::Find>;
using RegKeyHandle = ScopedHandle<handle_kind::RegKey>;
template <class T>
using GdiHandle = ScopedHandle<handle_kind::GdiObject<T>>;
using BitmapHandle = GdiHandle<HBITMAP>;
using FontHandle = GdiHandle<HFONT>;
using MemoryDcHandle = ScopedHandle<handle_kind::CreatedDc>;
using WindowDcHandle = ScopedHandle<handle_kind::WindowDc>;
using ModuleHandle = ScopedHandle<handle_kind::Module>;
using MenuHandle = ScopedHandle<handle_kind::Menu>;
using IconHandle = ScopedHandle<handle_kind::Icon>;

// The DC of a window's client area (of the screen for null), released to it.
inline WindowDcHandle GetWindowDc(HWND window) {
  return WindowDcHandle(::GetDC(window), handle_kind::WindowDc{window});
}

}  // namespace parvex
