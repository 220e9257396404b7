#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The version information of an executable, read as Explorer reads it; empty when there is none.
class TVersionInfo {
 public:
  explicit TVersionInfo(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool Empty() const { return data_.empty(); }

  // The fixed part: numbers and file type; null when there is none.
  const VS_FIXEDFILEINFO* Fixed() {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (Empty() || !VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length)) return nullptr;
    return fixed;
  }

  // The value of `name` under the Japanese, code page 932 block, as the ANSI code page's bytes.
  std::string Text(const char* name) {
    const std::string query = std::string("\\StringFileInfo\\041103a4\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (Empty() || !VerQueryValueA(data_.data(), query.c_str(), &value, &length) || !value) return "(missing)";
    return static_cast<const char*>(value);
  }

  std::wstring WideText(const wchar_t* name) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041103a4\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (Empty() || !VerQueryValueW(data_.data(), query.c_str(), &value, &length) || !value) return L"(missing)";
    return static_cast<const wchar_t*>(value);
  }

  std::vector<char> data_;
};

// The path of the running test program, or of `name` beside it.
inline std::string ProgramPath(const std::string& name = {}) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string result = path;
  return name.empty() ? result : result.substr(0, result.find_last_of("\\/") + 1) + name;
}
