#include "cli/command_line.h"

#include <algorithm>
#include <string_view>

namespace {

// One row per option: what parsing, the usage text and the checks of a value are made from.
struct TOption {
  std::string_view Name;
  std::string_view Value;                  // the value's name in the help; empty for a flag
  std::vector<std::string_view> Choices;   // the values it takes, when they are few
  std::vector<TCommand> Commands;          // the commands it applies to
  std::vector<TCommand> Required;          // the commands that need it
  std::string_view Help;                   // "\n" continues it on the next line
  void (*Set)(TCommandLine& line, const std::string& value);
  std::string_view Excludes = {};          // an option it cannot be given with
  bool InsteadOfOperand = false;           // given, the command takes no operand
};

const TOption kOptions[] = {
    {"--join", {}, {}, {TCommand::Names, TCommand::Copy}, {},
     "join the names of the top-level rules position by position",
     [](TCommandLine& line, const std::string&) { line.Join = true; }},
    {"--source", "PATH", {}, {TCommand::Names, TCommand::Copy}, {TCommand::Copy},
     "the file to copy; every name ends with its extension",
     [](TCommandLine& line, const std::string& value) { line.Source = value; }},
    {"--into", "FOLDER", {}, {TCommand::Copy}, {TCommand::Copy}, "the folder the copies go into (it must exist)",
     [](TCommandLine& line, const std::string& value) { line.Into = value; }},
    {"--on-failure", "MODE", {"ask", "skip", "stop"}, {TCommand::Copy}, {},
     "when a name cannot be copied: ask (y skips it, n stops, a skips it and\n"
     "every later one; the default when standard input is a terminal), skip,\n"
     "or stop (the default otherwise)",
     [](TCommandLine& line, const std::string& value) {
       line.OnFailure = value == "ask" ? TOnFailure::Ask : value == "skip" ? TOnFailure::Skip : TOnFailure::Stop;
     }},
    {"--dry-run", {}, {}, {TCommand::Copy, TCommand::Undo}, {},
     "say what would happen to each name or file, and touch nothing",
     [](TCommandLine& line, const std::string&) { line.DryRun = true; }},
    {"--journal", "FILE", {}, {TCommand::Copy}, {},
     "record every copy in FILE (a new file), for undo, instead of a new journal\n"
     "in the state folder (see below)",
     [](TCommandLine& line, const std::string& value) { line.Journal = value; }},
    {"--no-journal", {}, {}, {TCommand::Copy}, {}, "record nothing: the run cannot be undone",
     [](TCommandLine& line, const std::string&) { line.NoJournal = true; }, "--journal"},
    {"--last", {}, {}, {TCommand::Undo}, {},
     "undo the newest run of the state folder not yet undone, instead of JOURNAL",
     [](TCommandLine& line, const std::string&) { line.Last = true; }, {}, true},
    {"--quiet", {}, {}, {TCommand::Copy}, {}, "no progress line",
     [](TCommandLine& line, const std::string&) { line.Quiet = true; }},
    {"--encoding", "ENC", {"shift-jis", "utf-8"}, {TCommand::Names, TCommand::Copy}, {},
     "rule files, printed text and, on Linux, the files' names in ENC (default:\n"
     "a rule file in UTF-8 when it has a byte-order mark or is valid UTF-8,\n"
     "else Shift-JIS; the rest utf-8 on Linux, shift-jis on Windows)",
     [](TCommandLine& line, const std::string& value) {
       line.Encoding = value == "utf-8" ? TEncoding::Utf8 : TEncoding::ShiftJis;
     }},
};

struct TCommandRow {
  TCommand Command;
  std::string_view Name;
  std::string_view Operand;
  std::string_view Help;
};

const TCommandRow kCommands[] = {
    {TCommand::Names, "names", "RULES",
     "prints the names the rule file RULES makes, one a line ('-' reads standard input)."},
    {TCommand::Copy, "copy", "RULES", "copies PATH into FOLDER once per name, never over an existing file."},
    {TCommand::Undo, "undo", "JOURNAL", "removes the files a copy's journal proves it made and that are unchanged."},
    {TCommand::History, "history", "", "lists the runs in the state folder, newest first (see below)."},
};

constexpr std::size_t kUsageWidth = 100;

bool Has(const std::vector<TCommand>& commands, TCommand command) {
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

// "a", "a or b", "a, b or c".
std::string Listed(const std::vector<std::string_view>& words) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? " or " : ", ";
    text += words[i];
  }
  return text;
}

// "names, copy, undo or history".
std::string CommandNames() {
  std::vector<std::string_view> names;
  for (const TCommandRow& command : kCommands) names.push_back(command.Name);
  return Listed(names);
}

std::string MakeUsage() {
  std::size_t nameWidth = 0;
  for (const TCommandRow& command : kCommands) nameWidth = std::max(nameWidth, command.Name.size());
  std::string text;
  for (const TCommandRow& command : kCommands) {
    std::string line = std::string(text.empty() ? "usage: " : "       ") + "tandelo-cli " + std::string(command.Name);
    line.resize(line.size() + nameWidth - command.Name.size(), ' ');
    const std::size_t indent = line.size() + 1;
    std::vector<std::string> words;
    std::vector<std::string_view> wordOptions;  // the option each word is of
    std::string operand(command.Operand);
    for (const TOption& option : kOptions) {
      if (!Has(option.Commands, command.Command)) continue;
      std::string word(option.Name);
      if (!option.Value.empty()) {
        word += " ";
        if (option.Choices.empty()) {
          word += option.Value;
        } else {
          for (const std::string_view choice : option.Choices) word.append(choice).append("|");
          word.pop_back();
        }
      }
      // An option that cannot go with another is shown as its alternative.
      const auto excluded = std::find(wordOptions.begin(), wordOptions.end(), option.Excludes);
      if (option.InsteadOfOperand) {
        operand += "|" + word;
      } else if (!option.Excludes.empty() && excluded != wordOptions.end()) {
        std::string& shown = words[static_cast<std::size_t>(excluded - wordOptions.begin())];
        shown.insert(shown.size() - 1, "|" + word);
      } else {
        words.push_back(Has(option.Required, command.Command) ? word : "[" + word + "]");
        wordOptions.push_back(option.Name);
      }
    }
    if (!operand.empty()) words.push_back(operand);
    for (const std::string& word : words) {
      if (line.size() + 1 + word.size() > kUsageWidth) {
        text += line + "\n";
        line.assign(indent - 1, ' ');
      }
      line += " " + word;
    }
    text += line + "\n";
  }
  text += "       tandelo-cli --help | --version\n\n";
  for (const TCommandRow& command : kCommands) {
    std::string name(command.Name);
    name.resize(nameWidth + 2, ' ');
    text += name + std::string(command.Help) + "\n";
  }
  text += "\n";
  for (const TOption& option : kOptions) {
    std::string head = "  " + std::string(option.Name) + (option.Value.empty() ? "" : " " + std::string(option.Value));
    head.resize(std::max<std::size_t>(head.size() + 1, 22), ' ');
    std::string_view help = option.Help;
    for (std::size_t end; (end = help.find('\n')) != std::string_view::npos; help.remove_prefix(end + 1)) {
      text += head + std::string(help.substr(0, end)) + "\n";
      head.assign(22, ' ');
    }
    text += head + std::string(help) + "\n";
  }
  text +=
      "\nEvery copy ends with a line of how many names were copied, skipped and not tried, and\n"
      "the journal's path.\n"
      "\nA copy that is not a dry run records its run in a journal for undo, unless --no-journal:\n"
      "FILE of --journal, or else a new file in the state folder, named by the time the run began\n"
      "(UTC, YYYYMMDD-HHMMSS-mmm.journal): $XDG_STATE_HOME/tandelo-cli (~/.local/state/tandelo-cli\n"
      "without it) on Linux, %LOCALAPPDATA%\\Tandelo\\journals on Windows; the run's messages name\n"
      "it. undo marks a run of the state folder undone once it has gone through the run's files.\n"
      "history prints a line a run, its fields separated by tabs:\n"
      "  TIME (local, 2026-12-08T20:05:12.123+09:00)  STATE (- or undone, or unreadable)\n"
      "  COPIES  FOLDER  JOURNAL\n"
      "with control characters and % in paths as %HH; an unreadable journal's COPIES and FOLDER\n"
      "are ?, and why goes to standard error.\n"
      "\nExit status: 0 done; 1 some names skipped (copy), some files kept or the run not marked\n"
      "undone (undo), some journals unreadable (history); 2 a usage or rule-file error, a journal\n"
      "that cannot be started or trusted, no run left for undo --last, or output that names or a\n"
      "dry run cannot write, nothing touched; 3 the copy was stopped.\n";
  return text;
}

const TCommandRow& RowOf(TCommand command) {
  return *std::find_if(std::begin(kCommands), std::end(kCommands),
                       [&](const TCommandRow& row) { return row.Command == command; });
}

}  // namespace

const std::string kUsage = MakeUsage();

bool ParseCommandLine(const std::vector<std::string>& args, TCommandLine& line, std::string& problem) {
  const auto optionsEnd = std::find(args.begin(), args.end(), "--");
  if (std::any_of(args.begin(), optionsEnd, [](const std::string& arg) { return arg == "--help" || arg == "-h"; })) {
    line.Help = true;
    return true;
  }
  if (std::find(args.begin(), optionsEnd, "--version") != optionsEnd) {
    line.Version = true;
    return true;
  }
  std::vector<std::string> operands;
  std::vector<const TOption*> given;
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
      continue;
    }
    if (arg == "--") {
      optionsOver = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const TOption& known) { return known.Name == name; });
    if (option == std::end(kOptions)) {
      problem = "unknown option " + name;
      return false;
    }
    if (line.Command == TCommand::None) {
      problem = "a command (" + CommandNames() + ") comes before " + name;
      return false;
    }
    if (!Has(option->Commands, line.Command)) {
      problem = name + " does not apply to " + std::string(RowOf(line.Command).Name);
      return false;
    }
    std::string value;
    if (!option->Value.empty()) {
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        problem = name + " needs a value";
        return false;
      }
    } else if (equals != std::string::npos) {
      problem = name + " takes no value";
      return false;
    }
    if (!option->Choices.empty() &&
        std::find(option->Choices.begin(), option->Choices.end(), value) == option->Choices.end()) {
      problem = name + " takes " + Listed(option->Choices) + ", not '" + value + "'";
      return false;
    }
    option->Set(line, value);
    given.push_back(&*option);
  }
  if (line.Command == TCommand::None) {
    problem = "no command given";
    return false;
  }
  const TCommandRow& command = RowOf(line.Command);
  const auto isGiven = [&](const TOption& option) {
    return std::find(given.begin(), given.end(), &option) != given.end();
  };
  std::string operandName(command.Operand);
  const TOption* instead = nullptr;
  for (const TOption& option : kOptions) {
    if (!option.InsteadOfOperand || !Has(option.Commands, line.Command)) continue;
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
  if (!instead && !command.Operand.empty() && operands.size() != 1) {
    problem = operands.empty() ? "no " + operandName + " given"
                               : "more than one " + std::string(command.Operand) + " given";
    return false;
  }
  if (!operands.empty()) line.Operand = operands.front();
  for (const TOption& option : kOptions) {
    if (Has(option.Required, line.Command) && !isGiven(option)) {
      problem = std::string(command.Name) + " needs " + std::string(option.Name) + " " + std::string(option.Value);
      return false;
    }
    if (!option.Excludes.empty() && isGiven(option) &&
        std::any_of(given.begin(), given.end(), [&](const TOption* other) { return other->Name == option.Excludes; })) {
      problem = std::string(option.Excludes) + " and " + std::string(option.Name) + " cannot be given together";
      return false;
    }
  }
  return true;
}
