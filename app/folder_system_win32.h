#pragma once

#include <string>

#include "app/folder_levels.h"

// The real disk: a path is a folder when the system says it is a directory; a folder is made
// with CreateDirectoryA, which fails when anything of that name is already there.
class TWin32FolderSystem : public IFolderSystem {
 public:
  bool IsFolder(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
};
