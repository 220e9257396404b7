#pragma once

#include <string>
#include <vector>

// What folder creation needs of the file system, so the walk over the levels is tested without
// a disk.
class IFolderSystem {
 public:
  virtual ~IFolderSystem() = default;
  virtual bool IsFolder(const std::string& path) = 0;
  // True when the folder was made.
  virtual bool CreateFolder(const std::string& path) = 0;
};

// Makes `path` and every missing folder above it, top down, and tells whether the folder is
// there afterwards. An empty path fails. One trailing "\" is ignored. A path of fewer than three
// bytes, an existing folder or a drive root ("C:\", "C:") needs nothing. A name without any
// "\" or ":" has no parent to stand on and fails. A level that cannot be made fails the levels
// below it without their being tried. Separators are found double-byte aware.
bool ForceDirectories(const std::string& path, IFolderSystem& folders);

// The folders from the root of a full path down to the path itself, each as a full path: the
// root keeps its separator ("C:\", "\\server\share\"), the others have none at the end.
// "C:\a\b" gives "C:\", "C:\a", "C:\a\b".
std::vector<std::string> PathLevels(const std::string& fullPath);

// `name` inside `folder`, with a "\" between them unless `folder` already ends with one.
std::string AppendName(const std::string& folder, const std::string& name);
