// The command line's way of copying on Windows: under a temporary name, then renamed.
#include "copy/file_copier_win32.h"

#include <windows.h>

#include <cstdio>

#include "copy/copy_progress_win32.h"
#include "naming/mbcs.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attributes a user gives a file, which a copy takes; the others (compressed, encrypted,
// sparse, a link) are the volume's or the folder's business.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The rights over the temporary file of the handle that writes it: to write, to remove it, to read
// and set what it is.
constexpr DWORD kWriting = GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

constexpr std::size_t kBlock = std::size_t{1} << 18;

TCopyOutcome Failure(DWORD error) { return {TCopyResult::Failed, SystemErrorText(error)}; }

bool IsExists(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Copies all of `from`, from its start whatever its handle's position, to `to`; false with the
// system's error set.
bool CopyContent(HANDLE from, HANDLE to, std::vector<char>& block, const TStillWorking& stillWorking) {
  block.resize(kBlock);
  for (ULONGLONG at = 0;;) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!ReadFile(from, block.data(), static_cast<DWORD>(block.size()), &got, &where)) {
      return GetLastError() == ERROR_HANDLE_EOF;
    }
    if (got == 0) return true;
    DWORD put = 0;
    if (!WriteFile(to, block.data(), got, &put, nullptr)) return false;
    at += got;
    if (stillWorking) stillWorking();
  }
}

}  // namespace

HANDLE TWin32FileCopier::OpenSource() {
  if (IsOpen(source_)) return source_.Get();
  source_.Reset(CreateFileA(sourcePath_.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  return source_.Get();
}

TCopyOutcome TWin32FileCopier::CopyUnderTemporaryName(const std::string& name) {
  const HANDLE from = OpenSource();
  FILE_BASIC_INFO sourceBasic{};
  if (from == INVALID_HANDLE_VALUE ||
      !GetFileInformationByHandleEx(from, FileBasicInfo, &sourceBasic, sizeof sourceBasic)) {
    return {TCopyResult::SourceUnreadable, SystemErrorText(GetLastError())};
  }
  // A name that exists, or that cannot be reached, is told before anything is made, in the words
  // a look gives: a dry run then says what this does.
  const std::string destination = PathOf(name);
  if (GetFileAttributesA(destination.c_str()) != INVALID_FILE_ATTRIBUTES) return {TCopyResult::Exists, {}};
  if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) return Failure(error);

  // In the folder the name lands in, so that the rename stays within it.
  const std::size_t separator = LastDelimiter("\\/", name);
  const std::string prefix = separator == std::string::npos ? std::string() : name.substr(0, separator + 1);
  std::string temporary;
  // Shared for removal only, which the rename needs.
  TKernelHandle made;
  for (int attempt = 0; !IsOpen(made) && attempt < 16; ++attempt) {
    char temporaryName[40];
    std::snprintf(temporaryName, sizeof temporaryName, ".tandelo-%016llx.part", nextTemporary_++);
    temporary = prefix + temporaryName;
    if (witness_) witness_->Creating(name, temporary);
    made.Reset(CreateFileA(PathOf(temporary).c_str(), kWriting, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!IsOpen(made) && !IsExists(GetLastError())) return Failure(GetLastError());
  }
  if (!IsOpen(made)) return Failure(ERROR_FILE_EXISTS);

  // From here the file is this copy's: whatever fails removes it through a handle that holds it.
  TKernelHandle held;
  const auto fail = [&](DWORD error) {
    DiscardOpenFile(IsOpen(held) ? held.Get() : made.Get());
    return Failure(error);
  };
  const std::string temporaryPath = PathOf(temporary);
  TFileIdentity file;
  try {
    if (!identities_.Read(made.Get(), temporaryPath, file)) return fail(GetLastError());
    if (witness_) witness_->Opened(name, temporary, file);
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime = sourceBasic.LastWriteTime;
    basic.FileAttributes = sourceBasic.FileAttributes & kCopiedAttributes;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!CopyContent(from, made.Get(), block_, stillWorking_) ||
        !SetFileInformationByHandle(made.Get(), FileBasicInfo, &basic, sizeof basic)) {
      return fail(GetLastError());
    }
    // The system finishes a file's times as the handle that wrote it closes: a handle that does
    // not write holds the file meanwhile, opened while the writing one still kept it, so it is the
    // same file if it has the same number.
    held.Reset(CreateFileA(temporaryPath.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    TFileIdentity heldFile;
    if (!IsOpen(held)) return fail(GetLastError());
    if (!identities_.Read(held.Get(), temporaryPath, heldFile) || heldFile.Volume != file.Volume ||
        heldFile.Index != file.Index) {
      held.Reset();  // another file, which is not this copy's to remove
      return fail(ERROR_FILE_NOT_FOUND);
    }
    made.Reset();
    if (!identities_.Read(held.Get(), temporaryPath, file)) return fail(GetLastError());
    if (witness_) witness_->Created(name, temporary, file);
    if (!MoveFileExA(temporaryPath.c_str(), destination.c_str(), 0)) {
      const DWORD error = GetLastError();
      DiscardOpenFile(held.Get());
      return IsExists(error) ? TCopyOutcome{TCopyResult::Exists, {}} : Failure(error);
    }
    // Recorded at once: until its line is written, a kill leaves a copy that undo cannot prove
    // its own (the system gives no birth time). Only the times move with a rename.
    TFileIdentity named = file;
    FILE_BASIC_INFO renamed{};
    if (GetFileInformationByHandleEx(held.Get(), FileBasicInfo, &renamed, sizeof renamed)) {
      LARGE_INTEGER index{};
      index.QuadPart = static_cast<LONGLONG>(file.Index);
      FILE_STANDARD_INFO standard{};
      standard.EndOfFile.QuadPart = static_cast<LONGLONG>(file.Size);
      named = IdentityFrom(static_cast<DWORD>(file.Volume), index, standard, renamed);
      if (witness_) witness_->Named(name, named);
    }
    // The name must hold the file held: another program could have put its own at the temporary
    // name in between, which then keeps the name it was given and is no copy of this run's.
    TFileIdentity atName;
    const TKernelHandle look(CreateFileA(destination.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!IsOpen(look) || !identities_.Read(look.Get(), destination, atName) || atName.Volume != file.Volume ||
        atName.Index != file.Index) {
      return fail(ERROR_FILE_NOT_FOUND);
    }
    return {};
  } catch (...) {
    DiscardOpenFile(IsOpen(held) ? held.Get() : made.Get());
    throw;
  }
}
