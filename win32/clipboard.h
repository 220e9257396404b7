#pragma once

#include <windows.h>

#include <cstddef>
#include <new>

#include "win32/owned_handle.h"

// The clipboard and the memory handed to it.

// Movable memory for the clipboard, freed unless the clipboard takes it. Throws std::bad_alloc
// when there is none.
TGlobalMemory ClipboardMemory(std::size_t size);

// Global memory locked as a `T` for as long as this lives. Throws std::bad_alloc when the block
// cannot be locked.
template <typename T>
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL memory) : memory_(memory), data_(static_cast<T*>(GlobalLock(memory))) {
    if (!data_) throw std::bad_alloc();
  }
  ~TGlobalLock() { GlobalUnlock(memory_); }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;

  T* Get() const { return data_; }

 private:
  HGLOBAL memory_;
  T* data_;
};

// The clipboard, open for `owner` for as long as this lives. Another program may hold it for a
// moment: it is asked again for half a second before IsOpen() says it stayed closed.
class TClipboard {
 public:
  explicit TClipboard(HWND owner);
  ~TClipboard();
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};
