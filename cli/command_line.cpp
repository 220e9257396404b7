#include "cli/command_line.h"

#include <algorithm>
#include <string_view>

const char kUsage[] =
    "usage: tandelo-cli names [--join] [--source PATH] [--encoding shift-jis|utf-8] RULES\n"
    "       tandelo-cli copy  [--join] --source PATH --into FOLDER [--on-failure ask|skip|stop]\n"
    "                         [--dry-run] [--journal FILE] [--quiet] [--encoding shift-jis|utf-8] RULES\n"
    "       tandelo-cli undo  [--dry-run] JOURNAL\n"
    "       tandelo-cli --help | --version\n"
    "\n"
    "names  prints the names the rule file RULES makes, one a line ('-' reads standard input).\n"
    "copy   copies PATH into FOLDER once per name, never over an existing file.\n"
    "undo   removes the files a copy's journal proves it made and that are unchanged.\n"
    "\n"
    "  --join              join the names of the top-level rules position by position\n"
    "  --source PATH       the file to copy; every name ends with its extension\n"
    "  --into FOLDER       the folder the copies go into (it must exist)\n"
    "  --on-failure MODE   when a name cannot be copied: ask (skip or stop, per name; the default\n"
    "                      when standard input is a terminal), skip, or stop (the default otherwise)\n"
    "  --dry-run           say what would happen to each name or file, and touch nothing\n"
    "  --journal FILE      record every copy in FILE (a new file), for undo\n"
    "  --quiet             no progress line\n"
    "  --encoding ENC      rule files, printed text and, on Linux, the files' names in ENC\n"
    "                      (default: utf-8 on Linux, shift-jis on Windows)\n"
    "\n"
    "Exit status: 0 done; 1 some names skipped (copy) or some files kept (undo);\n"
    "2 a usage or rule-file error, or a journal that cannot be started or trusted, nothing\n"
    "touched; 3 the copy was stopped.\n";

namespace {

struct TOptionRule {
  std::string_view Name;
  bool TakesValue;
  std::vector<TCommand> Commands;
};

const TOptionRule kOptions[] = {
    {"--join", false, {TCommand::Names, TCommand::Copy}},
    {"--source", true, {TCommand::Names, TCommand::Copy}},
    {"--encoding", true, {TCommand::Names, TCommand::Copy}},
    {"--into", true, {TCommand::Copy}},
    {"--on-failure", true, {TCommand::Copy}},
    {"--journal", true, {TCommand::Copy}},
    {"--quiet", false, {TCommand::Copy}},
    {"--dry-run", false, {TCommand::Copy, TCommand::Undo}},
};

const char* CommandName(TCommand command) {
  switch (command) {
    case TCommand::Names:
      return "names";
    case TCommand::Copy:
      return "copy";
    case TCommand::Undo:
      return "undo";
    case TCommand::None:
      break;
  }
  return "";
}

bool Apply(std::string_view name, const std::string& value, TCommandLine& line, std::string& problem) {
  if (name == "--join") {
    line.Join = true;
  } else if (name == "--dry-run") {
    line.DryRun = true;
  } else if (name == "--quiet") {
    line.Quiet = true;
  } else if (name == "--source") {
    line.Source = value;
  } else if (name == "--into") {
    line.Into = value;
  } else if (name == "--journal") {
    line.Journal = value;
  } else if (name == "--encoding") {
    if (value == "shift-jis") {
      line.Encoding = TEncoding::ShiftJis;
    } else if (value == "utf-8") {
      line.Encoding = TEncoding::Utf8;
    } else {
      problem = "--encoding takes shift-jis or utf-8, not '" + value + "'";
    }
  } else if (name == "--on-failure") {
    if (value == "ask") {
      line.OnFailure = TOnFailure::Ask;
    } else if (value == "skip") {
      line.OnFailure = TOnFailure::Skip;
    } else if (value == "stop") {
      line.OnFailure = TOnFailure::Stop;
    } else {
      problem = "--on-failure takes ask, skip or stop, not '" + value + "'";
    }
  }
  return problem.empty();
}

}  // namespace

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
  bool optionsOver = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsOver || arg == "-" || arg.rfind("-", 0) != 0) {
      if (line.Command == TCommand::None) {
        for (TCommand command : {TCommand::Names, TCommand::Copy, TCommand::Undo}) {
          if (arg == CommandName(command)) line.Command = command;
        }
        if (line.Command == TCommand::None) {
          problem = "unknown command '" + arg + "' (a command is names, copy or undo)";
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
                                     [&](const TOptionRule& known) { return known.Name == name; });
    if (option == std::end(kOptions)) {
      problem = "unknown option " + name;
      return false;
    }
    if (line.Command == TCommand::None) {
      problem = "a command (names, copy or undo) comes before " + name;
      return false;
    }
    if (std::find(option->Commands.begin(), option->Commands.end(), line.Command) == option->Commands.end()) {
      problem = name + " does not apply to " + CommandName(line.Command);
      return false;
    }
    std::string value;
    if (option->TakesValue) {
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
    if (!Apply(name, value, line, problem)) return false;
  }
  if (line.Command == TCommand::None) {
    problem = "no command given";
    return false;
  }
  const char* operandName = line.Command == TCommand::Undo ? "JOURNAL" : "RULES";
  if (operands.size() != 1) {
    problem = std::string(operands.empty() ? "no " : "more than one ") + operandName + " given";
    return false;
  }
  line.Operand = operands.front();
  if (line.Command == TCommand::Copy && (!line.Source || !line.Into)) {
    problem = std::string("copy needs ") + (!line.Source ? "--source PATH" : "--into FOLDER");
    return false;
  }
  return true;
}
