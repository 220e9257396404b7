#include "naming/mbcs.h"

bool IsWellFormed(std::string_view text, TEncoding encoding) {
  if (encoding == TEncoding::Utf8) return IsUtf8(text);
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (!IsLeadByte(static_cast<unsigned char>(text[i]))) continue;
    if (i + 1 == text.size() || !IsTrailByte(static_cast<unsigned char>(text[i + 1]))) return false;
  }
  return true;
}

std::size_t LastDelimiter(std::string_view delimiters, std::string_view text, TEncoding encoding) {
  std::size_t found = std::string_view::npos;
  ForEachSingleByte(text, encoding, [&](std::size_t i) {
    if (delimiters.find(text[i]) != std::string_view::npos) found = i;
    return true;
  });
  return found;
}
