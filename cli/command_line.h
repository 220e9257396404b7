#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/text_encoding.h"

enum class TCommand { None, Names, Copy, Undo, History, Help };
enum class TOnFailure { Default, Ask, Skip, Stop };

struct TCommandLine {
  bool Help = false;
  bool Version = false;
  TCommand Command = TCommand::None;
  bool Join = false;
  bool DryRun = false;
  bool Quiet = false;
  std::optional<std::string> Source;
  std::optional<std::string> Into;
  std::optional<std::string> Journal;
  bool NoJournal = false;
  bool Last = false;  // undo the newest run not yet undone
  bool Null = false;  // names and listed paths end with a NUL instead of a line end
  bool Json = false;  // one JSON object a line on standard output, for scripts
  std::optional<TEncoding> Encoding;
  TOnFailure OnFailure = TOnFailure::Default;
  std::string Operand;  // RULES, JOURNAL or help's TOPIC; empty when left out (undo --last, history)
};

// What a value or an operand names, for the shell's completion.
enum class TCompletes { Nothing, File, Folder };

// One row per option: what parsing, the usage text, the manual page and the shell's completion
// are made from.
struct TOption {
  std::string_view Name;
  char Short;                              // the letter of its short form ('n': -n); 0 for none
  std::string_view Value;                  // the value's name in the help; empty for a flag
  std::vector<std::string_view> Choices;   // the values it takes, when they are few
  TCompletes Completes;                    // what the value is, when it has no choices
  std::vector<TCommand> Commands;          // the commands it applies to; none: it stands alone
  std::vector<TCommand> Required;          // the commands that need it
  std::string_view Help;                   // "\n" continues it on the next line
  void (*Set)(TCommandLine& line, const std::string& value);
  std::string_view Excludes = {};          // an option it cannot be given with
  bool InsteadOfOperand = false;           // given, the command takes no operand
};

struct TCommandRow {
  TCommand Command;
  std::string_view Name;
  std::string_view Operand;
  std::vector<std::string_view> OperandChoices;  // the operands it takes, when they are few
  bool OperandOptional;
  TCompletes Completes;
  std::string_view Help;
};

// The command's exit statuses, named once; what each means to each command is in kExitStatuses,
// from which --help and the manual page say it.
enum TExitCode : int {
  kExitDone = 0,
  kExitSomeLeft = 1,       // names skipped (copy), files kept (undo), journals unread (history)
  kExitUsage = 2,          // nothing touched: a usage or rule-file error, or what could not start
  kExitStopped = 3,        // a copy or an undo stopped part-way
  kExitOutputClosed = 141  // standard output closed under the command, as a shell reports SIGPIPE
};

struct TExitStatus {
  TExitCode Code;
  std::vector<TCommand> Commands;  // the commands that end with it in this sense
  std::string_view Meaning;        // "\n" continues it on the next line
};

// The exit statuses of some commands, which end with the same ones.
struct TExitGroup {
  std::string Commands;                    // "names and help"
  std::vector<const TExitStatus*> Statuses;  // by code
};
// The commands' exit statuses, a group for each set of commands that share all of theirs, in the
// order of the commands.
std::vector<TExitGroup> ExitGroups();

// The files the command reads or writes beyond its operands, for the manual page.
struct TFileRow {
  std::string_view Path;
  std::string_view Meaning;  // "\n" continues it on the next line
};

// Options that stand alone (--help, --version) win over each other in the order of the table.
extern const std::vector<TOption> kOptions;
extern const std::vector<TCommandRow> kCommands;
extern const std::vector<TExitStatus> kExitStatuses;
extern const std::vector<TFileRow> kFiles;

bool AppliesTo(const TOption& option, TCommand command);

// One word of a command's synopsis: an option that applies to it, or its operand (no name).
struct TSynopsisWord {
  bool Optional;
  std::string_view Name;
  std::vector<std::string_view> Choices;  // the values it takes, or else
  std::string_view Placeholder;           // the name of its value; both empty for a flag
};
std::vector<TSynopsisWord> Synopsis(const TCommandRow& command);

// Reads the arguments after the program's name. An option that stands alone ("--help", "-h",
// then "--version", "-V") anywhere before "--" wins over everything else; options take their
// value as "--opt value" or "--opt=value"; short flags may be bundled ("-nq"); "--" ends the
// options. "help" without a topic is "--help". False with `problem` set for a command line that
// cannot be used.
bool ParseCommandLine(const std::vector<std::string>& args, TCommandLine& line, std::string& problem);

// The usage text of --help, made from the tables.
extern const std::string kUsage;
