#pragma once

#include <windows.h>
#include <commctrl.h>

// Pictures of the rule tree's image list, by index.
inline constexpr int kRootImage = 0;  // the closed book at the root of the tree
inline constexpr int kRuleImage = 1;  // two sheets with text: one naming rule
inline constexpr int kRuleImageSize = 16;

// Owns an icon made by LoadAppIcon. A window that shows it must be gone before the owner goes.
class TIcon {
 public:
  explicit TIcon(HICON handle = nullptr) : handle_(handle) {}
  ~TIcon();
  TIcon(TIcon&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  TIcon& operator=(TIcon&& other) noexcept;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  HICON Get() const { return handle_; }

 private:
  HICON handle_;
};

// Owns an image list. A control that shows it must be gone (or have dropped it) before the owner
// goes: controls never destroy an image list they were given.
class TImageList {
 public:
  explicit TImageList(HIMAGELIST handle = nullptr) : handle_(handle) {}
  ~TImageList();
  TImageList(TImageList&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  TImageList& operator=(TImageList&& other) noexcept;
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  HIMAGELIST Get() const { return handle_; }

 private:
  HIMAGELIST handle_;
};

// The program's icon at `size` x `size` pixels (32 for a window's large icon, 16 for its small
// one; other sizes are scaled from the nearest), from the module `instance` whose resources
// include it. Empty when the module has no such icon.
TIcon LoadAppIcon(HINSTANCE instance, int size);

// The rule tree's two masked 16 x 16 pictures (kRootImage, kRuleImage) from the module
// `instance`. Empty when the module lacks them or the list cannot be made.
TImageList CreateRuleImageList(HINSTANCE instance);
