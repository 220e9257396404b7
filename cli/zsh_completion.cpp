#include "cli/zsh_completion.h"

#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/completion_words.h"

namespace {

// `text` inside single quotes.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// `text` as a part of an _arguments or _describe spec, where `special` and a backslash delimit
// the parts.
std::string Escaped(std::string_view text, std::string_view special = "[]:") {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\' || special.find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The value's part of a spec: ":NAME:ACTION".
std::string ValueSpec(std::string_view name, const std::vector<std::string_view>& choices, TCompletes completes,
                      bool optional) {
  std::string action;
  if (!choices.empty()) {
    for (const std::string_view choice : choices) {
      action.append(action.empty() ? "(" : " ").append(Escaped(choice, "[]: ()"));
    }
    action += ")";
  } else if (completes == TCompletes::File) {
    action = "_files";
  } else if (completes == TCompletes::Folder) {
    action = "_files -/";
  } else {
    action = " ";  // a value to type, with its name shown
  }
  return (optional ? "::" : ":") + Escaped(name) + ":" + action;
}

std::string ShortForm(const TOption& option) { return {'-', option.Short}; }

// One option's spec, as words of the shell: "(EXCLUDED)"{-x,--name}"[HELP]:VALUE:ACTION".
std::string OptionSpec(const TOption& option) {
  std::string excluded;
  if (option.Commands.empty()) {
    excluded = "- : *";  // alone, it stands for the whole line
  } else {
    const auto exclude = [&](const TOption& other) {
      excluded.append(excluded.empty() ? "" : " ");
      if (other.Short) excluded += ShortForm(other) + " ";
      excluded.append(other.Name);
    };
    // Given in one form, the option is not offered in the other.
    if (option.Short) exclude(option);
    for (const TOption* other : Conflicting(option)) exclude(*other);
    if (option.InsteadOfOperand) excluded += excluded.empty() ? "1" : " 1";
  }
  if (!excluded.empty()) excluded = "(" + excluded + ")";
  std::string help = "[" + Escaped(Summary(option.Help)) + "]";
  if (!option.Value.empty()) help += ValueSpec(option.Value, option.Choices, option.Completes, false);
  // "--name=" takes "--name VALUE" and "--name=VALUE"; "-x+" takes "-x VALUE" and "-xVALUE".
  const std::string longForm = std::string(option.Name) + (option.Value.empty() ? "" : "=");
  if (!option.Short) return Quoted(excluded + longForm + help);
  const std::string shortForm = ShortForm(option) + (option.Value.empty() ? "" : "+");
  // The shell's braces make two specs of one: "-x[HELP]" and "--name[HELP]".
  return Quoted(excluded) + "{" + shortForm + "," + longForm + "}" + Quoted(help);
}

// The spec of a command's operand, kept from the line by an option given instead of it.
std::string OperandSpec(const TCommandRow& command) {
  std::string excluded;
  bool optional = command.OperandOptional;
  for (const TOption* option : OfferedWith(command.Command)) {
    if (!option->InsteadOfOperand) continue;
    excluded.append(excluded.empty() ? "" : " ").append(option->Name);
    optional = true;
  }
  return Quoted((excluded.empty() ? "" : "(" + excluded + ")") + "1" +
                ValueSpec(command.Operand, command.OperandChoices, command.Completes, optional));
}

constexpr std::string_view kBreak = " \\\n";

}  // namespace

std::string MakeZshCompletion() {
  std::string alone;
  for (const TOption& option : kOptions) {
    if (option.Commands.empty()) alone += std::string(kBreak) + "    " + OptionSpec(option);
  }
  std::string described;
  std::string arguments;
  for (const TCommandRow& command : kCommands) {
    described += "        " + Quoted(Escaped(command.Name) + ":" + Summary(command.Help)) + "\n";
    std::string specs;
    for (const TOption* option : OfferedWith(command.Command)) {
      specs += std::string(kBreak) + "            " + OptionSpec(*option);
    }
    if (!command.Operand.empty()) specs += std::string(kBreak) + "            " + OperandSpec(command);
    arguments += "        " + std::string(command.Name) + ")\n          _arguments -s -S" + specs +
                 " && ret=0\n          ;;\n";
  }
  return "#compdef tandelo-cli\n"
         "# zsh completion for tandelo-cli, made by the build from the tables of its command line.\n"
         "\n"
         "_tandelo-cli() {\n"
         "  local curcontext=$curcontext state state_descr line ret=1\n"
         "  typeset -A opt_args\n"
         "  # The command comes before every option but those that stand alone, and so before any\n"
         "  # option's value; the words from it on are the command's own.\n"
         "  _arguments -C -s -S" +
         alone + std::string(kBreak) + "    ': :->command'" + std::string(kBreak) +
         "    '*:: :->argument' && ret=0\n"
         "  case $state in\n"
         "    command)\n"
         "      local -a commands=(\n" +
         described +
         "      )\n"
         "      _describe -t commands command commands && ret=0\n"
         "      ;;\n"
         "    argument)\n"
         "      curcontext=${curcontext%:*:*}:tandelo-cli-$words[1]:\n"
         "      case $words[1] in\n" +
         arguments +
         "      esac\n"
         "      ;;\n"
         "  esac\n"
         "  return ret\n"
         "}\n"
         "\n"
         "# Autoloaded by the completion system, the file is the function's body: define it, then\n"
         "# complete; sourced, it binds the function to the command.\n"
         "if [[ $zsh_eval_context[-1] == loadautofunc ]]; then\n"
         "  _tandelo-cli \"$@\"\n"
         "else\n"
         "  compdef _tandelo-cli tandelo-cli\n"
         "fi\n";
}
