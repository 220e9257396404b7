#include "widgets/glyph_slots.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// An image list whose images are numbers, so a test can see which image a slot holds.
class TFakeList : public TGlyphSlots {
 public:
  TFakeList(int width, int height) : TGlyphSlots(width, height) {}
  int AddMaskedImage(int image) {
    return AddImage([&](int slot) {
      if (refuse) {
        return false;
      }
      images[slot] = image;
      return true;
    });
  }
  std::vector<int> images;
  bool refuse = false;

 protected:
  int AppendEmptyImage() override {
    images.push_back(0);
    return static_cast<int>(images.size()) - 1;
  }
};

using TFakeCache = TGlyphCacheOf<TFakeList>;

TEST(GlyphSlots, ClaimsTheLowestFreeSlotAndReusesBeforeGrowing) {
  TFakeList list(16, 16);
  EXPECT_EQ(list.AddMaskedImage(10), 0);
  EXPECT_EQ(list.AddMaskedImage(11), 1);
  EXPECT_EQ(list.AddMaskedImage(12), 2);
  list.ReleaseSlot(0);
  list.ReleaseSlot(1);
  EXPECT_EQ(list.UsedCount(), 1);
  EXPECT_EQ(list.AddMaskedImage(20), 0);
  EXPECT_EQ(list.AddMaskedImage(21), 1);
  EXPECT_EQ(list.AddMaskedImage(22), 3);
  EXPECT_EQ(list.images, (std::vector<int>{20, 21, 12, 22}));
  EXPECT_EQ(list.UsedCount(), 4);
}

TEST(GlyphSlots, ReleaseKeepsTheImageAndIgnoresFreeSlots) {
  TFakeList list(16, 16);
  const int slot = list.AddMaskedImage(7);
  list.ReleaseSlot(slot);
  EXPECT_FALSE(list.SlotInUse(slot));
  EXPECT_EQ(list.images, std::vector<int>{7});
  list.ReleaseSlot(slot);  // twice: must not count down again
  list.ReleaseSlot(5);     // never claimed
  EXPECT_EQ(list.UsedCount(), 0);
  EXPECT_EQ(list.AddMaskedImage(8), slot);
  EXPECT_EQ(list.UsedCount(), 1);
}

TEST(GlyphSlots, RefusedImageGivesTheSlotBack) {
  TFakeList list(16, 16);
  list.refuse = true;
  try {
    list.AddMaskedImage(1);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "イメージの置き換えができません");
  }
  EXPECT_EQ(list.UsedCount(), 0);
  EXPECT_FALSE(list.SlotInUse(0));
  list.refuse = false;
  EXPECT_EQ(list.AddMaskedImage(2), 0);
}

TEST(GlyphSlots, RejectsSizesAnImageListCannotHold) {
  for (auto [w, h] : {std::pair{0, 16}, std::pair{16, 0}, std::pair{-1, 16}, std::pair{16, 32769}}) {
    try {
      TFakeList list(w, h);
      ADD_FAILURE() << w << "x" << h << " accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "イメージサイズが正しくありません");
    }
  }
  EXPECT_NO_THROW(TFakeList(1, 32768));
}

TEST(GlyphCache, ButtonsOfOneCellSizeShareAListThatLivesWhileUsed) {
  TFakeCache cache;
  TFakeList& first = cache.ListFor(16, 16);
  const int firstSlot = first.AddMaskedImage(1);
  TFakeList& second = cache.ListFor(16, 16);
  ASSERT_EQ(&first, &second);
  const int secondSlot = second.AddMaskedImage(2);
  EXPECT_NE(&cache.ListFor(16, 20), &first);
  cache.ReleaseList(&cache.ListFor(16, 20));  // never used: goes at once
  EXPECT_EQ(cache.Count(), 1);

  // The first button lets go: the list stays for the second.
  first.ReleaseSlot(firstSlot);
  cache.ReleaseList(&first);
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(&cache.ListFor(16, 16), &second);

  second.ReleaseSlot(secondSlot);
  cache.ReleaseList(&second);
  EXPECT_TRUE(cache.IsEmpty());
  cache.ReleaseList(nullptr);
  EXPECT_TRUE(cache.IsEmpty());
}

}  // namespace

// A glyph object whose first image fails must not keep the list: when the list's other user lets
// go of its last slot the list is destroyed, and the next build would write into freed memory.
// With an image of its own in the list, the object keeps it.
TEST(StateImages, AFailedBuildKeepsTheListOnlyForImagesAlreadyInIt) {
  const auto add = [](int image) { return [image](TFakeList& list) { return list.AddMaskedImage(image); }; };
  const auto fail = [](TFakeList&) -> int { throw std::runtime_error("イメージの置き換えができません"); };
  TFakeCache cache;
  TStateImagesOf<TFakeList> first, second;
  second.Build(cache, 0, 16, 16, add(1));
  EXPECT_THROW(first.Build(cache, 0, 16, 16, fail), std::runtime_error);
  EXPECT_EQ(first.ImageList(), nullptr);
  second.Release(&cache);
  EXPECT_TRUE(cache.IsEmpty());
  EXPECT_EQ(first.Build(cache, 0, 16, 16, add(2)), 0);
  EXPECT_EQ(first.ImageList(), &cache.ListFor(16, 16));

  EXPECT_THROW(first.Build(cache, 1, 16, 16, fail), std::runtime_error);
  EXPECT_EQ(first.ImageList(), &cache.ListFor(16, 16));
  EXPECT_EQ(first.Slot(0), 0);
  EXPECT_EQ(cache.ListFor(16, 16).UsedCount(), 1);
}
