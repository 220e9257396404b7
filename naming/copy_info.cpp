#include "naming/copy_info.h"

namespace {

const std::string kKindNames[kCopyKindCount] = {"連番", "アルファベット", "固定文字列", "任意文字列"};

}  // namespace

const std::string& KindName(TCopyKind kind) {
  static const std::string none;
  return kind < kCopyKindCount ? kKindNames[kind] : none;
}

long TCopyInfo::live_ = 0;

TCopyInfo::TCopyInfo() { ++live_; }

TCopyInfo::TCopyInfo(const TCopyInfo& other)
    : Kind(other.Kind),
      NumFrom(other.NumFrom),
      NumTo(other.NumTo),
      NumWidth(other.NumWidth),
      ALFrom(other.ALFrom),
      ALTo(other.ALTo),
      FixString(other.FixString),
      AnyStrings(other.AnyStrings) {
  ++live_;
}

TCopyInfo::~TCopyInfo() { --live_; }

long TCopyInfo::LiveCount() { return live_; }

const std::string AlphabetTable[kAlphabetSize] = {
    "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r",
    "s", "t", "u", "v", "w", "x", "y", "z", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J",
    "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};

int AlphabetIndex(std::string_view letter) {
  for (int i = 0; i < kAlphabetSize; ++i) {
    if (letter == AlphabetTable[i]) return i;
  }
  return -1;
}
