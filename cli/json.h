#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/text_encoding.h"

// One JSON object, written on one line for scripts (--json). Its texts are UTF-8 whatever the
// platform: give them as UTF-8 (Utf8Of in cli/text_encoding.h turns the run's text into it,
// PathUtf8 a path).
class TJsonObject {
 public:
  TJsonObject& Text(std::string_view key, std::string_view utf8);
  TJsonObject& Number(std::string_view key, std::uint64_t value);
  TJsonObject& Flag(std::string_view key, bool value);
  TJsonObject& Object(std::string_view key, const TJsonObject& inner);
  // The object, with no line end.
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  void Key(std::string_view key);

  std::string body_;
};

// `text` as a JSON string: quotes, backslashes and control characters escaped (a line break is
// \n, so no name ever spans two lines), and each byte that starts no UTF-8 sequence (a file's
// name on Linux is any bytes) written as the escape of U+DC00 plus the byte ("\uDC91" for 0x91),
// which programs that read file names as text take back as the byte, so that a script finds the
// very file.
std::string JsonQuoted(std::string_view text);

// `text`, in `encoding`, as UTF-8; a byte that starts no character stays as it is (JsonQuoted
// escapes it).
std::string Utf8Of(std::string_view text, TEncoding encoding);
