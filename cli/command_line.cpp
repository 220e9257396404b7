#include "cli/command_line.h"

#include <algorithm>

const std::vector<TOption> kOptions = {
    {"--join", 0, {}, {}, TCompletes::Nothing, {TCommand::Names, TCommand::Copy}, {},
     "join the names of the top-level rules position by position",
     [](TCommandLine& line, const std::string&) { line.Join = true; }},
    {"--source", 0, "PATH", {}, TCompletes::File, {TCommand::Names, TCommand::Copy}, {TCommand::Copy},
     "the file to copy; every name ends with its extension",
     [](TCommandLine& line, const std::string& value) { line.Source = value; }},
    {"--into", 0, "FOLDER", {}, TCompletes::Folder, {TCommand::Copy}, {TCommand::Copy},
     "the folder the copies go into (it must exist)",
     [](TCommandLine& line, const std::string& value) { line.Into = value; }},
    {"--on-failure", 0, "MODE", {"ask", "skip", "stop"}, TCompletes::Nothing, {TCommand::Copy}, {},
     "when a name cannot be copied: ask (y skips it, n stops, a skips it and\n"
     "every later one; the default when standard input is a terminal), skip,\n"
     "or stop (the default otherwise)",
     [](TCommandLine& line, const std::string& value) {
       line.OnFailure = value == "ask" ? TOnFailure::Ask : value == "skip" ? TOnFailure::Skip : TOnFailure::Stop;
     }},
    {"--dry-run", 'n', {}, {}, TCompletes::Nothing, {TCommand::Copy, TCommand::Undo}, {},
     "say what would happen to each name or file, and touch nothing",
     [](TCommandLine& line, const std::string&) { line.DryRun = true; }},
    {"--journal", 0, "FILE", {}, TCompletes::File, {TCommand::Copy}, {},
     "record every copy in FILE (a new file), for undo, instead of a new\n"
     "journal in the state folder (see Files)",
     [](TCommandLine& line, const std::string& value) { line.Journal = value; }},
    {"--no-journal", 0, {}, {}, TCompletes::Nothing, {TCommand::Copy}, {}, "record nothing: the run cannot be undone",
     [](TCommandLine& line, const std::string&) { line.NoJournal = true; }, "--journal"},
    {"--last", 0, {}, {}, TCompletes::Nothing, {TCommand::Undo}, {},
     "undo the newest run of the state folder not yet undone, instead of\nJOURNAL",
     [](TCommandLine& line, const std::string&) { line.Last = true; }, {}, true},
    {"--json", 0, {}, {}, TCompletes::Nothing, {TCommand::Names, TCommand::Copy, TCommand::Undo}, {},
     "one JSON object a line on standard output, its texts UTF-8: each name,\n"
     "each name of a copy or dry run, each file of an undo, then a summary",
     [](TCommandLine& line, const std::string&) { line.Json = true; }},
    {"--null", '0', {}, {}, TCompletes::Nothing, {TCommand::Names, TCommand::Copy, TCommand::Undo}, {},
     "end each name printed, and each line a dry run or undo lists, with a NUL\n"
     "instead of a line end",
     [](TCommandLine& line, const std::string&) { line.Null = true; }, "--json"},
    {"--quiet", 'q', {}, {}, TCompletes::Nothing, {TCommand::Copy}, {}, "no progress line",
     [](TCommandLine& line, const std::string&) { line.Quiet = true; }},
    {"--encoding", 0, "ENC", {"shift-jis", "utf-8"}, TCompletes::Nothing, {TCommand::Names, TCommand::Copy}, {},
     "rule files, printed text and, on Linux, the files' names in ENC (default:\n"
     "a rule file as its byte-order mark or its text shows, see help rules;\n"
     "the rest utf-8 on Linux, shift-jis on Windows)",
     [](TCommandLine& line, const std::string& value) {
       line.Encoding = value == "utf-8" ? TEncoding::Utf8 : TEncoding::ShiftJis;
     }},
    {"--help", 'h', {}, {}, TCompletes::Nothing, {}, {}, "print the usage and end",
     [](TCommandLine& line, const std::string&) { line.Help = true; }},
    {"--version", 'V', {}, {}, TCompletes::Nothing, {}, {}, "print the version and end",
     [](TCommandLine& line, const std::string&) { line.Version = true; }},
};

const std::vector<TCommandRow> kCommands = {
    {TCommand::Names, "names", "RULES", {}, false, TCompletes::File,
     "prints the names the rule file RULES makes, one a line\n('-' reads standard input)"},
    {TCommand::Copy, "copy", "RULES", {}, false, TCompletes::File,
     "copies PATH into FOLDER once per name, never over an existing file,\n"
     "and ends with a line of how many names were copied, skipped and not tried"},
    {TCommand::Undo, "undo", "JOURNAL", {}, false, TCompletes::File,
     "removes the files a copy's journal proves it made and that are unchanged"},
    {TCommand::History, "history", "", {}, true, TCompletes::Nothing,
     "lists the runs in the state folder, newest first, a line a run, its fields\n"
     "separated by tabs: TIME (local, 2026-12-08T20:05:12.123+09:00), STATE (-,\n"
     "running, undone or unreadable), COPIES, FOLDER and JOURNAL; control\n"
     "characters and % in paths as %HH; an unreadable journal's COPIES and\n"
     "FOLDER are ?, and why goes to standard error"},
    {TCommand::Help, "help", "TOPIC", {"rules"}, true, TCompletes::Nothing,
     "prints the usage, or with rules the format of a rule file"},
};

const std::vector<TExitStatus> kExitStatuses = {
    {kExitDone, {TCommand::Names, TCommand::History, TCommand::Help}, "done"},
    {kExitDone, {TCommand::Copy}, "every name copied"},
    {kExitDone, {TCommand::Undo}, "every file removed (or gone already), and a run of the state folder\nmarked undone"},
    {kExitSomeLeft, {TCommand::Copy}, "some names skipped, each listed on standard error"},
    {kExitSomeLeft, {TCommand::Undo},
     "some files kept, the run's folder moved or replaced (nothing removed),\nor the run could not be marked undone"},
    {kExitSomeLeft, {TCommand::History}, "some journals or marks could not be read or trusted, each said on\nstandard error"},
    {kExitUsage, {TCommand::Names, TCommand::Help},
     "a usage or rule-file error, output that cannot be written, or another\nfailure (out of memory), said on standard error"},
    {kExitUsage, {TCommand::Copy},
     "a usage or rule-file error, a source or folder that cannot be used, a\n"
     "journal that cannot be started or a state folder not to be trusted, or\n"
     "a dry run's output that cannot be written; nothing touched"},
    {kExitUsage, {TCommand::Undo},
     "a usage error, a journal that cannot be read or trusted, a state folder\n"
     "or mark not to be trusted, no run left for --last, a run still copying,\n"
     "another undo of the run under way, or a dry run's output that cannot be\n"
     "written; nothing removed"},
    {kExitUsage, {TCommand::History},
     "a usage error, a state folder that cannot be read or trusted, output that\ncannot be written, or another failure (out of memory), said on standard\nerror"},
    {kExitStopped, {TCommand::Copy},
     "the run stopped: by the answer n or --on-failure stop, by a journal that\n"
     "can no longer be written, or by output that cannot be written; its last\n"
     "line, with the journal, still goes to standard error"},
    {kExitStopped, {TCommand::Undo},
     "output that cannot be written stopped the undo at once: what it removed,\n"
     "and that the run is not marked undone, go to standard error"},
    {kExitOutputClosed, {TCommand::Names, TCommand::History, TCommand::Help}, "standard output closed (a closed pipe)"},
    {kExitOutputClosed, {TCommand::Copy}, "standard output closed (a closed pipe): the run stopped at once, as for 3"},
    {kExitOutputClosed, {TCommand::Undo}, "standard output closed (a closed pipe): the undo stopped at once, as for 3"},
};

const std::vector<TFileRow> kFiles = {
    {"$XDG_STATE_HOME/tandelo-cli/",
     "the state folder on Linux (~/.local/state/tandelo-cli/ without XDG_STATE_HOME),\n"
     "yours alone (undo, history and copy refuse one that others may write): a new\n"
     "journal for each copy that is not a dry run, unless --journal or --no-journal,\n"
     "named by the run's number and the time it began (NNNNNN-YYYYMMDD-HHMMSS-mmm.journal,\n"
     "UTC); undo marks a run undone with an empty file beside its journal (.undone)"},
    {"%LOCALAPPDATA%\\Tandelo\\journals\\", "the state folder on Windows, the same way"},
    {"the FILE of --journal",
     "the journal of a copy: its folder and every copy made, with what identifies each\n"
     "file; made new, writable by its owner only, and read by undo"},
};

namespace {

// "a", "a or b", "a, b or c" (or with `last` for " or ").
template <class TWords>
std::string Listed(const TWords& words, const char* last = " or ") {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? last : ", ";
    text += words[i];
  }
  return text;
}

bool Requires(TCommand command, const TOption& option) {
  return std::find(option.Required.begin(), option.Required.end(), command) != option.Required.end();
}

}  // namespace

bool AppliesTo(const TOption& option, TCommand command) {
  return std::find(option.Commands.begin(), option.Commands.end(), command) != option.Commands.end();
}

std::vector<TExitGroup> ExitGroups() {
  std::vector<TExitGroup> groups;
  std::vector<std::vector<std::string_view>> names;  // of each group's commands
  for (const TCommandRow& command : kCommands) {
    std::vector<const TExitStatus*> statuses;
    for (const TExitStatus& status : kExitStatuses) {
      if (std::find(status.Commands.begin(), status.Commands.end(), command.Command) != status.Commands.end()) {
        statuses.push_back(&status);
      }
    }
    const auto same = std::find_if(groups.begin(), groups.end(),
                                   [&](const TExitGroup& group) { return group.Statuses == statuses; });
    if (same != groups.end()) {
      names[same - groups.begin()].push_back(command.Name);
    } else {
      groups.push_back({{}, statuses});
      names.push_back({command.Name});
    }
  }
  for (std::size_t i = 0; i < groups.size(); ++i) groups[i].Commands = Listed(names[i], " and ");
  return groups;
}

std::vector<TSynopsisWord> Synopsis(const TCommandRow& command) {
  std::vector<TSynopsisWord> words;
  bool operandOptional = command.OperandOptional;
  for (const TOption& option : kOptions) {
    if (!AppliesTo(option, command.Command)) continue;
    words.push_back({!Requires(command.Command, option), option.Name, option.Choices,
                     option.Choices.empty() ? option.Value : ""});
    operandOptional = operandOptional || option.InsteadOfOperand;
  }
  if (!command.Operand.empty()) {
    words.push_back({operandOptional, "", command.OperandChoices,
                     command.OperandChoices.empty() ? command.Operand : ""});
  }
  return words;
}

namespace {

constexpr std::size_t kUsageWidth = 100;
constexpr std::size_t kOptionColumn = 26;  // wide enough for "--on-failure MODE"
constexpr std::size_t kShortColumn = 10;   // for the commands and the exit statuses


std::string CommandNames() {
  std::vector<std::string_view> names;
  for (const TCommandRow& command : kCommands) names.push_back(command.Name);
  return Listed(names);
}

// "-n, --dry-run", or "--join".
std::string OptionNames(const TOption& option) {
  return option.Short ? std::string{'-', option.Short} + ", " + std::string(option.Name) : std::string(option.Name);
}

// `head`, then `help` from `column` on, each "\n" of it starting a new line there.
std::string Entry(std::string head, std::string_view help, std::size_t column) {
  head.resize(std::max(head.size() + 1, column), ' ');
  std::string text;
  for (std::size_t end; (end = help.find('\n')) != std::string_view::npos; help.remove_prefix(end + 1)) {
    text += head + std::string(help.substr(0, end)) + "\n";
    head.assign(column, ' ');
  }
  return text + head + std::string(help) + "\n";
}

std::string MakeUsage() {
  std::size_t nameWidth = 0;
  for (const TCommandRow& command : kCommands) nameWidth = std::max(nameWidth, command.Name.size());
  std::string text;
  for (const TCommandRow& command : kCommands) {
    std::string line = std::string(text.empty() ? "usage: " : "       ") + "tandelo-cli " + std::string(command.Name);
    line.resize(line.size() + nameWidth - command.Name.size(), ' ');
    const std::size_t indent = line.size() + 1;
    for (const TSynopsisWord& synopsis : Synopsis(command)) {
      std::string word(synopsis.Name);
      if (!word.empty() && (!synopsis.Choices.empty() || !synopsis.Placeholder.empty())) word += " ";
      std::string choices;
      for (const std::string_view choice : synopsis.Choices) choices.append(choices.empty() ? "" : "|").append(choice);
      word += choices + std::string(synopsis.Placeholder);
      if (synopsis.Optional) word = "[" + word + "]";
      if (line.size() + 1 + word.size() > kUsageWidth) {
        text += line + "\n";
        line.assign(indent - 1, ' ');
      }
      line += " " + word;
    }
    text += line + "\n";
  }
  std::string alone;
  for (const TOption& option : kOptions) {
    if (option.Commands.empty()) alone += (alone.empty() ? "" : " | ") + std::string(option.Name);
  }
  text += "       tandelo-cli " + alone + "\n\n";
  for (const TCommandRow& command : kCommands) text += Entry("  " + std::string(command.Name), command.Help, kShortColumn);
  text += "\n";
  for (const TOption& option : kOptions) {
    const std::string names = (option.Short ? "  " : "      ") + OptionNames(option);
    text += Entry(names + (option.Value.empty() ? "" : " " + std::string(option.Value)), option.Help, kOptionColumn);
  }
  for (const TExitGroup& group : ExitGroups()) {
    text += "\nExit status of " + group.Commands + ":\n";
    for (const TExitStatus* status : group.Statuses) {
      text += Entry("  " + std::to_string(status->Code), status->Meaning, kShortColumn);
    }
  }
  text += "\nFiles:\n";
  for (const TFileRow& file : kFiles) text += "  " + std::string(file.Path) + "\n" + Entry("", file.Meaning, 6);
  text += "\n'tandelo-cli help rules' tells how to write a rule file.\n";
  return text;
}

const TCommandRow& RowOf(TCommand command) {
  return *std::find_if(kCommands.begin(), kCommands.end(), [&](const TCommandRow& row) { return row.Command == command; });
}

const TOption* ShortOption(char letter) {
  const auto option = std::find_if(kOptions.begin(), kOptions.end(),
                                   [&](const TOption& known) { return known.Short != 0 && known.Short == letter; });
  return option == kOptions.end() ? nullptr : &*option;
}

// "-n", or flags bundled as "-nq".
bool IsShortFlags(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && arg[1] != '-' && std::all_of(arg.begin() + 1, arg.end(), [](char letter) {
           const TOption* option = ShortOption(letter);
           return option && option->Value.empty();
         });
}

bool Mentions(const std::string& arg, const TOption& option) {
  return arg == option.Name || (option.Short && IsShortFlags(arg) && arg.find(option.Short, 1) != std::string::npos);
}

}  // namespace

const std::string kUsage = MakeUsage();

bool ParseCommandLine(const std::vector<std::string>& args, TCommandLine& line, std::string& problem) {
  const auto optionsEnd = std::find(args.begin(), args.end(), "--");
  for (const TOption& option : kOptions) {
    if (!option.Commands.empty()) continue;
    if (std::any_of(args.begin(), optionsEnd, [&](const std::string& arg) { return Mentions(arg, option); })) {
      option.Set(line, "");
      return true;
    }
  }
  std::vector<std::string> operands;
  std::vector<const TOption*> given;
  // Checks one option as given (`name` as the user wrote it) and sets it, taking its value from
  // `attached` or else from the next argument.
  const auto use = [&](const TOption& option, const std::string& name, const std::string* attached,
                       std::size_t& i) {
    if (line.Command == TCommand::None && !option.Commands.empty()) {
      problem = "a command (" + CommandNames() + ") comes before " + name;
      return false;
    }
    if (!option.Commands.empty() && !AppliesTo(option, line.Command)) {
      problem = name + " does not apply to " + std::string(RowOf(line.Command).Name);
      return false;
    }
    std::string value;
    if (!option.Value.empty()) {
      if (attached) {
        value = *attached;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        problem = name + " needs a value";
        return false;
      }
    } else if (attached) {
      problem = name + " takes no value";
      return false;
    }
    if (!option.Choices.empty() && std::find(option.Choices.begin(), option.Choices.end(), value) == option.Choices.end()) {
      problem = name + " takes " + Listed(option.Choices) + ", not '" + value + "'";
      return false;
    }
    option.Set(line, value);
    given.push_back(&option);
    return true;
  };
  bool optionsOver = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsOver || arg == "-" || arg.rfind("-", 0) != 0) {
      if (line.Command == TCommand::None) {
        for (const TCommandRow& command : kCommands) {
          if (arg == command.Name) line.Command = command.Command;
        }
        if (line.Command == TCommand::None) {
          problem = "unknown command '" + arg + "' (a command is " + CommandNames() + ")";
          return false;
        }
      } else {
        operands.push_back(arg);
      }
    } else if (arg == "--") {
      optionsOver = true;
    } else if (arg.rfind("--", 0) == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      const std::string value = equals == std::string::npos ? "" : arg.substr(equals + 1);
      const auto option = std::find_if(kOptions.begin(), kOptions.end(),
                                       [&](const TOption& known) { return known.Name == name; });
      if (option == kOptions.end()) {
        problem = "unknown option " + name;
        return false;
      }
      if (!use(*option, name, equals == std::string::npos ? nullptr : &value, i)) return false;
    } else {
      // Short options, bundled or not; one that takes a value takes the rest of the word, if any.
      for (std::size_t at = 1; at < arg.size(); ++at) {
        const std::string name{'-', arg[at]};
        const TOption* option = ShortOption(arg[at]);
        if (!option) {
          problem = "unknown option " + name;
          return false;
        }
        const std::string rest = arg.substr(at + 1);
        const bool takesRest = !option->Value.empty() && !rest.empty();
        if (!use(*option, name, takesRest ? &rest : nullptr, i)) return false;
        if (takesRest) break;
      }
    }
  }
  if (line.Command == TCommand::None) {
    problem = "no command given";
    return false;
  }
  const TCommandRow& command = RowOf(line.Command);
  const auto isGiven = [&](const TOption& option) {
    return std::find(given.begin(), given.end(), &option) != given.end();
  };
  // An option given instead of the operand ("undo --last") and the operand are one or the other.
  std::string operandName(command.Operand);
  const TOption* instead = nullptr;
  for (const TOption& option : kOptions) {
    if (!option.InsteadOfOperand || !AppliesTo(option, line.Command)) continue;
    if (isGiven(option)) instead = &option;
    operandName += " or " + std::string(option.Name);
  }
  if (instead && !operands.empty()) {
    problem = std::string(command.Name) + " takes " + operandName + ", not both";
    return false;
  }
  if (command.Operand.empty() && !operands.empty()) {
    problem = std::string(command.Name) + " takes no operand ('" + operands.front() + "')";
    return false;
  }
  if (operands.size() > 1 || (operands.empty() && !command.OperandOptional && !instead)) {
    problem = operands.empty() ? "no " + operandName + " given" : "more than one " + std::string(command.Operand) + " given";
    return false;
  }
  if (!operands.empty()) line.Operand = operands.front();
  const auto& choices = command.OperandChoices;
  if (!operands.empty() && !choices.empty() && std::find(choices.begin(), choices.end(), line.Operand) == choices.end()) {
    problem = std::string(command.Name) + " takes " + Listed(choices) + ", not '" + line.Operand + "'";
    return false;
  }
  for (const TOption& option : kOptions) {
    if (Requires(line.Command, option) && !isGiven(option)) {
      problem = std::string(command.Name) + " needs " + std::string(option.Name) + " " + std::string(option.Value);
      return false;
    }
    if (!option.Excludes.empty() && isGiven(option) &&
        std::any_of(given.begin(), given.end(), [&](const TOption* other) { return other->Name == option.Excludes; })) {
      problem = std::string(option.Excludes) + " and " + std::string(option.Name) + " cannot be given together";
      return false;
    }
  }
  // "help" alone is the usage, as --help is.
  if (line.Command == TCommand::Help && line.Operand.empty()) line.Help = true;
  return true;
}
