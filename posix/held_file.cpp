#include "posix/held_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool RemoveIfHeld(int folder, const std::string& name, int file) {
  struct stat held;
  struct stat named;
  return fstat(file, &held) == 0 && fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino && unlinkat(folder, name.c_str(), 0) == 0;
}
