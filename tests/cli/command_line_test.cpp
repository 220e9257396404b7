#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

TEST(CommandLineTest, ReadsWhatEachFormSays) {
  struct TCase {
    const char* args;
    const char* operand;
    const char* source;
    bool join;
  };
  const TCase cases[] = {
      {"names --source a.txt r.rules", "r.rules", "a.txt", false},
      {"names --source=a.txt r.rules", "r.rules", "a.txt", false},
      {"names --source=a=b.txt --join r.rules", "r.rules", "a=b.txt", true},
      // After "--" an operand may look like an option, and "-" is standard input.
      {"names --source x -- --join", "--join", "x", false},
      {"names -", "-", "", false},
  };
  for (const TCase& c : cases) {
    TCommandLine line;
    std::string problem;
    ASSERT_TRUE(ParseCommandLine(Split(c.args), line, problem)) << c.args << ": " << problem;
    EXPECT_EQ(line.Operand, c.operand) << c.args;
    EXPECT_EQ(line.Source.value_or(""), c.source) << c.args;
    EXPECT_EQ(line.Join, c.join) << c.args;
  }
}

TEST(CommandLineTest, ShortOptionsAloneOrBundled) {
  for (const char* args : {"copy -n -q --source s --into d r", "copy -nq --source s --into d r",
                           "copy --source s -qn --into d r"}) {
    TCommandLine line;
    std::string problem;
    ASSERT_TRUE(ParseCommandLine(Split(args), line, problem)) << args << ": " << problem;
    EXPECT_TRUE(line.DryRun) << args;
    EXPECT_TRUE(line.Quiet) << args;
  }
  TCommandLine line;
  std::string problem;
  ASSERT_TRUE(ParseCommandLine(Split("-V"), line, problem));
  EXPECT_TRUE(line.Version);
}

TEST(CommandLineTest, HelpAloneIsTheUsageAndHelpRulesTheRuleFormat) {
  TCommandLine alone;
  std::string problem;
  ASSERT_TRUE(ParseCommandLine(Split("help"), alone, problem));
  EXPECT_TRUE(alone.Help);
  TCommandLine rules;
  ASSERT_TRUE(ParseCommandLine(Split("help rules"), rules, problem));
  EXPECT_FALSE(rules.Help);
  EXPECT_EQ(rules.Command, TCommand::Help);
  EXPECT_EQ(rules.Operand, "rules");
}

TEST(CommandLineTest, UsageFitsOneHundredColumns) {
  std::size_t start = 0;
  for (std::size_t end; (end = kUsage.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 100u) << kUsage.substr(start, end - start);
  }
}

TEST(CommandLineTest, HelpWinsAnywhereBeforeTheEndOfOptions) {
  for (const char* args : {"--help", "copy --into x --bogus --help", "names -h", "copy -nh", "--version --help"}) {
    TCommandLine line;
    std::string problem;
    ASSERT_TRUE(ParseCommandLine(Split(args), line, problem)) << args;
    EXPECT_TRUE(line.Help) << args;
  }
  TCommandLine line;
  std::string problem;
  EXPECT_TRUE(ParseCommandLine(Split("names -- --help"), line, problem));
  EXPECT_FALSE(line.Help);
  EXPECT_EQ(line.Operand, "--help");
}

TEST(CommandLineTest, RefusesWhatCannotBeUsed) {
  struct TCase {
    const char* args;
    const char* problem;
  };
  const TCase cases[] = {
      {"", "no command given"},
      {"list r.rules", "unknown command 'list'"},
      {"names --into d r.rules", "--into does not apply to names"},
      {"undo --journal j j2", "--journal does not apply to undo"},
      {"names --source", "--source needs a value"},
      {"names --join=yes r.rules", "--join takes no value"},
      {"copy --into d r.rules", "copy needs --source PATH"},
      {"copy --source s r.rules", "copy needs --into FOLDER"},
      {"copy --source s --into d --on-failure=retry r.rules", "--on-failure takes ask, skip or stop"},
      {"names --encoding latin1 r.rules", "--encoding takes shift-jis or utf-8"},
      {"names a.rules b.rules", "more than one RULES given"},
      {"undo", "no JOURNAL or --last given"},
      // A journal is chosen one way only: the file, or the newest run; a given one, or none.
      {"undo --last j", "undo takes JOURNAL or --last, not both"},
      {"copy --source s --into d --no-journal --journal j r.rules", "--journal and --no-journal cannot be given"},
      {"copy --source s --into d --last r.rules", "--last does not apply to copy"},
      {"history r.rules", "history takes no operand"},
      {"names --json -0 r.rules", "--json and --null cannot be given together"},
      {"copy -nx --source s --into d r", "unknown option -x"},
      {"names -q r.rules", "-q does not apply to names"},
      {"help bogus", "help takes rules, not 'bogus'"},
      {"help rules more", "more than one TOPIC given"},
  };
  for (const TCase& c : cases) {
    TCommandLine line;
    std::string problem;
    EXPECT_FALSE(ParseCommandLine(Split(c.args), line, problem)) << c.args;
    EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << c.args << ": " << problem;
  }
}

TEST(CommandLineTest, UndoTakesTheLastRunInsteadOfAJournal) {
  TCommandLine line;
  std::string problem;
  ASSERT_TRUE(ParseCommandLine(Split("undo --dry-run --last"), line, problem)) << problem;
  EXPECT_TRUE(line.Last);
  EXPECT_EQ(line.Operand, "");
  EXPECT_NE(kUsage.find("[--last]"), std::string::npos) << kUsage;
  EXPECT_NE(kUsage.find("[JOURNAL]\n"), std::string::npos) << kUsage;
  EXPECT_NE(kUsage.find("[--journal FILE] [--no-journal]"), std::string::npos) << kUsage;
}

// Each command says how it ends, once: done, a usage error, and a closed pipe at least; commands
// that end alike are told together.
TEST(CommandLineTest, EveryCommandHasItsOwnExitStatuses) {
  std::string told;
  for (const TExitGroup& group : ExitGroups()) {
    std::vector<int> codes;
    for (const TExitStatus* status : group.Statuses) codes.push_back(status->Code);
    for (const int needed : {0, 2, 141}) {
      EXPECT_NE(std::find(codes.begin(), codes.end(), needed), codes.end()) << group.Commands << " lacks " << needed;
    }
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end())) << group.Commands;
    EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end()) << group.Commands << " tells a status twice";
    told += group.Commands + ", ";
  }
  EXPECT_EQ(told, "names and help, copy, undo, history, ");
  EXPECT_NE(kUsage.find("\nExit status of undo:\n  0 "), std::string::npos) << kUsage;
}

}  // namespace
