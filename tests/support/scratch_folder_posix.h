#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "posix/owned_handle.h"

// Small file helpers for tests on real folders on Linux.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The names directly in a folder, sorted.
inline std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  const TFolderListing listing(opendir(folder.c_str()));
  while (const dirent* entry = IsOpen(listing) ? readdir(listing.Get()) : nullptr) {
    if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A fresh folder under /tmp, removed with everything in it at the end: the run's folder out/ in
// it, and a source file with its own mode and times.
class TScratch {
 public:
  TScratch() {
    char pattern[] = "/tmp/copier-XXXXXX";
    Folder = mkdtemp(pattern);
    Out = Folder + "/out";
    mkdir(Out.c_str(), 0755);
    Source = Folder + "/source.bin";
    std::ofstream(Source) << "content";
    chmod(Source.c_str(), 0640);
    const struct timespec times[2] = {{1000, 5}, {2000, 7}};
    utimensat(AT_FDCWD, Source.c_str(), times, 0);
  }
  ~TScratch() { std::system(("rm -rf " + Folder).c_str()); }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  std::string Folder;
  std::string Out;
  std::string Source;
};
