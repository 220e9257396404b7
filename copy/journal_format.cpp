#include "copy/journal_format.h"

#include <algorithm>
#include <charconv>

#include "naming/text_codes.h"

const std::string kJournalHeader = "tandelo-cli journal 3";
// The same entries without the end line: read as they are, their count taken line by line.
const std::string_view kPreviousJournalHeader = "tandelo-cli journal 2";

namespace {

constexpr char kNone[] = "-";

template <typename T>
bool ToNumber(std::string_view word, T& value) {
  const auto [stop, status] = std::from_chars(word.data(), word.data() + word.size(), value);
  return status == std::errc() && stop == word.data() + word.size();
}

}  // namespace

bool ReadJournalNumber(std::string_view word, std::uint64_t& value) { return ToNumber(word, value); }
bool ReadJournalNumber(std::string_view word, std::int64_t& value) { return ToNumber(word, value); }

std::string JournalWord(const std::string& path) {
  if (path.empty()) return kNone;
  // "-" alone stands for no name, so a name that is only "-" is written escaped.
  return PercentEscaped(path, [&](unsigned char byte) {
    return byte <= 0x20 || byte == 0x7F || byte == '%' || (byte == '-' && path.size() == 1);
  });
}

bool ReadJournalWord(std::string_view text, std::string& path) {
  path.clear();
  if (text == kNone) return true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      path.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexDigitValue(text[i + 1]);
    const int low = HexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    path.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return !path.empty();
}

std::vector<std::string_view> JournalWords(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

std::string JournalFields(const TFileIdentity& file) {
  return std::to_string(file.Volume) + " " + std::to_string(file.Index) + " " + std::to_string(file.Size) + " " +
         std::to_string(file.Time) + " " + std::to_string(file.Birth) + " " + std::to_string(file.Change);
}

bool ReadJournalFields(const std::vector<std::string_view>& words, std::size_t from, TFileIdentity& file) {
  return words.size() == from + 6 && ReadJournalNumber(words[from], file.Volume) && ReadJournalNumber(words[from + 1], file.Index) &&
         ReadJournalNumber(words[from + 2], file.Size) && ReadJournalNumber(words[from + 3], file.Time) &&
         ReadJournalNumber(words[from + 4], file.Birth) && ReadJournalNumber(words[from + 5], file.Change);
}

bool IsJournalEntryKind(std::string_view kind) {
  return kind == "creating" || kind == "opened" || kind == "created" || kind == "named" || kind == "failed";
}

bool ReadEndLine(std::string_view line, std::uint64_t& copies) {
  const std::vector<std::string_view> words = JournalWords(line);
  return words.size() == 2 && words[0] == "end" && ReadJournalNumber(words[1], copies);
}

bool TCopyCount::Line(std::string_view line) {
  if (line.empty()) return true;
  // Only the attempt and the kind, without taking the line apart: a killed run of millions of
  // names is counted this way.
  const std::size_t kindStart = line.find(' ');
  const std::size_t kindEnd = kindStart == std::string_view::npos ? kindStart : line.find(' ', kindStart + 1);
  if (kindEnd == std::string_view::npos) return false;
  const std::string_view kind = line.substr(kindStart + 1, kindEnd - kindStart - 1);
  std::uint64_t attempt = 0;
  if (!ReadJournalNumber(line.substr(0, kindStart), attempt) || !IsJournalEntryKind(kind)) return false;
  if (attempt != attempt_) {
    if (namedNow_) ++copies_;
    attempt_ = attempt;
  }
  namedNow_ = kind == "named";
  return true;
}
