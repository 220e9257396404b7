#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

// Small owners of Windows handles and GDI state, shared by every window and drawing of the
// program. None can be copied; the handle owners can be moved.

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

class TMemoryDC {
 public:
  TMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
  ~TMemoryDC() {
    if (dc_ != nullptr) {
      DeleteDC(dc_);
    }
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~TSelectObject() { SelectObject(dc_, old_); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Restores the text colour, background colour and background mode a drawing step changed.
class TSaveTextColors {
 public:
  explicit TSaveTextColors(HDC dc)
      : dc_(dc), text_(GetTextColor(dc)), back_(GetBkColor(dc)), mode_(GetBkMode(dc)) {}
  ~TSaveTextColors() {
    SetTextColor(dc_, text_);
    SetBkColor(dc_, back_);
    SetBkMode(dc_, mode_);
  }
  TSaveTextColors(const TSaveTextColors&) = delete;
  TSaveTextColors& operator=(const TSaveTextColors&) = delete;

 private:
  HDC dc_;
  COLORREF text_;
  COLORREF back_;
  int mode_;
};
