#pragma once

#include <cstdint>

#include "copy/file_identity.h"

// Each field of a file's identity, with a way to make an identity differ in that field alone, for
// tests that every field of the proof counts.
struct TIdentityField {
  const char* Name;
  void (*Shift)(TFileIdentity& file, std::int64_t by);
  bool Identifies;  // it tells one file from another, as opposed to showing a change
};

inline constexpr TIdentityField kIdentityFields[] = {
    {"volume", [](TFileIdentity& f, std::int64_t by) { f.Volume += static_cast<std::uint64_t>(by); }, true},
    {"index", [](TFileIdentity& f, std::int64_t by) { f.Index += static_cast<std::uint64_t>(by); }, true},
    {"size", [](TFileIdentity& f, std::int64_t by) { f.Size += static_cast<std::uint64_t>(by); }, false},
    {"write time", [](TFileIdentity& f, std::int64_t by) { f.Time += by; }, false},
    {"birth", [](TFileIdentity& f, std::int64_t by) { f.Birth += by; }, true},
    {"change", [](TFileIdentity& f, std::int64_t by) { f.Change += by; }, false},
};
