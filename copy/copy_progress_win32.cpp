#include "copy/copy_progress_win32.h"

#include <utility>

void TCopyProgress::CloseDestination() { destination_.Reset(); }

DWORD CALLBACK TCopyProgress::Routine(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                      DWORD reason, HANDLE, HANDLE destination, LPVOID data) {
  return static_cast<TCopyProgress*>(data)->Progress(reason, destination);
}

DWORD TCopyProgress::Progress(DWORD reason, HANDLE destination) {
  // Only the first handle is the file itself: later stream switches hand over its other streams.
  if (!IsOpen(destination_) && destination && destination != INVALID_HANDLE_VALUE) {
    const HANDLE self = GetCurrentProcess();
    HANDLE duplicate = nullptr;
    // The system's own handle may lack the rights a removal needs; ask for them, and keep the
    // handle as it is when they are refused (its rights may still be enough).
    if (DuplicateHandle(self, destination, self, &duplicate,
                        DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, FALSE, 0) ||
        DuplicateHandle(self, destination, self, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
      destination_.Reset(duplicate);
    }
  }
  if (reason != CALLBACK_CHUNK_FINISHED || !stillWorking_) return PROGRESS_CONTINUE;
  // An exception must not unwind through the system's copy.
  try {
    stillWorking_();
    return PROGRESS_CONTINUE;
  } catch (...) {
    hookFailure_ = std::current_exception();
    return PROGRESS_CANCEL;
  }
}

bool DiscardOpenFile(HANDLE file) {
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) return true;
  // The system may have removed it already, in a way that refuses a second request.
  FILE_STANDARD_INFO standard{};
  return GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending;
}

bool TCopyProgress::DiscardDestination() { return IsOpen(destination_) && DiscardOpenFile(destination_.Get()); }

void TCopyProgress::RethrowHookFailure() {
  if (hookFailure_) std::rethrow_exception(std::exchange(hookFailure_, nullptr));
}
