#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lines of a multi-line edit's text as the user typed them: split only at its line breaks
// (CR LF; a lone LF too), never where the edit wraps a long line for display, so the entries do
// not depend on the font or the edit's width. A text that ends in a line break has no empty last
// line, and an empty text has no lines; empty lines before the last are kept.
std::vector<std::string> SplitLines(std::string_view text);

// The text a multi-line edit shows for `lines`: each line followed by a line break, so that
// SplitLines gives the same lines back, empty ones included.
std::string JoinLines(const std::vector<std::string>& lines);
