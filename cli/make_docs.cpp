#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "tandelo_version.h"
#include "cli/bash_completion.h"
#include "cli/fish_completion.h"
#include "cli/man_page.h"
#include "cli/zsh_completion.h"

// Writes tandelo-cli's manual page or one of its shell completions, made from the command's own
// tables; the build runs it.
// Usage: tandelo-cli-docs man|bash-completion|zsh-completion|fish-completion FILE
int main(int argc, char** argv) {
  const std::string what = argc == 3 ? argv[1] : "";
  const std::string text = what == "man"               ? MakeManPage(TANDELO_VERSION_TEXT)
                           : what == "bash-completion" ? MakeBashCompletion()
                           : what == "zsh-completion"  ? MakeZshCompletion()
                           : what == "fish-completion" ? MakeFishCompletion()
                                                       : "";
  if (text.empty()) {
    std::fputs("usage: tandelo-cli-docs man|bash-completion|zsh-completion|fish-completion FILE\n", stderr);
    return 2;
  }
  // The tables are compiled as Shift-JIS; a manual page and a shell script want ASCII here.
  if (!std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::fputs("tandelo-cli-docs: the tables hold text that is not ASCII\n", stderr);
    return 1;
  }
  std::ofstream file(argv[2], std::ios::binary);
  if (!(file << text).flush()) {
    std::fprintf(stderr, "tandelo-cli-docs: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
