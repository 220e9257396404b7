#include "copy/file_remover_posix.h"

#include <linux/magic.h>
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
  constexpr long kExfatMagic = 0x2011BAB0;
  const long type = fileSystemType_(folder_.Get());
  return type == MSDOS_SUPER_MAGIC || type == kExfatMagic ? TFolderState::NoLastingIdentity : TFolderState::Same;
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
