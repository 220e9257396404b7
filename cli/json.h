#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/text_encoding.h"

// One JSON object, written on one line for scripts (--json). Its texts are UTF-8 whatever the
// platform: give them as UTF-8 (Utf8Of turns the engine's or the platform's text into it).
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
// \n, so no name ever spans two lines), and each byte that starts no UTF-8 sequence written as
// U+FFFD.
std::string JsonQuoted(std::string_view text);

// `text` in `encoding` as UTF-8; a Shift-JIS character with no counterpart becomes "?".
std::string Utf8Of(std::string_view text, TEncoding encoding);
