// The progress routine driven as the system's copy drives it, with handles of real files: Wine 8
// never calls the routine of CopyFileExA, so a copy under Wine cannot show what it does.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "copy/copy_progress_win32.h"
#include "tests/support/temp_folder_win32.h"

namespace {

// A destination as the system's copy creates it: new, open for writing, part of it written.
HANDLE CreatePart(const std::string& path, DWORD attributes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, CREATE_NEW, attributes, nullptr);
  DWORD written = 0;
  WriteFile(file, "part", 4, &written, nullptr);
  return file;
}

DWORD Call(TCopyProgress& progress, DWORD reason, HANDLE destination) {
  const LARGE_INTEGER zero{};
  return TCopyProgress::Routine(zero, zero, zero, zero, 1, reason, nullptr, destination, &progress);
}

// The part is removed through the first handle the routine was given, read-only or not; the file
// of a later stream switch stays. (Renaming the part first would show that its name plays no
// part, but Wine removes a file set for deletion by the name it was opened with, when that still
// leads to it, so a renamed part is left there.)
TEST(CopyProgressTest, RemovesThePartThroughTheFirstHandleItWasGivenOnly) {
  for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_READONLY}}) {
    SCOPED_TRACE(attributes);
    TTempFolder folder;
    int chunks = 0;
    const TStillWorking stillWorking = [&] { ++chunks; };
    {
      TCopyProgress progress(stillWorking);
      const HANDLE part = CreatePart(folder / "copy.dat", attributes);
      const HANDLE stream = CreatePart(folder / "stream.dat", FILE_ATTRIBUTE_NORMAL);
      ASSERT_NE(part, INVALID_HANDLE_VALUE);
      EXPECT_EQ(Call(progress, CALLBACK_STREAM_SWITCH, part), DWORD{PROGRESS_CONTINUE});
      EXPECT_EQ(Call(progress, CALLBACK_CHUNK_FINISHED, part), DWORD{PROGRESS_CONTINUE});
      EXPECT_EQ(Call(progress, CALLBACK_STREAM_SWITCH, stream), DWORD{PROGRESS_CONTINUE});
      EXPECT_EQ(Call(progress, CALLBACK_CHUNK_FINISHED, stream), DWORD{PROGRESS_CONTINUE});
      CloseHandle(part);  // the system's copy has failed and closed its handles
      CloseHandle(stream);
      EXPECT_TRUE(progress.HoldsDestination());
      EXPECT_TRUE(progress.DiscardDestination());
    }
    EXPECT_EQ(chunks, 2);
    EXPECT_EQ(ListFolder(folder.Path()), "stream.dat");
  }
}

TEST(CopyProgressTest, NeverCalledHoldsNothingToRemove) {
  const TStillWorking none;
  TCopyProgress progress(none);
  EXPECT_FALSE(progress.HoldsDestination());
  EXPECT_FALSE(progress.DiscardDestination());
}

// An exception must not unwind through the system's copy: the copy is cancelled instead, and the
// exception goes on once the copy has returned.
TEST(CopyProgressTest, AHookThatThrowsCancelsTheCopyAndIsRethrownAfterIt) {
  const TStillWorking throwing = [] { throw std::runtime_error("hook"); };
  TCopyProgress progress(throwing);
  EXPECT_EQ(Call(progress, CALLBACK_CHUNK_FINISHED, nullptr), DWORD{PROGRESS_CANCEL});
  EXPECT_THROW(progress.RethrowHookFailure(), std::runtime_error);
  EXPECT_NO_THROW(progress.RethrowHookFailure());
}

}  // namespace
