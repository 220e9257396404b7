#include "cli/rule_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/rule_file.h"
#include "naming/validation.h"
#include "naming/text_codes.h"

namespace {

// The length of the UTF-8 sequence that `lead` starts (1 for a byte that starts none).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Why `line` does not convert: its first character that does not, as text the user can find.
std::string Unconvertible(std::string_view line) {
  std::string converted;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t length = std::min(SequenceLength(static_cast<unsigned char>(line[at])), line.size() - at);
    const std::string_view character = line.substr(at, length);
    if (!Utf8ToShiftJis(character, converted)) {
      if (length == 1 && static_cast<unsigned char>(character[0]) >= 0x80) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(character[0]));
        return std::string("byte ") + byte + " is not UTF-8";
      }
      return "'" + std::string(character) + "' cannot be held in Shift-JIS";
    }
    at += length;
  }
  return "this line does not convert to Shift-JIS";
}

}  // namespace

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
  std::string_view rest = text;
  const bool byteOrderMark = SkipByteOrderMark(rest);
  const TEncoding encoding = forced ? *forced : byteOrderMark || IsUtf8(rest) ? TEncoding::Utf8 : TEncoding::ShiftJis;
  if (encoding == TEncoding::Utf8) {
    std::string engineText;
    std::string converted;
    for (std::size_t lineNumber = 1; !rest.empty(); ++lineNumber) {
      const std::size_t end = std::min(rest.find('\n'), rest.size());
      const std::string_view line = rest.substr(0, end);
      if (!Utf8ToShiftJis(line, converted)) {
        report.Say(path + ":" + std::to_string(lineNumber) + ": " + Unconvertible(line));
        return false;
      }
      engineText.append(converted);
      if (end < rest.size()) engineText.push_back('\n');
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    text.swap(engineText);
  }
  TRuleFileError error;
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
