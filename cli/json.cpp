#include "cli/json.h"

#include "naming/text_codes.h"

TJsonObject& TJsonObject::Text(std::string_view key, std::string_view utf8) {
  Key(key);
  body_ += JsonQuoted(utf8);
  return *this;
}

TJsonObject& TJsonObject::Number(std::string_view key, std::uint64_t value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

TJsonObject& TJsonObject::Flag(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

TJsonObject& TJsonObject::Object(std::string_view key, const TJsonObject& inner) {
  Key(key);
  body_ += inner.Str();
  return *this;
}

void TJsonObject::Key(std::string_view key) {
  if (!body_.empty()) body_ += ",";
  body_ += JsonQuoted(key) + ":";
}

std::string JsonQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      quoted += "\\uDC";
      quoted.push_back(HexDigit(static_cast<unsigned char>(c) >> 4));
      quoted.push_back(HexDigit(c));
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      quoted.push_back('\\');
      quoted.push_back(c);
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      quoted += "\\u00";
      quoted.push_back(HexDigit(static_cast<unsigned char>(c) >> 4));
      quoted.push_back(HexDigit(c));
    } else {
      quoted.append(text.substr(at, length));
    }
    at += length;
  }
  return quoted + "\"";
}
