#include "cli/rule_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/rule_file.h"
#include "naming/validation.h"
#include "naming/text_codes.h"

namespace {

// Why `line`, well-formed UTF-8, does not convert: its first character that Shift-JIS lacks.
std::string Unconvertible(std::string_view line) {
  std::string converted;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t length = Utf8SequenceLength(line, at);
    const std::string_view character = line.substr(at, length);
    if (!Utf8ToShiftJis(character, converted)) return "'" + std::string(character) + "' cannot be held in Shift-JIS";
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
    if (length >= 3) {
      const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[at + i]) & 0x3F); };
      const char32_t code = length == 4 ? 0x10000 : (static_cast<char32_t>(text[at] & 0x0F) << 12) | (byte(1) << 6) | byte(2);
      if ((code >= 0x2000 && code <= 0x2BFF) || (code >= 0x3000 && code <= 0x9FFF) || code >= 0xF900) ++characters;
    }
    at += length;
  }
  return characters >= strays;
}

}  // namespace

bool ToEngineText(std::string& text, std::optional<TEncoding> forced, TRuleFileError& error) {
  std::string_view rest = text;
  const TByteOrderMark mark = forced == TEncoding::ShiftJis ? TByteOrderMark::None : ByteOrderMarkOf(rest);
  std::string decoded;
  if (!forced && (mark == TByteOrderMark::Utf16LittleEndian || mark == TByteOrderMark::Utf16BigEndian)) {
    rest.remove_prefix(2);
    std::size_t badAt = 0;
    if (!Utf16ToUtf8(rest, mark == TByteOrderMark::Utf16BigEndian, decoded, badAt)) {
      const std::size_t line = 1 + static_cast<std::size_t>(std::count(decoded.begin(), decoded.end(), '\n'));
      const std::size_t lineStart = decoded.rfind('\n') == std::string::npos ? 0 : decoded.rfind('\n') + 1;
      const std::string_view done = std::string_view(decoded).substr(lineStart);
      error = {line, badAt + 1 >= rest.size()
                         ? std::string("the UTF-16 text ends in half a character")
                         : "in column " + std::to_string(1 + CharacterCount(done, done.size(), TEncoding::Utf8)) +
                               ", half a UTF-16 character without its other half"};
      return false;
    }
    rest = decoded;
  } else if (mark == TByteOrderMark::Utf8) {
    rest.remove_prefix(3);
  }
  const bool marked = mark != TByteOrderMark::None;
  // UTF-16 without its mark, read as bytes, is mostly NULs: said so, rather than read as rules.
  if (const std::size_t nul = rest.find('\0'); nul != std::string_view::npos) {
    error = ByteFault(rest, nul, TEncoding::Utf8, "is a NUL, which no rule file holds (UTF-16 must start with its byte-order mark)");
    return false;
  }
  TEncoding encoding = forced ? *forced : TEncoding::Utf8;
  if (encoding == TEncoding::Utf8) {
    if (const std::size_t bad = FirstNonUtf8(rest); bad != std::string_view::npos) {
      if (forced || marked || ReadsAsUtf8(rest)) {
        const bool judged = !forced && !marked;
        error = ByteFault(rest, bad, TEncoding::Utf8,
                          judged ? "is not UTF-8, though the file's other text is (--encoding shift-jis reads it as Shift-JIS)"
                                 : "is not UTF-8");
        return false;
      }
      encoding = TEncoding::ShiftJis;
    }
  }
  if (encoding == TEncoding::ShiftJis) {
    if (const std::size_t bad = FirstNonShiftJis(rest); bad != std::string_view::npos) {
      error = ByteFault(rest, bad, TEncoding::ShiftJis, forced ? "is not Shift-JIS" : "is not Shift-JIS, and the file is not UTF-8 either");
      return false;
    }
    text = std::string(rest);
    return true;
  }
  std::string converted;
  if (Utf8ToShiftJis(rest, converted)) {
    text.swap(converted);
    return true;
  }
  // The first line that does not convert, and its first character that does not.
  for (std::size_t lineNumber = 1; !rest.empty(); ++lineNumber) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, end);
    if (!Utf8ToShiftJis(line, converted)) {
      error = {lineNumber, Unconvertible(line)};
      return false;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  error = {1, "this file does not convert to Shift-JIS"};
  return false;
}


bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem) {
  const bool useStdin = path == "-";
  std::FILE* file = useStdin ? stdin : std::fopen(path.c_str(), "rb");
  if (!file) {
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<char> block(1 << 16);
  std::size_t count;
  while ((count = std::fread(block.data(), 1, block.size(), file)) > 0) text.append(block.data(), count);
  const bool failed = std::ferror(file) != 0;
  if (failed) problem = "cannot read " + path + ": " + std::strerror(errno);
  if (!useStdin) std::fclose(file);
  return !failed;
}

bool ReadRules(const std::string& path, std::optional<TEncoding> forced, TRuleTree& tree, TReporter& report) {
  std::string text;
  std::string problem;
  if (!ReadWholeFile(path, text, problem)) {
    report.Say(problem);
    return false;
  }
  TRuleFileError error;
  if (!ToEngineText(text, forced, error)) {
    report.Say(path + ":" + std::to_string(error.Line) + ": " + error.Message);
    return false;
  }
  std::vector<std::size_t> ruleLines;
  if (!ParseRuleFile(text, tree, error, &ruleLines)) {
    report.SayAbout(path + ":" + std::to_string(error.Line), error.Message);
    return false;
  }
  // The program's own message for each bad rule, where the rule stands in the file.
  bool valid = true;
  std::size_t rule = 0;
  tree.ForEachPreOrder([&](const TRuleNode& node) {
    if (node.IsRoot()) return;
    const std::size_t line = ruleLines.at(rule++);
    if (const std::string* message = RuleProblem(*node.Data())) {
      report.SayAbout(path + ":" + std::to_string(line), *message);
      valid = false;
    }
  });
  return valid;
}
