#include "cli/rule_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "cli/rule_file.h"
#include "naming/validation.h"
#include "naming/text_codes.h"

namespace {

// Closes a file the C library opened: this reader is built for both systems, on neither floor.
struct TCloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Why `line`, well-formed UTF-8, does not convert: its first character that Shift-JIS lacks, by
// its code point, since the message is shown in Shift-JIS, which cannot show it.
std::string Unconvertible(std::string_view line) {
  std::string converted;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t length = Utf8SequenceLength(line, at);
    const std::string_view character = line.substr(at, length);
    if (!Utf8ToShiftJis(character, converted)) {
      return CodePointName(character) + " cannot be held in Shift-JIS";
    }
    at += length;
  }
  return "this line does not convert to Shift-JIS";
}

// The fault at byte `at` of `text` (the file's text in `encoding`, past any byte-order mark), with
// its line and the column of its character.
TRuleFileError ByteFault(std::string_view text, std::size_t at, TEncoding encoding, const std::string& what) {
  const std::size_t lineStart = text.rfind('\n', at) == std::string_view::npos ? 0 : text.rfind('\n', at) + 1;
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + at, '\n'));
  const std::size_t column = 1 + CharacterCount(text.substr(lineStart), at - lineStart, encoding);
  char byte[8];
  std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[at]));
  return {line, std::string("byte ") + byte + " in column " + std::to_string(column) + " " + what};
}

// Whether text that is not all UTF-8 is UTF-8 with stray bytes all the same: it holds at least as
// many characters of UTF-8 as bytes that start none. Only characters of three bytes or more in the
// ranges of Japanese text and its symbols count: Shift-JIS text makes pairs of UTF-8 by chance
// (half-width katakana such as "ﾃｽ" are "ý"), longer ones rarely, and those mostly outside these
// ranges ("削除" holds a Hangul syllable), while every hiragana and most kanji of it start with a
// byte no UTF-8 character starts with.
bool ReadsAsUtf8(std::string_view text) {
  std::size_t characters = 0;
  std::size_t strays = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      ++strays;
      ++at;
      continue;
    }
    const auto bits = [&](std::size_t i, unsigned mask) { return static_cast<unsigned char>(text[at + i]) & mask; };
    const char32_t code = length == 4   ? 0x10000
                          : length == 3 ? (bits(0, 0x0F) << 12) | (bits(1, 0x3F) << 6) | bits(2, 0x3F)
                                        : 0;
    if ((code >= 0x2000 && code <= 0x2BFF) || (code >= 0x3000 && code <= 0x9FFF) || code >= 0xF900) ++characters;
    at += length;
  }
  return characters >= strays;
}

// UTF-16 text as UTF-8, or false with `error` at its first unit that is half a character.
bool FromUtf16(std::string_view text, bool bigEndian, std::string& decoded, TRuleFileError& error) {
  std::size_t badAt = 0;
  if (Utf16ToUtf8(text, bigEndian, decoded, badAt)) return true;
  const std::size_t lineStart = decoded.rfind('\n') == std::string::npos ? 0 : decoded.rfind('\n') + 1;
  const std::string_view before = std::string_view(decoded).substr(lineStart);
  error.Line = 1 + static_cast<std::size_t>(std::count(decoded.begin(), decoded.end(), '\n'));
  if (badAt + 1 >= text.size()) {
    error.Message = "the UTF-16 text ends in half a character";
  } else {
    const std::size_t column = 1 + CharacterCount(before, before.size(), TEncoding::Utf8);
    error.Message = "in column " + std::to_string(column) + ", half a UTF-16 character without its other half";
  }
  return false;
}

// Well-formed UTF-8 `text` as Shift-JIS, or false with `error` at the first character Shift-JIS
// cannot hold: converted whole, and line by line only to find that character.
bool ToShiftJis(std::string_view text, std::string& converted, TRuleFileError& error) {
  if (Utf8ToShiftJis(text, converted)) return true;
  for (std::size_t lineNumber = 1; !text.empty(); ++lineNumber) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    if (!Utf8ToShiftJis(line, converted)) {
      error = {lineNumber, Unconvertible(line)};
      return false;
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  error = {1, "this file does not convert to Shift-JIS"};
  return false;
}

}  // namespace

bool ToRunText(std::string& text, std::optional<TEncoding> forced, TEncoding run, TRuleFileError& error) {
  std::string_view rest = text;
  const TByteOrderMark mark = forced == TEncoding::ShiftJis ? TByteOrderMark::None : ByteOrderMarkOf(rest);
  std::string decoded;
  if (!forced && (mark == TByteOrderMark::Utf16LittleEndian || mark == TByteOrderMark::Utf16BigEndian)) {
    if (!FromUtf16(rest.substr(2), mark == TByteOrderMark::Utf16BigEndian, decoded, error)) return false;
    rest = decoded;
  } else if (mark == TByteOrderMark::Utf8) {
    rest.remove_prefix(3);
  }
  // UTF-16 without its mark, read as bytes, is mostly NULs: said so, rather than read as rules.
  if (const std::size_t nul = rest.find('\0'); nul != std::string_view::npos) {
    error = ByteFault(rest, nul, TEncoding::Utf8,
                      "is a NUL, which no rule file holds (UTF-16 must start with its byte-order mark)");
    return false;
  }
  const bool judged = !forced && mark == TByteOrderMark::None;
  TEncoding encoding = forced ? *forced : TEncoding::Utf8;
  if (encoding == TEncoding::Utf8) {
    if (const std::size_t bad = FirstNonUtf8(rest); bad != std::string_view::npos) {
      if (!judged || ReadsAsUtf8(rest)) {
        error = ByteFault(rest, bad, TEncoding::Utf8,
                          judged ? "is not UTF-8, though the file's other text is (--encoding shift-jis reads it as "
                                   "Shift-JIS)"
                                 : "is not UTF-8");
        return false;
      }
      encoding = TEncoding::ShiftJis;
    }
  }
  if (encoding == TEncoding::ShiftJis) {
    if (const std::size_t bad = FirstNonShiftJis(rest); bad != std::string_view::npos) {
      error = ByteFault(rest, bad, TEncoding::ShiftJis,
                        forced ? "is not Shift-JIS" : "is not Shift-JIS, and the file is not UTF-8 either");
      return false;
    }
  }
  std::string converted;
  if (encoding == run) {
    converted = std::string(rest);
  } else if (run == TEncoding::ShiftJis) {
    if (!ToShiftJis(rest, converted, error)) return false;
  } else if (!ShiftJisToUtf8(rest, converted)) {
    error = {1, "this file does not convert to UTF-8"};  // checked above: only a converter could fail
    return false;
  }
  text.swap(converted);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem) {
  const bool useStdin = path == "-";
  const std::unique_ptr<std::FILE, TCloseFile> opened(useStdin ? nullptr : std::fopen(path.c_str(), "rb"));
  std::FILE* file = useStdin ? stdin : opened.get();
  if (!file) {
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<char> block(1 << 16);
  std::size_t count;
  while ((count = std::fread(block.data(), 1, block.size(), file)) > 0) text.append(block.data(), count);
  const bool failed = std::ferror(file) != 0;
  if (failed) problem = "cannot read " + path + ": " + std::strerror(errno);
  return !failed;
}

bool ReadRules(const std::string& path, std::optional<TEncoding> forced, TRuleTree& tree, TReporter& report) {
  const TEncoding run = report.Encoding();
  std::string text;
  std::string problem;
  if (!ReadWholeFile(path, text, problem)) {
    report.Say(PathText(problem, run));
    return false;
  }
  // The file's path in the run's text, for every message about the file.
  const std::string place = PathText(path, run);
  TRuleFileError error;
  if (!ToRunText(text, forced, run, error)) {
    report.Say(place + ":" + std::to_string(error.Line) + ": " + error.Message);
    return false;
  }
  std::vector<std::size_t> ruleLines;
  if (!ParseRuleFile(text, run, tree, error, &ruleLines)) {
    report.Say(place + ":" + std::to_string(error.Line) + ": " + error.Message);
    return false;
  }
  // The program's own message for each bad rule, where the rule stands in the file.
  bool valid = true;
  std::size_t rule = 0;
  tree.ForEachPreOrder([&](const TRuleNode& node) {
    if (node.IsRoot()) return;
    const std::size_t line = ruleLines.at(rule++);
    if (const std::string* message = RuleProblem(*node.Data())) {
      report.SayAbout(place + ":" + std::to_string(line), *message);
      valid = false;
    }
  });
  return valid;
}
