#include "copy/file_copier_win32.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

#include "copy/copy_progress_win32.h"
#include "copy/file_identity_win32.h"
#include "copy/file_name_check.h"
#include "naming/mbcs.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

const std::string kPartLeftText = "途中まで書き込んだファイルを削除できませんでした。";
const std::string kPartMayBeLeftText = "途中まで書き込まれたファイルが残っている可能性があります。";

// Whether `path` opens for reading now, shared as the system's copy opens it.
bool Readable(const std::string& path) {
  const TKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  return IsOpen(file);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The identity of the file at `path` now.
bool IdentityByName(const std::string& path, TIdentityReader& identities, TFileIdentity& file) {
  const TKernelHandle handle(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return IsOpen(handle) && identities.Read(handle.Get(), path, file);
}

}  // namespace

bool CopiedIdentity(TCopyProgress& progress, const std::string& destination, TIdentityReader& identities,
                    TFileIdentity& file) {
  const bool held = progress.HoldsDestination();
  TFileIdentity made;
  if (held && !identities.Read(progress.Destination(), destination, made)) return false;
  progress.CloseDestination();
  return IdentityByName(destination, identities, file) &&
         (!held || (file.Volume == made.Volume && file.Index == made.Index));
}

TWin32FileCopier::TWin32FileCopier(std::string source, std::string folder, TStillWorking stillWorking,
                                   ICopyWitness* witness, TWay way)
    : sourcePath_(std::move(source)),
      folder_(std::move(folder)),
      folderHandle_(CreateFileA(folder_.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
      stillWorking_(std::move(stillWorking)),
      witness_(witness),
      way_(way) {
  // Temporary names differ between runs and processes without a shared counter.
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  nextTemporary_ = (static_cast<unsigned long long>(GetCurrentProcessId()) << 40) ^
                   static_cast<unsigned long long>(now.QuadPart) * 0x9E3779B97F4A7C15ULL;
}

std::string TWin32FileCopier::PathOf(const std::string& name) const { return folder_ + "\\" + name; }

TFileIdentity TWin32FileCopier::FolderIdentity() {
  TFileIdentity identity;
  TIdentityReader identities;
  if (!IsOpen(folderHandle_) || !identities.Read(folderHandle_.Get(), folder_, identity)) {
    throw std::runtime_error("cannot identify the folder " + folder_ + ": " + SystemErrorText(GetLastError()));
  }
  return identity;
}

TCopyOutcome TWin32FileCopier::Look(const std::string& name, std::string* landing) {
  const std::string destination = PathOf(name);
  if (GetFileAttributesA(destination.c_str()) != INVALID_FILE_ATTRIBUTES) return {TCopyResult::Exists, {}};
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND) return {TCopyResult::Failed, SystemErrorText(error)};
  // The folder the file lands in, opened for the right to add a file to it: the system checks the
  // access the copy's creation needs, and refuses as that would.
  const std::size_t separator = LastDelimiter("\\/", destination);
  const std::string folder = destination.substr(0, separator);
  const TKernelHandle opened(CreateFileA(folder.c_str(), FILE_ADD_FILE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!IsOpen(opened)) return {TCopyResult::Failed, SystemErrorText(GetLastError())};
  if (landing) {
    // Asked of each folder apart (a junction may lead to another volume), its volume once.
    TFileIdentity identity;
    if (!folders_.Read(opened.Get(), folder + "\\.", identity)) {
      return {TCopyResult::Failed, SystemErrorText(GetLastError())};
    }
    std::string leaf = NameAsCreated(destination.substr(separator + 1));
    if (!leaf.empty()) CharUpperBuffA(leaf.data(), static_cast<DWORD>(leaf.size()));
    *landing = std::to_string(identity.Volume) + " " + std::to_string(identity.Index) + " " + leaf;
  }
  return {};
}

TCopyOutcome TWin32FileCopier::Copy(const std::string& name) {
  if (way_ == TWay::TemporaryName) return CopyUnderTemporaryName(name);
  const std::string& source = sourcePath_;
  const std::string destination = PathOf(name);
  TCopyProgress progress(stillWorking_);
  if (witness_) witness_->Creating(name, {});
  if (CopyFileExA(source.c_str(), destination.c_str(), &TCopyProgress::Routine, &progress, nullptr,
                  COPY_FILE_FAIL_IF_EXISTS)) {
    TFileIdentity file;
    if (witness_ && CopiedIdentity(progress, destination, identities_, file)) witness_->Named(name, file);
    return {};
  }
  const DWORD error = GetLastError();
  TCopyOutcome outcome{TCopyResult::Failed, SystemErrorText(error)};
  if (progress.HoldsDestination()) {
    if (!progress.DiscardDestination()) outcome.Reason += kPartLeftText;
  } else if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    return {TCopyResult::Exists, {}};
  }
  // The system opens the source first, so a source that does not open now is why it failed; the
  // reason stays the system's own.
  if (!Readable(source)) {
    outcome.Result = TCopyResult::SourceUnreadable;
  } else if (!progress.HoldsDestination()) {
    const TCopyOutcome looked = Look(name);
    if (looked.Result == TCopyResult::Failed) {
      // The system's copy words some refusals otherwise than a look at the name does (Wine calls
      // a name too long for the system "not found"): the look's words, so that a dry run, which
      // only looks, and the run give the same reason.
      outcome.Reason = looked.Reason;
    } else if (IsFile(destination)) {
      // Not "exists", yet a file has the name now: the copy made it and left it, and without the
      // routine's handle there is no proof to remove it on.
      outcome.Reason += kPartMayBeLeftText;
    }
  }
  progress.RethrowHookFailure();
  return outcome;
}
