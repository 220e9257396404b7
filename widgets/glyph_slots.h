#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// Slot bookkeeping of one image list: which images are in use, so that freed slots are reused
// before the list grows. The platform list derives from this and supplies the images.
class TGlyphSlots {
 public:
  // Throws std::runtime_error when the platform could not hold images of this size.
  TGlyphSlots(int width, int height);
  virtual ~TGlyphSlots() = default;
  TGlyphSlots(const TGlyphSlots&) = delete;
  TGlyphSlots& operator=(const TGlyphSlots&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int UsedCount() const { return usedCount_; }
  bool SlotInUse(int slot) const;

  // The lowest free slot, appending an image when every slot is taken; marks it in use.
  int ClaimSlot();
  // A released slot keeps its image until it is claimed again; releasing a free slot does nothing.
  void ReleaseSlot(int slot);

 protected:
  // Adds one empty image at the end of the platform list and returns its index.
  virtual int AppendEmptyImage() = 0;
  // Claims a slot and lets `replace` put the image there. When `replace` fails the slot is given
  // back and std::runtime_error is thrown, so a failed paint leaves the count as it was.
  int AddImage(const std::function<bool(int slot)>& replace);

 private:
  int width_;
  int height_;
  int usedCount_ = 0;
  std::vector<bool> slotInUse_;
};

// The lists of all buttons, one per image size. `List` is constructed from (width, height) and
// offers Width(), Height() and UsedCount().
template <class List>
class TGlyphCacheOf {
 public:
  // The most recently created list of that size is preferred, so a new size never scans far.
  List& ListFor(int width, int height) {
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it) {
      if ((*it)->Width() == width && (*it)->Height() == height) {
        return **it;
      }
    }
    lists_.push_back(std::make_unique<List>(width, height));
    return *lists_.back();
  }

  // Destroys the list only when none of its slots is in use any more.
  void ReleaseList(List* list) {
    if (list == nullptr || list->UsedCount() != 0) {
      return;
    }
    lists_.erase(std::remove_if(lists_.begin(), lists_.end(), [list](const auto& l) { return l.get() == list; }),
                 lists_.end());
  }

  bool IsEmpty() const { return lists_.empty(); }
  int Count() const { return static_cast<int>(lists_.size()); }

 private:
  std::vector<std::unique_ptr<List>> lists_;
};
