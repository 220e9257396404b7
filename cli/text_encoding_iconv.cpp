#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "cli/text_encoding.h"
#include "posix/owned_handle.h"

namespace {

// Converts `text`; a character that does not convert fails the call. Three bytes out per byte in
// is enough both ways (a two-byte Shift-JIS character becomes at most three bytes of UTF-8, and
// never the other way round).
bool Iconv(const char* to, const char* from, std::string_view text, std::string& result) {
  const TConverter converter(iconv_open(to, from));
  if (!IsOpen(converter)) {
    throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  result.assign(text.size() * 3, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = result.data();
  std::size_t outLeft = result.size();
  const bool exact = iconv(converter.Get(), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
  result.resize(result.size() - outLeft);
  return exact;
}

}  // namespace

TEncoding DefaultEncoding() { return TEncoding::Utf8; }

bool Utf8ToShiftJis(std::string_view text, std::string& result) {
  // glibc's CP932 also takes characters the code page lacks, as look-alikes: "¥" as the byte of
  // "\" (a name would reach into a sub-folder), "〜" (U+301C) as "～" (U+FF5E). Only a
  // conversion that gives the same text back is exact.
  std::string back;
  return Iconv("CP932", "UTF-8", text, result) && Iconv("UTF-8", "CP932", result, back) && back == text;
}

bool ShiftJisToUtf8(std::string_view text, std::string& result) { return Iconv("UTF-8", "CP932", text, result); }

// A file's name on Linux is its bytes, in the run's encoding by the user's choice of --encoding.
std::string PathText(const std::string& path, TEncoding) { return path; }
std::string PathUtf8(const std::string& path) { return path; }
bool SystemName(const std::string& name, TEncoding, std::string& result, std::string&) {
  result = name;
  return true;
}

TConsoleWrite WriteToConsole(std::FILE*, std::string_view, TEncoding) { return TConsoleWrite::NotAConsole; }
