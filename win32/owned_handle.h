#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

// Owners of the system's handles, one template for every kind: kernel objects, GDI objects and
// DCs, icons, image lists, menus, searches, libraries, hooks, local and global memory, windows
// and COM references. None can be copied; all can be moved.

// Owns one handle and releases it with `TRelease` at the end.
template <typename THandle, typename TRelease>
class TOwnedHandle {
 public:
  explicit TOwnedHandle(THandle handle = nullptr) : handle_(handle) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  THandle Get() const { return handle_; }
  // Gives the handle up to whoever took it over (the clipboard, a window), which frees it.
  THandle Release() { return std::exchange(handle_, nullptr); }
  void Reset(THandle handle = nullptr) {
    if (handle_) TRelease()(handle_);
    handle_ = handle;
  }

 private:
  THandle handle_;
};

struct TDeleteObject {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct TDeleteDC {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct TDestroyIcon {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct TDestroyImageList {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct TDestroyMenu {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct TFindClose {
  // FindFirstFile says "none" with INVALID_HANDLE_VALUE, not null.
  void operator()(HANDLE find) const {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
};
struct TFreeLibrary {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};

struct TGlobalFree {
  void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
struct TLocalFree {
  void operator()(HLOCAL memory) const { LocalFree(memory); }
};
struct TUnhook {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
struct TDestroyWindow {
  void operator()(HWND window) const { DestroyWindow(window); }
};
struct TComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
struct TCloseHandle {
  // CreateFile says "none" with INVALID_HANDLE_VALUE, other calls with null.
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

// A font, brush, pen or bitmap.
template <typename THandle>
using TGdiObject = TOwnedHandle<THandle, TDeleteObject>;
// A window that shows the icon or uses the image list or menu must be gone (or have dropped it)
// before its owner goes: windows never free what they were given.
using TIcon = TOwnedHandle<HICON, TDestroyIcon>;
using TImageList = TOwnedHandle<HIMAGELIST, TDestroyImageList>;
using TMenu = TOwnedHandle<HMENU, TDestroyMenu>;
using TFindHandle = TOwnedHandle<HANDLE, TFindClose>;
using TLibrary = TOwnedHandle<HMODULE, TFreeLibrary>;
using THook = TOwnedHandle<HHOOK, TUnhook>;
// Memory handed to the clipboard: Release() once the clipboard took it.
using TGlobalMemory = TOwnedHandle<HGLOBAL, TGlobalFree>;
// Memory a system call allocated for its answer (FORMAT_MESSAGE_ALLOCATE_BUFFER, ...).
using TLocalMemory = TOwnedHandle<HLOCAL, TLocalFree>;
// A window made for its owner. A window can also go by another hand (its parent's destruction):
// the owner then lets go with Release() at its WM_NCDESTROY, since the system may give the same
// handle to the next window made.
using TWindowHandle = TOwnedHandle<HWND, TDestroyWindow>;
// One reference to a COM object.
template <typename TInterface>
using TComRef = TOwnedHandle<TInterface*, TComRelease>;
// A file, folder, process or other kernel object; IsOpen() tells whether it holds one.
using TKernelHandle = TOwnedHandle<HANDLE, TCloseHandle>;
inline bool IsOpen(const TKernelHandle& handle) { return handle.Get() && handle.Get() != INVALID_HANDLE_VALUE; }
