#include "naming/text_lines.h"

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    const std::size_t length = end > start && text[end - 1] == '\r' ? end - 1 - start : end - start;
    lines.emplace_back(text.substr(start, length));
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, TLineBreaks breaks) {
  if (lines.empty()) return {};
  // Sized once: a preview's list may hold millions of names.
  std::size_t size = lines.size() * kLineBreak.size();
  for (const std::string& line : lines) size += line.size();
  if (breaks == TLineBreaks::Between) size -= kLineBreak.size();
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0 && breaks == TLineBreaks::Between) text += kLineBreak;
    text += lines[i];
    if (breaks == TLineBreaks::AfterEach) text += kLineBreak;
  }
  return text;
}
