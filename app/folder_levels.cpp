#include "app/folder_levels.h"

#include "naming/mbcs.h"

namespace {

constexpr auto npos = std::string::npos;

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && LastDelimiter("\\", path) == path.size() - 1;
}

std::vector<std::size_t> SeparatorPositions(const std::string& path) {
  std::vector<std::size_t> positions;
  ForEachSingleByte(path, [&](std::size_t i) {
    if (path[i] == '\\') positions.push_back(i);
    return true;
  });
  return positions;
}

}  // namespace

bool ForceDirectories(const std::string& path, IFolderSystem& folders) {
  if (path.empty()) return false;
  std::string folder = path;
  if (EndsWithSeparator(folder)) folder.pop_back();
  if (folder.size() < 3 || folders.IsFolder(folder)) return true;
  const std::size_t last = LastDelimiter("\\:", folder);
  const std::string parent = last == npos ? std::string() : folder.substr(0, last + 1);
  // A drive ("C:") is its own parent; every other parent is shorter, so the walk ends.
  if (parent == folder) return true;
  return ForceDirectories(parent, folders) && folders.CreateFolder(folder);
}

std::vector<std::string> PathLevels(const std::string& fullPath) {
  const std::vector<std::size_t> separators = SeparatorPositions(fullPath);
  // A share's root holds two names after the leading "\\".
  const std::size_t rootSeparators = fullPath.compare(0, 2, "\\\\") == 0 ? 4 : 1;
  if (separators.size() < rootSeparators) return {fullPath};
  std::vector<std::string> levels{fullPath.substr(0, separators[rootSeparators - 1] + 1)};
  for (std::size_t i = rootSeparators; i < separators.size(); ++i) {
    levels.push_back(fullPath.substr(0, separators[i]));
  }
  if (!EndsWithSeparator(fullPath)) levels.push_back(fullPath);
  return levels;
}

std::string AppendName(const std::string& folder, const std::string& name) {
  return EndsWithSeparator(folder) ? folder + name : folder + "\\" + name;
}
