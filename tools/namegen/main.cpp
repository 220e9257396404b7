#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "naming/generation.h"
#include "naming/validation.h"
#include "tools/namegen/rule_file.h"
#include "tools/namegen/utf8.h"

namespace {

constexpr int kRulesInvalid = 1;
constexpr int kFailure = 2;

const char kUsage[] =
    "usage: namegen [--join] [--source PATH] [--utf8] FILE\n"
    "Expands the rule file FILE ('-' reads standard input) and prints one name per line.\n"
    "  --join         join the names of the top-level rules position by position\n"
    "  --source PATH  end every name with the extension of PATH\n"
    "  --utf8         print Shift-JIS text as UTF-8\n";

struct TOptions {
  bool Join = false;
  bool Utf8 = false;
  std::string Source;
  std::vector<std::string> Files;
};

// Gathers lines into large blocks: a million names cost a few dozen writes, not a million. A
// block always ends at a line end, and LF is never the second byte of a Shift-JIS character, so
// converting block by block never cuts a character in two.
class TLineWriter {
 public:
  TLineWriter(std::FILE* file, bool utf8) : file_(file), utf8_(utf8) {}

  void Line(std::string_view text) {
    buffer_.append(text).push_back('\n');
    if (buffer_.size() >= kBlockSize) Flush();
  }

  void Flush() {
    if (buffer_.empty()) return;
    const std::string converted = utf8_ ? ShiftJisToUtf8(buffer_) : std::string();
    const std::string& bytes = utf8_ ? converted : buffer_;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() || std::fflush(file_) != 0) {
      throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
    }
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
  std::FILE* file_;
  bool utf8_;
  std::string buffer_;
};

class TCollectingSink : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  std::vector<std::string> Messages;
};

// Reads all of `path` ("-": standard input). Returns false with `problem` set when it cannot.
bool ReadInput(const std::string& path, std::string& text, std::string& problem) {
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

int Run(const TOptions& options, TLineWriter& out, TLineWriter& err) {
  const std::string& path = options.Files.front();
  std::string text;
  std::string problem;
  if (!ReadInput(path, text, problem)) {
    err.Line("namegen: " + problem);
    return kFailure;
  }
  TRuleTree tree;
  TRuleFileError error;
  if (!ParseRuleFile(text, tree, error)) {
    err.Line(path + ":" + std::to_string(error.Line) + ": " + error.Message);
    return kFailure;
  }
  TCollectingSink sink;
  if (!CheckCopyInfo(tree, sink)) {
    for (const std::string& message : sink.Messages) err.Line(message);
    return kRulesInvalid;
  }
  // The program's limit: a larger list is refused up front, since being killed half-way through
  // building it helps nobody, and a list within it that still does not fit ends in a message.
  if (const std::uint64_t count = NamesHeld(tree, options.Join); count > kMaxFileNames) {
    // The count stops at the largest 64-bit number; there it stands for that many or more.
    const bool saturated = count == std::numeric_limits<std::uint64_t>::max();
    err.Line("namegen: the rules make " + std::to_string(count) + (saturated ? " or more" : "") +
             " names; at most " + std::to_string(kMaxFileNames) + " fit in memory");
    return kFailure;
  }
  for (const std::string& name : MakeFileNames(tree, options.Join, options.Source)) out.Line(name);
  return 0;
}

// Returns false with `problem` set for a command line it cannot use.
bool ParseArguments(int argc, char** argv, TOptions& options, std::string& problem) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--join") {
      options.Join = true;
    } else if (arg == "--utf8") {
      options.Utf8 = true;
    } else if (arg == "--source") {
      if (++i == argc) {
        problem = "--source needs a PATH";
        return false;
      }
      options.Source = argv[i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      problem = "unknown option " + std::string(arg);
      return false;
    } else {
      options.Files.emplace_back(arg);
    }
  }
  if (options.Files.size() != 1) problem = options.Files.empty() ? "no FILE given" : "more than one FILE given";
  return problem.empty();
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Names are bytes: no CR added before each LF, and a rule file on standard input is read whole.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  TOptions options;
  std::string problem;
  if (!ParseArguments(argc, argv, options, problem)) {
    std::fprintf(stderr, "namegen: %s\n%s", problem.c_str(), kUsage);
    return kFailure;
  }
  TLineWriter out(stdout, options.Utf8);
  TLineWriter err(stderr, options.Utf8);
  try {
    const int status = Run(options, out, err);
    out.Flush();
    err.Flush();
    return status;
  } catch (const std::bad_alloc&) {
    std::fputs("namegen: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "namegen: %s\n", e.what());
  }
  return kFailure;
}
