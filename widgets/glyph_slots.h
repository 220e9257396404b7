#pragma once

#include <algorithm>
#include <array>
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

  // A released slot keeps its image until it is claimed again; releasing a free slot does nothing.
  void ReleaseSlot(int slot);

 protected:
  // Adds one empty image at the end of the platform list and returns its index.
  virtual int AppendEmptyImage() = 0;
  // Claims a slot and lets `replace` put the image there. When `replace` fails the slot is given
  // back and std::runtime_error is thrown, so a failed paint leaves the count as it was.
  int AddImage(const std::function<bool(int slot)>& replace);

 private:
  // The lowest free slot, appending an image when every slot is taken; marks it in use and counts
  // it, as ReleaseSlot uncounts it: the count changes nowhere else.
  int ClaimSlot();

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

// The state images of one glyph object: the list it borrows from the cache and its slot there for
// each state, -1 while not built. Holding a list with none of its own slots in use would be a
// dangling pointer in waiting: the list's other users destroy it when they let go of their last
// slot.
template <class List>
class TStateImagesOf {
 public:
  List* ImageList() const { return list_; }
  int Slot(int state) const { return slots_[state]; }

  // Builds the image of `state`: `add(list)` puts it into the cache's list of that size, borrowed
  // on first need, and returns its slot. When `add` throws and no other state holds an image, the
  // list goes back at once.
  template <class Add>
  int Build(TGlyphCacheOf<List>& cache, int state, int width, int height, Add add) {
    if (list_ == nullptr) list_ = &cache.ListFor(width, height);
    try {
      slots_[state] = add(*list_);
    } catch (...) {
      if (std::count(slots_.begin(), slots_.end(), -1) == static_cast<int>(slots_.size())) {
        cache.ReleaseList(list_);
        list_ = nullptr;
      }
      throw;
    }
    return slots_[state];
  }

  // Gives every slot back, then the list, which `cache` destroys when nobody else uses it.
  void Release(TGlyphCacheOf<List>* cache) {
    for (int& slot : slots_) {
      if (slot != -1) list_->ReleaseSlot(slot);
      slot = -1;
    }
    if (cache != nullptr) cache->ReleaseList(list_);
    list_ = nullptr;
  }

 private:
  List* list_ = nullptr;
  std::array<int, 4> slots_{{-1, -1, -1, -1}};
};
