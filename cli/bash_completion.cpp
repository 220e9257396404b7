#include "cli/bash_completion.h"

#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/completion_words.h"

namespace {

// The shell's words for completing a value or an operand, with $cur the word being completed.
std::string Answer(const std::vector<std::string_view>& choices, TCompletes completes) {
  if (!choices.empty()) {
    std::string words;
    for (const std::string_view choice : choices) words.append(words.empty() ? "" : " ").append(choice);
    return "_tandelo_cli_words \"" + words + "\" \"$cur\"";
  }
  switch (completes) {
    case TCompletes::File:
      return "_tandelo_cli_paths -f \"$cur\"";
    case TCompletes::Folder:
      return "_tandelo_cli_paths -d \"$cur\"";
    case TCompletes::Nothing:
      break;
  }
  return "COMPREPLY=()";
}

// "-x|--name", as a case pattern.
std::string Pattern(const TOption& option) {
  return (option.Short ? std::string{'-', option.Short, '|'} : std::string()) + std::string(option.Name);
}

}  // namespace

std::string MakeBashCompletion() {
  std::string values;
  for (const TOption& option : kOptions) {
    if (option.Value.empty()) continue;
    values += "    " + Pattern(option) + ") " + Answer(option.Choices, option.Completes) + "; return ;;\n";
  }
  std::string optionWords;
  std::string operands;
  std::string commandNames;
  for (const TCommandRow& command : kCommands) {
    std::string words;
    for (const TOption* option : OfferedWith(command.Command)) {
      words.append(words.empty() ? "" : " ").append(option->Name);
    }
    const std::string name(command.Name);
    optionWords += "      " + name + ") _tandelo_cli_words \"" + words + "\" \"$cur\" ;;\n";
    operands += "    " + name + ") " + Answer(command.OperandChoices, command.Completes) + " ;;\n";
    commandNames.append(commandNames.empty() ? "" : " ").append(name);
  }
  std::string alone;
  for (const TOption& option : kOptions) {
    if (option.Commands.empty()) alone.append(alone.empty() ? "" : " ").append(option.Name);
  }
  return "# bash completion for tandelo-cli, made by the build from the tables of its command line.\n"
         "\n"
         "_tandelo_cli_reply() {\n"
         "  # One answer a line, spaces in it kept; read from a here-string, which needs no /dev/fd.\n"
         "  local answers\n"
         "  answers=$(compgen \"$@\")\n"
         "  COMPREPLY=()\n"
         "  [[ -z $answers ]] || mapfile -t COMPREPLY <<<\"$answers\"\n"
         "}\n"
         "\n"
         "_tandelo_cli_words() { _tandelo_cli_reply -W \"$1\" -- \"$2\"; }\n"
         "\n"
         "_tandelo_cli_paths() {\n"
         "  # A folder's name ends with its slash, and names are quoted as the shell needs.\n"
         "  compopt -o filenames 2>/dev/null\n"
         "  _tandelo_cli_reply \"$1\" -- \"$2\"\n"
         "}\n"
         "\n"
         "_tandelo_cli() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  # \"=\" breaks words by default: \"--into=out\" arrives as three words.\n"
         "  if [[ $cur == = ]]; then\n"
         "    cur=\n"
         "  elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then\n"
         "    prev=${COMP_WORDS[COMP_CWORD-2]}\n"
         "  fi\n"
         "  # The command comes before every option but those that stand alone, and so before any\n"
         "  # option's value: it is the first word that is no option.\n"
         "  local command= i\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    [[ ${COMP_WORDS[i]} == -* ]] || { command=${COMP_WORDS[i]}; break; }\n"
         "  done\n"
         "  case $prev in\n" +
         values +
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    case $command in\n" +
         optionWords +
         "      *) _tandelo_cli_words \"" + alone + "\" \"$cur\" ;;\n"
         "    esac\n"
         "    return\n"
         "  fi\n"
         "  case $command in\n"
         "    '') _tandelo_cli_words \"" + commandNames + "\" \"$cur\" ;;\n" +
         operands +
         "  esac\n"
         "}\n"
         "\n"
         "complete -F _tandelo_cli tandelo-cli\n";
}
