#pragma once

#include <dirent.h>

#include <cstddef>

#include "posix/owned_handle.h"

// How many descriptors this process has open, the count's own listing among them each time.
inline std::size_t OpenDescriptors() {
  std::size_t count = 0;
  const TFolderListing listing(opendir("/proc/self/fd"));
  while (IsOpen(listing) && readdir(listing.Get())) ++count;
  return count;
}
