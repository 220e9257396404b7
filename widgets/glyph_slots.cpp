#include "widgets/glyph_slots.h"

#include <stdexcept>

namespace {
// The platform's image lists take images from 1 pixel wide and 1 to 32768 pixels tall.
constexpr int kMaxImageHeight = 32768;
}  // namespace

TGlyphSlots::TGlyphSlots(int width, int height) : width_(width), height_(height) {
  if (width < 1 || height < 1 || height > kMaxImageHeight) {
    throw std::runtime_error("イメージサイズが正しくありません");
  }
}

bool TGlyphSlots::SlotInUse(int slot) const {
  return slot >= 0 && slot < static_cast<int>(slotInUse_.size()) && slotInUse_[slot];
}

int TGlyphSlots::ClaimSlot() {
  auto free = std::find(slotInUse_.begin(), slotInUse_.end(), false);
  int slot = static_cast<int>(free - slotInUse_.begin());
  if (free == slotInUse_.end()) {
    slot = AppendEmptyImage();
    if (slot < 0) {
      throw std::runtime_error("イメージの置き換えができません");
    }
    if (slot >= static_cast<int>(slotInUse_.size())) {
      slotInUse_.resize(slot + 1, false);
    }
  }
  slotInUse_[slot] = true;
  ++usedCount_;
  return slot;
}

void TGlyphSlots::ReleaseSlot(int slot) {
  if (SlotInUse(slot)) {
    --usedCount_;
    slotInUse_[slot] = false;
  }
}

int TGlyphSlots::AddImage(const std::function<bool(int slot)>& replace) {
  const int slot = ClaimSlot();
  if (!replace(slot)) {
    ReleaseSlot(slot);
    throw std::runtime_error("イメージの置き換えができません");
  }
  return slot;
}
