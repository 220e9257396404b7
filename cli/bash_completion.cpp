#include "cli/bash_completion.h"

#include <string_view>
#include <vector>

#include "cli/command_line.h"

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
  std::string valued;
  std::string values;
  for (const TOption& option : kOptions) {
    if (option.Value.empty()) continue;
    valued.append(valued.empty() ? "" : "|").append(Pattern(option));
    values += "      " + Pattern(option) + ") " + Answer(option.Choices, option.Completes) + "; return ;;\n";
  }
  std::string optionWords;
  std::string operands;
  std::string commandNames;
  for (const TCommandRow& command : kCommands) {
    std::string words;
    for (const TOption& option : kOptions) {
      if (option.Commands.empty() || AppliesTo(option, command.Command)) {
        words.append(words.empty() ? "" : " ").append(option.Name);
      }
    }
    const std::string name(command.Name);
    optionWords += "        " + name + ") _tandelo_cli_words \"" + words + "\" \"$cur\" ;;\n";
    operands += "    " + name + ") " + Answer(command.OperandChoices, command.Completes) + " ;;\n";
    commandNames.append(commandNames.empty() ? "" : " ").append(name);
  }
  std::string alone;
  for (const TOption& option : kOptions) {
    if (option.Commands.empty()) alone.append(alone.empty() ? "" : " ").append(option.Name);
  }
  return "# bash completion for tandelo-cli, made by the build from the tables of its command line.\n"
         "\n"
         "_tandelo_cli_words() {\n"
         "  mapfile -t COMPREPLY < <(compgen -W \"$1\" -- \"$2\")\n"
         "}\n"
         "\n"
         "_tandelo_cli_paths() {\n"
         "  # Names with spaces stay whole, and a folder's name ends with its slash.\n"
         "  compopt -o filenames 2>/dev/null\n"
         "  mapfile -t COMPREPLY < <(compgen \"$1\" -- \"$2\")\n"
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
         "  # The command is the first word that is neither an option nor an option's value.\n"
         "  local command= over= word i\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    word=${COMP_WORDS[i]}\n"
         "    if [[ -n $over ]]; then\n"
         "      [[ -z $command ]] && command=$word\n"
         "      continue\n"
         "    fi\n"
         "    case $word in\n"
         "      --) over=1 ;;\n"
         "      " + valued + ")\n"
         "        [[ ${COMP_WORDS[i+1]} == = ]] && ((i++))\n"
         "        ((i++)) ;;\n"
         "      -*|=) ;;\n"
         "      *) [[ -z $command ]] && command=$word ;;\n"
         "    esac\n"
         "  done\n"
         "  if [[ -z $over ]]; then\n"
         "    case $prev in\n" +
         values +
         "    esac\n"
         "    if [[ $cur == -* ]]; then\n"
         "      case $command in\n" +
         optionWords +
         "        *) _tandelo_cli_words \"" + alone + "\" \"$cur\" ;;\n"
         "      esac\n"
         "      return\n"
         "    fi\n"
         "  fi\n"
         "  case $command in\n"
         "    '') _tandelo_cli_words \"" + commandNames + "\" \"$cur\" ;;\n" +
         operands +
         "  esac\n"
         "}\n"
         "\n"
         "complete -F _tandelo_cli tandelo-cli\n";
}
