#include "widgets/glyph_list_win32.h"

#include <stdexcept>

TGdiObject<HBITMAP> CreateColorBitmap(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return TGdiObject<HBITMAP>(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

TGlyphList::TGlyphList(int width, int height)
    : TGlyphSlots(width, height), list_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4)) {
  if (list_.Get() == nullptr) {
    throw std::runtime_error("イメージサイズが正しくありません");
  }
}

int TGlyphList::AppendEmptyImage() {
  const int index = ImageList_GetImageCount(list_.Get());
  return ImageList_SetImageCount(list_.Get(), index + 1) ? index : -1;
}

int TGlyphList::AddMaskedImage(HBITMAP image, COLORREF maskColor) {
  return AddImage([&](int slot) {
    if (image == nullptr) {
      return false;
    }
    // The mask: 1 where the image has the mask colour. Those pixels are then blackened in a copy of
    // the image, as the masked draw ORs the image over the cleared background.
    TGdiObject<HBITMAP> mask(CreateBitmap(Width(), Height(), 1, 1, nullptr));
    const TGdiObject<HBITMAP> color = CreateColorBitmap(Width(), Height());
    if (mask.Get() == nullptr || color.Get() == nullptr) {
      return false;
    }
    {
      // Scoped so that both bitmaps are out of their DCs before the image list takes them.
      TMemoryDC sourceDC, maskDC, colorDC;
      TSelectObject s(sourceDC.Get(), image), m(maskDC.Get(), mask.Get()), c(colorDC.Get(), color.Get());
      SetBkColor(sourceDC.Get(), maskColor);
      BitBlt(maskDC.Get(), 0, 0, Width(), Height(), sourceDC.Get(), 0, 0, SRCCOPY);
      BitBlt(colorDC.Get(), 0, 0, Width(), Height(), sourceDC.Get(), 0, 0, SRCCOPY);
      SetTextColor(colorDC.Get(), RGB(0, 0, 0));
      SetBkColor(colorDC.Get(), RGB(255, 255, 255));
      constexpr DWORD kDestAndNotSource = 0x00220326;
      BitBlt(colorDC.Get(), 0, 0, Width(), Height(), maskDC.Get(), 0, 0, kDestAndNotSource);
    }
    return ImageList_Replace(list_.Get(), slot, color.Get(), mask.Get()) != FALSE;
  });
}
