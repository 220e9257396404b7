#include "cli/rule_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "naming/mbcs.h"
#include "naming/text_codes.h"
#include "cli/text_encoding.h"

namespace {

// Thrown while reading one line; ParseRuleFile adds the line number.
struct TBadLine {
  std::string Message;
};

struct TToken {
  bool Quoted;
  std::string Text;
};

struct TRuleSyntax {
  std::string_view Keyword;
  TCopyKind Kind;
  int ArgCount;  // -1: any number
  bool QuotedArgs;
  const char* Usage;
  const char* Pieces;  // what the rule makes, for the format's description
};

constexpr TRuleSyntax kRules[] = {
    {"number", ckNumber, 2, false, "number FROM TO", "every number from FROM to TO (32-bit signed)"},
    {"alphabet", ckAlphabet, 2, true, "alphabet \"FROM\" \"TO\"", "every letter from FROM to TO (a-z, then A-Z)"},
    {"fixed", ckFixString, 1, true, "fixed \"TEXT\"", "one fixed text"},
    {"any", ckAnyString, -1, true, "any \"LINE\" ...", "each string, empty ones included"},
};

const char kNulInAString[] = "a NUL (\\x00) in a string: no name can hold one";

// Bytes written as \xHH, which are bytes of Shift-JIS whatever the run's text is, so that a rule
// file means the same names in either encoding: in a run in UTF-8 each stretch of them becomes the
// characters it writes. A stretch that is no text of Shift-JIS is refused there.
class TEscapedBytes {
 public:
  explicit TEscapedBytes(TEncoding encoding) : encoding_(encoding) {}
  void Add(char byte) { bytes_.push_back(byte); }
  // Puts the stretch into `result`, as the run's text.
  void MoveTo(std::string& result) {
    if (bytes_.empty()) return;
    std::string converted;
    if (!Convert(bytes_, TEncoding::ShiftJis, encoding_, converted) ||
        (encoding_ == TEncoding::Utf8 && FirstNonShiftJis(bytes_) != std::string::npos)) {
      std::string written;
      for (const char byte : bytes_) {
        written += "\\x" + std::string{HexDigit(static_cast<unsigned char>(byte) >> 4), HexDigit(byte)};
      }
      throw TBadLine{written + " is not Shift-JIS text (\\xHH writes a byte of Shift-JIS; --encoding shift-jis "
                               "takes any bytes)"};
    }
    result += converted;
    bytes_.clear();
  }

 private:
  TEncoding encoding_;
  std::string bytes_;
};

// Reads the string whose opening quote is at `pos`, leaving `pos` after the closing quote.
std::string ReadQuoted(std::string_view text, std::size_t& pos, TEncoding encoding) {
  std::string result;
  TEscapedBytes escaped(encoding);
  ++pos;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == '\0') throw TBadLine{kNulInAString};
    const bool escape = c == '\\' && pos < text.size();
    if (!escape || text[pos] != 'x') escaped.MoveTo(result);
    if (c == '"') return result;
    if (c != '\\') {
      // No byte of a character of several is a quote or a backslash: in Shift-JIS the second byte
      // of a character such as 表 is the byte of "\".
      const std::size_t length = CharLength(text, pos - 1, encoding);
      result.append(text.substr(pos - 1, length));
      pos += length - 1;
      continue;
    }
    if (!escape) break;
    const char kind = text[pos++];
    if (kind == '"' || kind == '\\') {
      result.push_back(kind);
    } else if (kind == 'x' && pos + 1 < text.size() && HexDigitValue(text[pos]) >= 0 &&
               HexDigitValue(text[pos + 1]) >= 0) {
      const char byte = static_cast<char>(HexDigitValue(text[pos]) * 16 + HexDigitValue(text[pos + 1]));
      // A NUL ends a name for the system, and splits it in two where names are listed apart by NULs.
      if (byte == '\0') throw TBadLine{kNulInAString};
      escaped.Add(byte);
      pos += 2;
    } else {
      throw TBadLine{"bad escape in a string (use \\\", \\\\ or \\xHH with two hex digits)"};
    }
  }
  throw TBadLine{"unterminated string"};
}

std::vector<TToken> Tokenize(std::string_view text, TEncoding encoding) {
  std::vector<TToken> tokens;
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    // A "#" that starts a word begins a comment; inside quotes it is text.
    if (pos == text.size() || text[pos] == '#') return tokens;
    if (text[pos] == '"') {
      tokens.push_back({true, ReadQuoted(text, pos, encoding)});
      if (pos < text.size() && text[pos] != ' ') throw TBadLine{"expected a space after the closing quote"};
    } else {
      const std::size_t end = std::min(text.find(' ', pos), text.size());
      tokens.push_back({false, std::string(text.substr(pos, end - pos))});
      pos = end;
    }
  }
}

std::int32_t ToInt32(const std::string& word) {
  std::int32_t value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, status] = std::from_chars(word.data(), end, value);
  if (status == std::errc::result_out_of_range) throw TBadLine{"number outside the 32-bit range: " + word};
  if (status != std::errc() || stop != end) throw TBadLine{"not a number: " + word};
  return value;
}

// The width a number rule pads to: where a bound is written with a leading zero ("01", "-05", but
// not "0" or "-0"), the longer bound as written, sign included, as a shell's "{01..12}" pads.
std::size_t PadWidth(const std::string& from, const std::string& to) {
  const auto zeroLed = [](const std::string& bound) {
    const std::size_t sign = !bound.empty() && bound[0] == '-' ? 1 : 0;
    return bound.size() > sign + 1 && bound[sign] == '0';
  };
  return zeroLed(from) || zeroLed(to) ? std::max(from.size(), to.size()) : 0;
}

TCopyInfo ParseRule(std::string_view text, TEncoding encoding) {
  std::vector<TToken> tokens = Tokenize(text, encoding);
  const TToken& keyword = tokens.front();
  const auto syntax = std::find_if(std::begin(kRules), std::end(kRules), [&](const TRuleSyntax& rule) {
    return !keyword.Quoted && keyword.Text == rule.Keyword;
  });
  if (syntax == std::end(kRules)) {
    throw TBadLine{"unknown rule \"" + keyword.Text + "\" (a rule is number, alphabet, fixed or any)"};
  }
  const bool countFits = syntax->ArgCount < 0 || tokens.size() - 1 == static_cast<std::size_t>(syntax->ArgCount);
  const bool kindsFit = std::all_of(tokens.begin() + 1, tokens.end(),
                                    [&](const TToken& token) { return token.Quoted == syntax->QuotedArgs; });
  if (!countFits || !kindsFit) throw TBadLine{std::string("expected ") + syntax->Usage};

  TCopyInfo info;
  info.Kind = syntax->Kind;
  switch (info.Kind) {
    case ckNumber:
      info.NumFrom = ToInt32(tokens[1].Text);
      info.NumTo = ToInt32(tokens[2].Text);
      info.NumWidth = PadWidth(tokens[1].Text, tokens[2].Text);
      break;
    case ckAlphabet:
      info.ALFrom = tokens[1].Text;
      info.ALTo = tokens[2].Text;
      break;
    case ckFixString:
      info.FixString = tokens[1].Text;
      break;
    case ckAnyString:
      for (std::size_t i = 1; i < tokens.size(); ++i) info.AnyStrings.push_back(std::move(tokens[i].Text));
      break;
  }
  return info;
}

// `parents[k]` is where a rule at level k goes: the root, then the last rule read at each level.
// True when the line held a rule.
bool ReadLine(std::string_view line, TEncoding encoding, TRuleTree& tree, std::vector<TRuleNode*>& parents) {
  const std::size_t indent = line.find_first_not_of(" \t");
  if (indent == std::string_view::npos || line[indent] == '#') return false;
  if (line.substr(0, indent).find('\t') != std::string_view::npos) throw TBadLine{"tab in the indentation"};
  if (indent % 2 != 0) throw TBadLine{"indentation is not a multiple of two spaces"};
  const std::size_t level = indent / 2;
  if (level >= parents.size()) {
    throw TBadLine{parents.size() == 1 ? "the first rule must not be indented"
                                       : "indented more than one level deeper than the rule before"};
  }
  const TCopyInfo info = ParseRule(line.substr(indent), encoding);
  TRuleNode& node = tree.AddRule(*parents[level]);
  *node.Data() = info;
  parents.resize(level + 1);
  parents.push_back(&node);
  return true;
}

}  // namespace

bool ParseRuleFile(std::string_view text, TEncoding encoding, TRuleTree& tree, TRuleFileError& error,
                   std::vector<std::size_t>* ruleLines) {
  std::vector<TRuleNode*> parents{&tree.Root()};
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    try {
      if (ReadLine(line, encoding, tree, parents) && ruleLines) ruleLines->push_back(lineNumber);
    } catch (const TBadLine& bad) {
      error = {lineNumber, bad.Message};
      return false;
    }
  }
  return true;
}

std::string RuleFileFormat() {
  std::string text =
      "A rule file holds one rule per line, nested by two spaces of indentation per level, each\n"
      "rule at most one level deeper than the rule before it. Along each path from a top-level\n"
      "rule down to a leaf the rules' pieces combine, each piece of a rule before every name\n"
      "below it, and the source file's extension ends every name. With --join the names of the\n"
      "top-level rules are joined position by position instead. The rules:\n"
      "\n";
  for (const TRuleSyntax& rule : kRules) {
    std::string usage = std::string("  ") + rule.Usage;
    usage.resize(std::max<std::size_t>(usage.size() + 2, 24), ' ');
    text += usage + rule.Pieces + "\n";
  }
  return text +
         "\n"
         "A \"#\" at the start of a line, or at the start of a word after a rule (not inside\n"
         "quotes), starts a comment; blank lines are skipped. Quoted strings take \\\", \\\\ and\n"
         "\\xHH (a byte of Shift-JIS, never \\x00: no name holds a NUL; in a run in UTF-8 a stretch\n"
         "of them is the Shift-JIS text it writes).\n"
         "\n"
         "A byte-order mark decides a rule file's encoding: UTF-8, or UTF-16 (as Windows\n"
         "PowerShell 5.1 writes with >). Without one, text valid as UTF-8 is UTF-8, and other text\n"
         "is Shift-JIS, unless it reads as UTF-8 with stray bytes in it. A byte that is not of the\n"
         "encoding so found is refused with its line and column. The names are made in UTF-8, any\n"
         "character Unicode has; with --encoding shift-jis, which also reads the rule file as\n"
         "Shift-JIS, in Shift-JIS, and a character it cannot hold is refused.\n"
         "A rule file given as '-' is read from standard input.\n"
         "\n"
         "A number bound written with a leading zero (01, -05; 0 and -0 alone have none) pads\n"
         "every number with zeros after its sign to the length of the longer bound as written,\n"
         "as bash pads {8..010}: number 8 010 makes 008, 009 and 010.\n"
         "\n"
         "With --source report.txt, this rule file:\n"
         "\n"
         "  number 1 2            # every number from 1 to 2\n"
         "    alphabet \"a\" \"b\"    # below it: every letter from a to b\n"
         "  fixed \"X\"             # one fixed text\n"
         "\n"
         "makes 1a.txt, 1b.txt, 2a.txt, 2b.txt and X.txt.\n";
}
