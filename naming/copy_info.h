#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The kind of a rule. The value is also the rule's item index in the kind list, and a rule
// node's text is always the display name of its kind.
enum TCopyKind : std::uint8_t {
  ckNumber = 0,
  ckAlphabet = 1,
  ckFixString = 2,
  ckAnyString = 3,
};

constexpr int kCopyKindCount = 4;

// The display name of a kind ("連番", ...); empty for a value outside the four kinds.
const std::string& KindName(TCopyKind kind);

// One naming rule. Every record carries the fields of every kind: changing the kind leaves the
// other fields as they were, and only the fields of the current kind are read.
class TCopyInfo {
 public:
  TCopyInfo();
  TCopyInfo(const TCopyInfo& other);
  TCopyInfo& operator=(const TCopyInfo& other) = default;
  virtual ~TCopyInfo();

  TCopyKind Kind = ckNumber;
  std::int32_t NumFrom = 0;
  std::int32_t NumTo = 0;
  // A number shorter than this gets zeros after its sign up to this length, as "%0*d" writes it;
  // 0 pads nothing. Only rule files set it; the window leaves it at 0.
  std::size_t NumWidth = 0;
  std::string ALFrom;
  std::string ALTo;
  std::string FixString;
  std::vector<std::string> AnyStrings;

  // Records alive in this process; lets tests prove that no record outlives its node.
  static long LiveCount();

 private:
  static long live_;
};

// "a" to "z", then "A" to "Z": a letter range may run across the case boundary.
constexpr int kAlphabetSize = 52;
extern const std::string AlphabetTable[kAlphabetSize];

// The position of `letter` in AlphabetTable, or -1 (also for "" and for longer strings).
int AlphabetIndex(std::string_view letter);
