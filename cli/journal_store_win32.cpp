// The state folder on Windows: held open without sharing its removal or renaming, so its path
// stays the folder that was checked; its lock a file of its own, since a folder cannot be locked.
#include <windows.h>
#include <shlobj.h>

#include <stdexcept>

#include "copy/file_identity_win32.h"
#include "copy/journal_file_win32.h"
#include "win32/owned_handle.h"
#include "win32/system_error.h"
#include "cli/platform.h"

namespace {

constexpr char kLockName[] = "lock";

class TWin32StateFolder : public IStateFolder {
 public:
  TWin32StateFolder(TKernelHandle folder, std::string path, const TFileIdentity& identity)
      : folder_(std::move(folder)), path_(std::move(path)), identity_(identity) {}

  const std::string& Path() const override { return path_; }

  std::shared_ptr<void> Hold(bool starting) override {
    auto lock = std::make_shared<TKernelHandle>(CreateFileA(At(kLockName).c_str(), GENERIC_READ,
                                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED at{};
    // Waits for the lock; closing the handle (or the end of the process) gives it back.
    if (!IsOpen(*lock) || !LockFileEx(lock->Get(), starting ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 1, 0, &at)) {
      throw std::runtime_error("cannot hold the folder of journals " + path_ + ": " + SystemErrorText(GetLastError()));
    }
    return lock;
  }

  bool Names(std::vector<std::string>& names, std::string& problem) override {
    names.clear();
    WIN32_FIND_DATAA found{};
    const TFindHandle find(FindFirstFileA(At("*").c_str(), &found));
    if (find.Get() == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
      problem = "cannot read the folder of journals " + path_ + ": " + SystemErrorText(GetLastError());
      return false;
    }
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find.Get(), &found));
    if (GetLastError() == ERROR_NO_MORE_FILES) return true;
    problem = "cannot read the folder of journals " + path_ + ": " + SystemErrorText(GetLastError());
    return false;
  }

  std::unique_ptr<IJournalFile> CreateJournal(const std::string& name) override {
    return std::make_unique<TWin32JournalFile>(At(name));
  }

  std::unique_ptr<IJournalOnDisk> OpenJournal(const std::string& name, std::string& problem) override {
    return OpenTrustedJournal(At(name), problem);
  }

  TMark Mark(const std::string& name, std::string& problem) override {
    const TKernelHandle mark(CreateFileA(At(name).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!IsOpen(mark)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return TMark::Absent;
      problem = "cannot read the mark " + At(name) + ": " + SystemErrorText(error);
      return TMark::Untrusted;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    std::string why;
    if (!GetFileInformationByHandle(mark.Get(), &information)) {
      why = SystemErrorText(GetLastError());
    } else if (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
      why = "it is not a file";
    } else {
      why = HandleTrustProblem(mark.Get(), "marked the run undone");
    }
    if (why.empty()) return TMark::Trusted;
    problem = "will not trust the mark " + At(name) + ": " + why;
    return TMark::Untrusted;
  }

  bool MakeMark(const std::string& name, std::string& problem) override {
    const TKernelHandle mark(CreateFileA(At(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (IsOpen(mark)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      problem = "cannot make the mark " + At(name) + ": " + SystemErrorText(error);
      return false;
    }
    return Mark(name, problem) == TMark::Trusted;
  }

  bool IsFolder(const std::string& path) override {
    TFileIdentity there;
    return ReadFolderIdentity(path, there) && there.Volume == identity_.Volume && there.Index == identity_.Index;
  }

 private:
  std::string At(const std::string& name) const { return path_ + "\\" + name; }

  TKernelHandle folder_;  // held so that the folder is not moved away while it is used
  std::string path_;
  TFileIdentity identity_;
};

}  // namespace

std::string StateFolderPath(std::string& problem) {
  // The variable first, as every program started in the user's session sees it; the system's
  // folder where it is not set (an older system, or a service's environment).
  std::string base(MAX_PATH, '\0');
  const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", base.data(), MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    base.resize(length);
  } else {
    const HRESULT result = SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base.data());
    if (FAILED(result)) {
      problem = "the local application data folder is unknown: " + SystemErrorText(HRESULT_CODE(result));
      return {};
    }
    base.resize(base.find('\0'));
  }
  // Where the folder ends with "\" already, the two in a row are read as one.
  return AbsolutePath(base + "\\Tandelo\\journals", problem);
}

std::unique_ptr<IStateFolder> OpenStateFolder(const std::string& path, bool make, bool& absent, std::string& problem) {
  absent = false;
  if (make) {
    // Makes every missing level, finding the levels as the system reads the path.
    const int result = SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
    if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS && result != ERROR_FILE_EXISTS) {
      problem = "cannot make the folder for journals " + path + ": " + SystemErrorText(static_cast<DWORD>(result));
      return nullptr;
    }
  }
  // Shared for adding and removing what is in it, never for removing or renaming the folder.
  TKernelHandle folder(CreateFileA(path.c_str(), READ_CONTROL | FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!IsOpen(folder)) {
    const DWORD error = GetLastError();
    absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    problem = "cannot open the folder of journals " + path + ": " + SystemErrorText(error);
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  TFileIdentity identity;
  std::string why;
  if (!GetFileInformationByHandle(folder.Get(), &information) || !ReadFolderIdentity(path, identity)) {
    why = SystemErrorText(GetLastError());
  } else if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    why = SystemErrorText(ERROR_DIRECTORY);
  } else {
    why = HandleTrustProblem(folder.Get(), "put runs and marks of their own in it");
  }
  if (!why.empty()) {
    problem = "will not use the folder of journals " + path + ": " + why;
    return nullptr;
  }
  return std::make_unique<TWin32StateFolder>(std::move(folder), path, identity);
}
