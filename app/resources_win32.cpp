#include "app/resources_win32.h"

#include "app/res/resource.h"

namespace {

// The transparent colour of the picture strip.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// Owns a bitmap for as long as it takes to copy it into an image list.
class TBitmap {
 public:
  explicit TBitmap(HBITMAP handle) : handle_(handle) {}
  ~TBitmap() {
    if (handle_) DeleteObject(handle_);
  }
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  HBITMAP Get() const { return handle_; }

 private:
  HBITMAP handle_;
};

}  // namespace

TIcon::~TIcon() {
  if (handle_) DestroyIcon(handle_);
}

TIcon& TIcon::operator=(TIcon&& other) noexcept {
  if (this != &other) {
    if (handle_) DestroyIcon(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

TImageList::~TImageList() {
  if (handle_) ImageList_Destroy(handle_);
}

TImageList& TImageList::operator=(TImageList&& other) noexcept {
  if (this != &other) {
    if (handle_) ImageList_Destroy(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

TIcon LoadAppIcon(HINSTANCE instance, int size) {
  // Not shared: a shared icon would be the system's to free and could not come in any size.
  return TIcon(static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_APPICON), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

TImageList CreateRuleImageList(HINSTANCE instance) {
  // A DIB section keeps the strip's exact colours whatever the screen's depth, so the mask colour
  // matches exactly.
  TBitmap strip(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDB_RULEIMAGES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip.Get()) return TImageList();
  TImageList list(ImageList_Create(kRuleImageSize, kRuleImageSize, ILC_COLOR24 | ILC_MASK, 2, 0));
  if (!list.Get()) return TImageList();
  // The list copies the pictures: the strip can go once they are in.
  if (ImageList_AddMasked(list.Get(), strip.Get(), kMaskColour) < 0) return TImageList();
  return list;
}
