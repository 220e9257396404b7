#include "copy/file_remover_posix.h"

#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TFolderState TPosixFileRemover::OpenFolder(const std::string& path, const TFileIdentity& identity) {
  if (!folder_.Open(path)) return TFolderState::Missing;
  TFileIdentity now;
  if (!IdentityOf(folder_.Get(), now) || now.Volume != identity.Volume || now.Index != identity.Index ||
      (identity.Birth != 0 && now.Birth != identity.Birth)) {
    return TFolderState::Other;
  }
  // FAT and exFAT number a file by its place in the folder and keep no change time.
  struct statfs system;
  if (fstatfs(folder_.Get(), &system) == 0 &&
      (system.f_type == MSDOS_SUPER_MAGIC || system.f_type == static_cast<decltype(system.f_type)>(0x2011BAB0))) {
    return TFolderState::NoLastingIdentity;
  }
  return TFolderState::Same;
}

TFileState TPosixFileRemover::Inspect(const std::string& name) {
  std::string leaf;
  const int folder = folder_.Of(name, leaf);
  TFileState state;
  if (folder >= 0 && IdentityOf(folder, leaf, state.File, state.RegularFile)) state.Exists = true;
  return state;
}

bool TPosixFileRemover::RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) {
  std::string leaf;
  const int folder = folder_.Of(name, leaf);
  TFileIdentity now;
  bool regular = false;
  if (folder < 0 || !IdentityOf(folder, leaf, now, regular) || !regular || now != seen) {
    problem = "changed while undo looked at it";
    return false;
  }
  if (unlinkat(folder, leaf.c_str(), 0) != 0) {
    problem = std::strerror(errno);
    return false;
  }
  return true;
}
