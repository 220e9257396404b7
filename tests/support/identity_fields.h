#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "copy/file_identity.h"
#include "copy/undo.h"

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

// A platform's remover against every field alone: the file at `name`, seen as `seen`, is kept
// while any recorded field differs (`exists` says it is still there), and the folder at
// `folderPath` is another while a field that identifies differs from `folder`; with every field
// as seen the file goes. `recorded` leaves out a field the platform does not record.
template <typename TRemover, typename TExists>
void ExpectEveryFieldAloneCounts(TRemover& remover, const std::string& name, const TFileIdentity& seen,
                                 const std::string& folderPath, const TFileIdentity& folder, TExists exists,
                                 bool (*recorded)(const TIdentityField&) = nullptr) {
  for (const TIdentityField& field : kIdentityFields) {
    if (recorded && !recorded(field)) continue;
    TFileIdentity other = seen;
    field.Shift(other, 1);
    std::string problem;
    EXPECT_FALSE(remover.RemoveIfSame(name, other, problem)) << field.Name;
    EXPECT_TRUE(exists()) << field.Name;
    if (field.Identifies) {
      other = folder;
      field.Shift(other, 1);
      EXPECT_EQ(TRemover().OpenFolder(folderPath, other), TFolderState::Other) << field.Name;
    }
  }
  std::string problem;
  EXPECT_TRUE(remover.RemoveIfSame(name, seen, problem)) << problem;
  EXPECT_FALSE(exists());
}
