#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "win32/gdi.h"

// A 32-bit top-down memory bitmap selected into a memory DC and filled with one colour: what a
// drawing function paints into, read back pixel by pixel.
class TCanvas {
 public:
  TCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<const std::uint32_t*>(bits);
    old_ = SelectObject(dc_.Get(), bitmap_.Get());
    TGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    const RECT all = Rect();
    FillRect(dc_.Get(), &all, brush.Get());
  }
  ~TCanvas() { SelectObject(dc_.Get(), old_); }
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Dc() const { return dc_.Get(); }
  RECT Rect() const { return RECT{0, 0, width_, height_}; }
  bool Valid() const { return dc_.Get() && bitmap_.Get() && bits_; }
  // The pixels, row by row from the top, as 0x00RRGGBB; read after GdiFlush.
  const std::uint32_t* Bits() const {
    GdiFlush();
    return bits_;
  }
  COLORREF Pixel(int x, int y) const {
    const std::uint32_t rgb = Bits()[y * width_ + x];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> all;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) all.push_back(Pixel(x, y));
    return all;
  }
  // The bounding box (right and bottom exclusive) of the pixels in `area` that `match` accepts.
  template <typename TMatch>
  RECT Bounds(const RECT& area, TMatch match) const {
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (match(Pixel(x, y))) {
          box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }

 private:
  int width_, height_;
  TMemoryDC dc_;
  TGdiObject<HBITMAP> bitmap_;
  const std::uint32_t* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};
