#include "app/resources_win32.h"

#include "app/res/resource.h"

namespace {

// The transparent colour of the picture strip.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

}  // namespace

TIcon LoadAppIcon(HINSTANCE instance, int size) {
  // Not shared: a shared icon would be the system's to free and could not come in any size.
  return TIcon(static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_APPICON), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

TImageList CreateRuleImageList(HINSTANCE instance) {
  // A DIB section keeps the strip's exact colours whatever the screen's depth, so the mask colour
  // matches exactly.
  TGdiObject<HBITMAP> strip(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDB_RULEIMAGES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip.Get()) return TImageList();
  TImageList list(ImageList_Create(kRuleImageSize, kRuleImageSize, ILC_COLOR24 | ILC_MASK, 2, 0));
  if (!list.Get()) return TImageList();
  // The list copies the pictures: the strip can go once they are in.
  if (ImageList_AddMasked(list.Get(), strip.Get(), kMaskColour) < 0) return TImageList();
  return list;
}
