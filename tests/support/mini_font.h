#pragma once

// A proportional font in miniature for tests of text layout: single-byte characters 10 pixels
// wide ("i" 4), double-byte ones 20.
inline int MiniFontAdvance(unsigned code) {
  if (code > 0xFF) return 20;
  return code == 'i' ? 4 : 10;
}

inline constexpr int kMiniFontWidest = 20;
