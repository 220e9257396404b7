#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/text_encoding.h"

enum class TCommand { None, Names, Copy, Undo, History };
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
  std::string Operand;  // RULES or JOURNAL; empty for history and undo --last
};

// Reads the arguments after the program's name. "--help" (or "-h") anywhere before "--" wins
// over everything else, then "--version"; options take their value as "--opt value" or
// "--opt=value"; "--" ends the options. False with `problem` set for a command line that cannot
// be used.
bool ParseCommandLine(const std::vector<std::string>& args, TCommandLine& line, std::string& problem);

// The usage text of --help, made from the table of options.
extern const std::string kUsage;
