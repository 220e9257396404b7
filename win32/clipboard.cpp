#include "win32/clipboard.h"

#include <new>

TGlobalMemory ClipboardMemory(std::size_t size) {
  TGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory.Get()) throw std::bad_alloc();
  return memory;
}

TClipboard::TClipboard(HWND owner) {
  for (int attempt = 0; attempt < 25 && !open_; ++attempt) {
    open_ = OpenClipboard(owner) != FALSE;
    if (!open_) Sleep(20);
  }
}

TClipboard::~TClipboard() {
  if (open_) CloseClipboard();
}
