#pragma once
// The kinds of Win32 handle the program owns, each with the call that closes it.
// Header only: a kind costs nothing (and links nothing) where it is not used.
#include <windows.h>

#include "runtime/scoped_handle.h"

namespace parvex {

namespace handle_kind {

// Handles whose creators return null on failure.
template <class H, auto CloseFn>
struct NullIsNone {
  using Handle = H;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { CloseFn(h); }
};
// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE, not null.
template <auto CloseFn>
struct InvalidIsNone {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  void Close(Handle h) const { CloseFn(h); }
};
// A DC from GetDC: it goes back to its window.
struct WindowDc {
  using Handle = HDC;
  HWND window = nullptr;
  static Handle Invalid() { return nullptr; }
  void Close(Handle h) const { ::ReleaseDC(window, h); }
};

}  // namespace handle_kind

// Kernel objects whose creators return null on failure (mappings, events, ...).
using KernelHandle = ScopedHandle<handle_kind::NullIsNone<HANDLE, ::CloseHandle>>;
using FileHandle = ScopedHandle<handle_kind::InvalidIsNone<::CloseHandle>>;
using FindHandle = ScopedHandle<handle_kind::InvalidIsNone<::FindClose>>;
using RegKeyHandle = ScopedHandle<handle_kind::NullIsNone<HKEY, ::RegCloseKey>>;
template <class T>
using GdiHandle = ScopedHandle<handle_kind::NullIsNone<T, ::DeleteObject>>;
using BitmapHandle = GdiHandle<HBITMAP>;
using FontHandle = GdiHandle<HFONT>;
// A DC from CreateDC or CreateCompatibleDC.
using MemoryDcHandle = ScopedHandle<handle_kind::NullIsNone<HDC, ::DeleteDC>>;
using WindowDcHandle = ScopedHandle<handle_kind::WindowDc>;
using ModuleHandle = ScopedHandle<handle_kind::NullIsNone<HMODULE, ::FreeLibrary>>;
using MenuHandle = ScopedHandle<handle_kind::NullIsNone<HMENU, ::DestroyMenu>>;
using IconHandle = ScopedHandle<handle_kind::NullIsNone<HICON, ::DestroyIcon>>;

// The DC of a window's client area (of the screen for null), released to it.
inline WindowDcHandle GetWindowDc(HWND window) {
  return WindowDcHandle(::GetDC(window), handle_kind::WindowDc{window});
}

}  // namespace parvex
