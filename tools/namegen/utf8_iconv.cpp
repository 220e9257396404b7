#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "tools/namegen/utf8.h"

std::string ShiftJisToUtf8(std::string_view text) {
  const iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 to UTF-8 converter");
  // A Shift-JIS character of one or two bytes never needs more than three bytes of UTF-8, and a
  // replaced byte needs one, so the output cannot run out of room.
  std::string result(text.size() * 3, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = result.data();
  std::size_t outLeft = result.size();
  while (inLeft > 0 && iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) &&
         errno != E2BIG) {
    // A byte that starts no character, or a lead byte cut off at the end.
    *out++ = '?';
    --outLeft;
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  result.resize(result.size() - outLeft);
  return result;
}
