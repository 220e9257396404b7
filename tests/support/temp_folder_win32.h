#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + "\" + name.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Small file helpers for tests on real folders; paths are ANSI (Shift-JIS) text.
void PutFile(const std::string& path, const std::string& content);
std::string FileContent(const std::string& path);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
// The names directly in a folder, sorted.
std::string ListFolder(const std::string& path);
