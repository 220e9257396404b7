#include "cli/completion_words.h"

#include <algorithm>

std::vector<const TOption*> OfferedWith(TCommand command) {
  std::vector<const TOption*> offered;
  for (const TOption& option : kOptions) {
    if (option.Commands.empty() || AppliesTo(option, command)) offered.push_back(&option);
  }
  return offered;
}

std::vector<const TOption*> Conflicting(const TOption& option) {
  std::vector<const TOption*> conflicting;
  for (const TOption& other : kOptions) {
    if (other.Name == option.Excludes || (!other.Excludes.empty() && other.Excludes == option.Name)) {
      conflicting.push_back(&other);
    }
  }
  return conflicting;
}

std::string Summary(std::string_view help) {
  std::string text(help);
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::size_t end = text.size();
  for (const std::string_view mark : {";", ":", " ("}) end = std::min(end, text.find(mark));
  return text.substr(0, end);
}
