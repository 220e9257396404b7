#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "cli/text_encoding.h"

namespace {

// Converts `text`; a character that does not convert fails the call, or becomes "?" when
// `replace`. Three bytes out per byte in is enough both ways (a two-byte Shift-JIS character
// becomes at most three bytes of UTF-8, and never the other way round).
bool Convert(const char* to, const char* from, std::string_view text, std::string& result, bool replace) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  result.assign(text.size() * 3, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = result.data();
  std::size_t outLeft = result.size();
  bool exact = true;
  while (inLeft > 0 && iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
    exact = false;
    if (!replace) break;
    // A byte that starts no character, or a character the other side lacks: skip one byte (a
    // UTF-8 character's continuation bytes then fail in turn and are skipped silently).
    if ((static_cast<unsigned char>(*in) & 0xC0) != 0x80 || std::string_view(from) != "UTF-8") {
      *out++ = '?';
      --outLeft;
    }
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  result.resize(result.size() - outLeft);
  return exact;
}

}  // namespace

TEncoding PlatformEncoding() { return TEncoding::Utf8; }

bool Utf8ToShiftJis(std::string_view text, std::string& result) {
  // glibc's CP932 also takes characters the code page lacks, as look-alikes: "¥" as the byte of
  // "\" (a name would reach into a sub-folder), "〜" (U+301C) as "～" (U+FF5E). Only a
  // conversion that gives the same text back is exact.
  std::string back;
  return Convert("CP932", "UTF-8", text, result, false) && Convert("UTF-8", "CP932", result, back, false) &&
         back == text;
}

bool ShiftJisToUtf8(std::string_view text, std::string& result) {
  return Convert("UTF-8", "CP932", text, result, false);
}

std::string ShiftJisToUtf8Shown(std::string_view text) {
  std::string result;
  Convert("UTF-8", "CP932", text, result, true);
  return result;
}

std::string Utf8ToShiftJisShown(std::string_view text) {
  std::string result;
  Convert("CP932", "UTF-8", text, result, true);
  return result;
}
