#include "copy/file_name_check.h"

#include <array>

#include "naming/mbcs.h"

namespace {

// Names the system turns into devices wherever they stand in a path. CONIN$ and CONOUT$ are
// consoles under Wine and on recent Windows; COM0 and LPT0 are ordinary files on both.
constexpr std::array<std::string_view, 24> kDeviceNames{
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5",   "COM6",   "COM7",  "COM8",
    "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};

bool SameLetters(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

std::string CharacterProblem(char c) {
  if (c == '\\' || c == '/') return std::string("ファイル名にフォルダの区切り「") + c + "」は使えません。";
  if (c == ':') return "ファイル名にドライブの区切り「:」は使えません。";
  return std::string("ファイル名に「") + c + "」は使えません。";
}

}  // namespace

std::string FileNameProblem(std::string_view name) {
  if (name.empty()) return "ファイル名が空です。";
  // The device part is what comes before the first dot, trailing spaces dropped, as the system
  // reads it: "nul.txt" and "com1.tar.gz" are devices too.
  std::size_t deviceEnd = std::string_view::npos;
  std::string problem;
  ForEachSingleByte(name, [&](std::size_t i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20) {
      problem = "ファイル名に制御文字は使えません。";
    } else if (std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
      problem = CharacterProblem(static_cast<char>(c));
    } else if (c == '.' && deviceEnd == std::string_view::npos) {
      deviceEnd = i;
    }
    return problem.empty();
  });
  if (!problem.empty()) return problem;
  if (name == "." || name == "..") return "「" + std::string(name) + "」はフォルダを表す名前のため、ファイル名にできません。";
  // A second byte is never a space or a dot, so the last byte tells.
  if (name.back() == ' ' || name.back() == '.') {
    return "ファイル名の末尾の空白や「.」はシステムに取り除かれるため、この名前では作成できません。";
  }
  std::string_view device = name.substr(0, deviceEnd);
  while (!device.empty() && device.back() == ' ') device.remove_suffix(1);
  for (const std::string_view reserved : kDeviceNames) {
    if (SameLetters(device, reserved)) {
      return "「" + std::string(device) + "」は装置の名前のため、拡張子を付けてもファイル名にできません。";
    }
  }
  return {};
}
