#pragma once

#include <string>
#include <string_view>
#include <vector>

// The line break of the program's texts: what an edit control shows and what copying gives.
inline constexpr std::string_view kLineBreak = "\r\n";

// The lines of a multi-line edit's text as the user typed them: split only at its line breaks
// (CR LF; a lone LF too), never where the edit wraps a long line for display, so the entries do
// not depend on the font or the edit's width. A text that ends in a line break has no empty last
// line, and an empty text has no lines; empty lines before the last are kept.
std::vector<std::string> SplitLines(std::string_view text);

// Where JoinLines puts line breaks.
enum class TLineBreaks {
  // Between the lines, none after the last: the text of a list, as copying gives it.
  Between,
  // After each line: the text a multi-line edit shows for the lines, so that SplitLines gives
  // the same lines back, an empty last one included.
  AfterEach,
};

// The lines joined by kLineBreak. No lines join to an empty text either way.
std::string JoinLines(const std::vector<std::string>& lines, TLineBreaks breaks);
