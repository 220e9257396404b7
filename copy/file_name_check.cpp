#include "copy/file_name_check.h"

#include <array>

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

const char kControlCharacter[] = "ファイル名に制御文字は使えません。";

std::string CharacterProblem(char c) {
  if (c < 0x20 && c >= 0) return kControlCharacter;
  if (c == ':') return "ファイル名にドライブの区切り「:」は使えません。";
  return std::string("ファイル名に「") + c + "」は使えません。";
}

// What is wrong with one part of the path, between two separators: a character no file name holds,
// then the part itself.
std::string PartProblem(std::string_view part, TEncoding encoding) {
  std::string problem;
  std::size_t deviceEnd = std::string_view::npos;  // the first dot
  ForEachSingleByte(part, encoding, [&](std::size_t i) {
    const char c = part[i];
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos) {
      problem = CharacterProblem(c);
      return false;
    }
    if (c == '.' && deviceEnd == std::string_view::npos) deviceEnd = i;
    return true;
  });
  if (!problem.empty()) return problem;
  if (part.empty()) return "ファイル名に空のフォルダ名（先頭や末尾の「\\」、続けて並んだ「\\」）は使えません。";
  if (part == "." || part == "..") return "「" + std::string(part) + "」はフォルダを表す名前のため、ファイル名に使えません。";
  // The device part is what comes before the first dot, trailing spaces dropped, as the system
  // reads it: "nul.txt" and "com1.tar.gz" are devices too.
  std::string_view device = part.substr(0, deviceEnd);
  while (!device.empty() && device.back() == ' ') device.remove_suffix(1);
  for (const std::string_view reserved : kDeviceNames) {
    if (SameLetters(device, reserved)) {
      return "「" + std::string(device) + "」は装置の名前のため、拡張子を付けてもファイル名やフォルダ名にできません。";
    }
  }
  return {};
}

}  // namespace

std::string FileNameProblem(std::string_view name, TEncoding encoding) {
  if (name.empty()) return "ファイル名が空です。";
  if (!IsWellFormed(name, encoding)) return kControlCharacter;
  std::string problem;
  ForEachPart(name, TNameForm{encoding, '\\'}, [&](std::string_view part) {
    problem = PartProblem(part, encoding);
    return problem.empty();
  });
  return problem;
}

std::string OutsideTheFolder(std::string_view name, const TNameForm& form) {
  if (name.empty()) return "an empty name";
  std::string problem;
  const auto noColon = [](std::string_view part, TEncoding encoding) {
    return ForEachSingleByte(part, encoding, [&](std::size_t i) { return part[i] != ':'; });
  };
  ForEachPart(name, form, [&](std::string_view part) {
    if (part.empty() || part == "." || part == "..") {
      problem = "a name that leaves the folder";
    } else if (form.Separator == '\\' && !noColon(part, form.Encoding)) {
      problem = "a name on a drive";
    }
    return problem.empty();
  });
  return problem;
}

std::string NameAsCreated(std::string leaf) {
  while (!leaf.empty() && (leaf.back() == '.' || leaf.back() == ' ')) leaf.pop_back();
  return leaf;
}
