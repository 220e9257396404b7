#include "copy/file_identity_posix.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace {

std::int64_t Nanoseconds(const struct statx_timestamp& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

TFileIdentity IdentityOf(const struct statx& st) {
  TFileIdentity identity;
  identity.Volume = makedev(st.stx_dev_major, st.stx_dev_minor);
  identity.Index = st.stx_ino;
  identity.Size = st.stx_size;
  identity.Time = Nanoseconds(st.stx_mtime);
  identity.Birth = (st.stx_mask & STATX_BTIME) ? Nanoseconds(st.stx_btime) : 0;
  identity.Change = Nanoseconds(st.stx_ctime);
  return identity;
}

constexpr unsigned kIdentityFields = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_BTIME;

TFileDescriptor OpenBeneath(int root, const std::string& path) {
  struct open_how how{};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  const long fd = syscall(SYS_openat2, root, path.c_str(), &how, sizeof how);
  if (fd >= 0 || errno != ENOSYS) return TFileDescriptor(static_cast<int>(fd));
  // Before Linux 5.6: part by part, following no link at all.
  TFileDescriptor opened;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      errno = EXDEV;
      return TFileDescriptor();
    }
    TFileDescriptor next(openat(IsOpen(opened) ? opened.Get() : root, part.c_str(),
                                O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!IsOpen(next)) return next;
    opened = std::move(next);
  }
  if (IsOpen(opened)) return opened;
  return TFileDescriptor(fcntl(root, F_DUPFD_CLOEXEC, 0));
}

}  // namespace

bool IdentityOf(int file, TFileIdentity& identity) {
  struct statx st;
  if (statx(file, "", AT_EMPTY_PATH, kIdentityFields, &st) != 0) return false;
  identity = IdentityOf(st);
  return true;
}

bool IdentityOf(int folder, const std::string& name, TFileIdentity& identity, bool& regular) {
  struct statx st;
  if (statx(folder, name.c_str(), AT_SYMLINK_NOFOLLOW, kIdentityFields, &st) != 0) return false;
  identity = IdentityOf(st);
  regular = S_ISREG(st.stx_mode);
  return true;
}

void TFolderHandle::CloseSub() {
  subFolder_.Reset();
  sub_.clear();
}

bool TFolderHandle::Open(const std::string& path) {
  CloseSub();
  root_.Reset();  // before the opening, whose errno is the answer
  root_.Reset(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  return IsOpen(root_);
}

int TFolderHandle::Of(const std::string& name, std::string& leaf) {
  const std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) {
    leaf = name;
    return root_.Get();
  }
  leaf = name.substr(slash + 1);
  if (IsOpen(subFolder_) && name.compare(0, slash, sub_) == 0 && sub_.size() == slash) return subFolder_.Get();
  CloseSub();
  sub_ = name.substr(0, slash);
  subFolder_ = OpenBeneath(root_.Get(), sub_);
  if (!IsOpen(subFolder_)) sub_.clear();
  return subFolder_.Get();
}

bool ReadFolderIdentity(const std::string& path, TFileIdentity& identity) {
  TFolderHandle folder;
  return folder.Open(path) && IdentityOf(folder.Get(), identity);
}

long FileSystemType(int file) {
  struct statfs system;
  return fstatfs(file, &system) == 0 ? static_cast<long>(system.f_type) : 0;
}
