#include "cli/fish_completion.h"

#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/completion_words.h"

namespace {

// `text` inside single quotes, where fish reads \' and \\.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

// The arguments of `complete` that offer a value or an operand.
std::string Values(const std::vector<std::string_view>& choices, TCompletes completes) {
  if (!choices.empty()) {
    std::string words;
    for (const std::string_view choice : choices) words.append(words.empty() ? "" : " ").append(choice);
    return " -a " + Quoted(words);
  }
  switch (completes) {
    case TCompletes::File:
      return " -F";
    case TCompletes::Folder:
      return " -a '(__tandelo_cli_folders)'";
    case TCompletes::Nothing:
      break;
  }
  return "";
}

// "-n --dry-run", or "--into=" for an option with a value, as __tandelo_cli_given takes them.
std::string Forms(const TOption& option) {
  if (!option.Value.empty()) return std::string(option.Name) + "=";
  return (option.Short ? std::string{'-', option.Short, ' '} : std::string()) + std::string(option.Name);
}

std::string CommandNames(const std::vector<TCommand>& commands) {
  std::string names;
  for (const TCommandRow& row : kCommands) {
    for (const TCommand command : commands) {
      if (row.Command == command) names.append(" ").append(row.Name);
    }
  }
  return names;
}

std::string OptionLine(const TOption& option) {
  std::string line = "complete -c tandelo-cli";
  if (!option.Commands.empty()) {
    std::string given = Forms(option);
    for (const TOption* other : Conflicting(option)) given += " " + Forms(*other);
    // Given instead of the operand, it is not offered once the operand is there.
    if (option.InsteadOfOperand) given += "; and not __tandelo_cli_has_operand";
    line += " -n " + Quoted("__tandelo_cli_using" + CommandNames(option.Commands) + "; and not __tandelo_cli_given " +
                            given);
  }
  if (option.Short) line += std::string(" -s ") + option.Short;
  line += " -l " + std::string(option.Name.substr(2));
  if (!option.Value.empty()) {
    // -r: the option takes a value; -f: nothing but what is offered here, files only where -F.
    line += option.Completes == TCompletes::File && option.Choices.empty() ? " -r" : " -x";
    line += Values(option.Choices, option.Completes);
  }
  return line + " -d " + Quoted(Summary(option.Help)) + "\n";
}

}  // namespace

std::string MakeFishCompletion() {
  std::string commands;
  std::string operands;
  for (const TCommandRow& command : kCommands) {
    commands += "complete -c tandelo-cli -n __tandelo_cli_using -a " + std::string(command.Name) + " -d " +
                Quoted(Summary(command.Help)) + "\n";
    if (command.Operand.empty()) continue;
    std::string condition = "__tandelo_cli_using " + std::string(command.Name);
    for (const TOption* option : OfferedWith(command.Command)) {
      if (option->InsteadOfOperand) condition += "; and not __tandelo_cli_given " + Forms(*option);
    }
    operands += "complete -c tandelo-cli -n " + Quoted(condition) +
                Values(command.OperandChoices, command.Completes) + "\n";
  }
  std::string options;
  for (const TOption& option : kOptions) options += OptionLine(option);
  return "# fish completion for tandelo-cli, made by the build from the tables of its command line.\n"
         "\n"
         "# The command on the line: the first word after tandelo-cli that is no option (it comes\n"
         "# before every option but those that stand alone, and so before any option's value).\n"
         "function __tandelo_cli_command\n"
         "    set -l words (commandline -opc)\n"
         "    for word in $words[2..]\n"
         "        if not string match -q -- '-*' $word\n"
         "            echo $word\n"
         "            return\n"
         "        end\n"
         "    end\n"
         "end\n"
         "\n"
         "# True when the command on the line is one of those named; with none named, when there is\n"
         "# no command yet.\n"
         "function __tandelo_cli_using\n"
         "    set -l command (__tandelo_cli_command)\n"
         "    if set -q argv[1]\n"
         "        contains -- \"$command\" $argv\n"
         "    else\n"
         "        test -z \"$command\"\n"
         "    end\n"
         "end\n"
         "\n"
         "# True when one of the options named is on the line before the word being completed, and\n"
         "# before any \"--\": --name, or -x alone or among bundled flags (-nq); named with a final \"=\",\n"
         "# an option with a value, which the word being completed may still be.\n"
         "function __tandelo_cli_given\n"
         "    set -l words (commandline -opc)\n"
         "    set -l last (count $words)\n"
         "    for i in (seq 2 $last)\n"
         "        set -l word $words[$i]\n"
         "        contains -- $word --; and return 1\n"
         "        for option in $argv\n"
         "            set -l name (string replace -r -- '=$' '' $option)\n"
         "            if not contains -- $name $option\n"
         "                string match -q -- \"$name=*\" $word; and return 0\n"
         "                test $i -lt $last; and contains -- $word $name; and return 0\n"
         "            else if string match -q -- '--*' $option\n"
         "                contains -- $word $option; and return 0\n"
         "            else if string match -qr -- '^-[^-]' $word\n"
         "                string match -q -- \"*\"(string sub -s 2 -- $option)\"*\" $word; and return 0\n"
         "            end\n"
         "        end\n"
         "    end\n"
         "    return 1\n"
         "end\n"
         "\n"
         "# True when the command on the line has its operand before the word being completed: a\n"
         "# second word after tandelo-cli that is no option. (undo, the one command with an option\n"
         "# given instead of its operand, takes no option with a value.)\n"
         "function __tandelo_cli_has_operand\n"
         "    set -l words (commandline -opc)\n"
         "    set -l operands (string match -v -- '-*' $words[2..])\n"
         "    set -q operands[2]\n"
         "end\n"
         "\n"
         "# The folders that complete the word, its \"--name=\" left out.\n"
         "function __tandelo_cli_folders\n"
         "    __fish_complete_directories (commandline -ct | string replace -r -- '^--[^=]*=' '')\n"
         "end\n"
         "\n"
         "# Files only where an option or operand names one.\n"
         "complete -c tandelo-cli -f\n" +
         commands + options + operands;
}
