#pragma once

#include <cstdint>

// What identifies one file and what shows whether it changed. Times in nanoseconds since 1970,
// 0 when the system does not say.
struct TFileIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t Index = 0;
  std::uint64_t Size = 0;
  std::int64_t Time = 0;    // last write (a copy's is its source's)
  std::int64_t Birth = 0;   // creation, set by the system only
  std::int64_t Change = 0;  // last change of content or metadata, set by the system only
};

bool operator==(const TFileIdentity& a, const TFileIdentity& b);
inline bool operator!=(const TFileIdentity& a, const TFileIdentity& b) { return !(a == b); }
