#include "naming/mbcs.h"

#ifdef _WIN32
// The one system function this folder needs, declared by hand so the portable core stays free
// of the Windows headers.
extern "C" __declspec(dllimport) int __stdcall IsDBCSLeadByte(unsigned char testChar);
#endif

bool IsLeadByte(unsigned char c) {
#ifdef _WIN32
  return IsDBCSLeadByte(c) != 0;
#else
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
#endif
}

std::size_t LastDelimiter(std::string_view delimiters, std::string_view text) {
  std::size_t found = std::string_view::npos;
  ForEachSingleByte(text, [&](std::size_t i) {
    if (delimiters.find(text[i]) != std::string_view::npos) found = i;
    return true;
  });
  return found;
}
