#pragma once

#include <windows.h>

// Owns one GDI object (font, brush, bitmap) and deletes it at the end.
template <typename THandle>
class TGdiObject {
 public:
  explicit TGdiObject(THandle handle = nullptr) : handle_(handle) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  THandle Get() const { return handle_; }
  void Reset(THandle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  THandle handle_;
};

// The program's font: "ＭＳ Ｐゴシック", 12-pixel character height, Shift-JIS.
HFONT CreateProgramFont();
