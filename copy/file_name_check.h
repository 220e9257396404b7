#pragma once

#include <string>
#include <string_view>

#include "naming/mbcs.h"

// How names are written for the system: by a run for its target, by the platform in its journal.
// The text's encoding, and what separates sub-folders ("\\" on Windows, which takes "/" too; "/"
// for the command line on Linux).
struct TNameForm {
  TEncoding Encoding = TEncoding::ShiftJis;
  char Separator = '\\';
};

// Why `name` cannot be created below the chosen folder, as one sentence in Japanese ending in
// "。" for the failure prompt; empty when it can.
//
// A name may reach into a sub-folder that exists ("sub\x.txt"; "/" separates as "\" does), but
// never out of the chosen folder or to anything but a file. Refused in any part of the path: an
// empty part (a leading, trailing or doubled separator), "." and "..", a drive colon, the other
// characters no Windows file name holds (* ? " < > |) and control characters, and a device name
// (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$) with or without extensions. A name
// ending in a space or a dot is left to the system, which drops them: "a." then meets "a" as an
// existing file. `name` is text in `encoding`, and must be well-formed in it (IsWellFormed): a
// Shift-JIS lead byte before a NUL or a ".", or at the very end, or a broken UTF-8 sequence, is
// refused as a control character is, since the system would cut such a name or read it
// otherwise. A byte of a character of several bytes is never a separator (表 in Shift-JIS ends in
// the byte of "\").
std::string FileNameProblem(std::string_view name, TEncoding encoding);

// Why `name`, the platform's bytes in the form `form` gives, could lead out of the folder it is
// within or to that folder itself (an empty part, "." or "..", or under Windows a drive's colon),
// in the command's words; empty when it stays within. A journal's writer and its reader check
// its names so.
std::string OutsideTheFolder(std::string_view name, const TNameForm& form);

// Calls `part(text)` for each part of `name` between its separators, as the system reads `name`:
// with "\" as the form's separator at "\" and at "/", never at a byte of a character of several
// bytes (表 in Shift-JIS ends in the byte of "\"); with "/" at every "/" byte, whatever the text.
// Stops when `part` returns false, and is false then.
template <typename Part>
bool ForEachPart(std::string_view name, const TNameForm& form, Part&& part) {
  std::size_t start = 0;
  const auto end = [&](std::size_t at) {
    const bool more = part(name.substr(start, at - start));
    start = at + 1;
    return more;
  };
  bool more = true;
  if (form.Separator == '\\') {
    more = ForEachSingleByte(name, form.Encoding, [&](std::size_t i) {
      return name[i] == '\\' || name[i] == '/' ? end(i) : true;
    });
  } else {
    for (std::size_t i = 0; more && i < name.size(); ++i) {
      if (name[i] == form.Separator) more = end(i);
    }
  }
  return more && end(name.size());
}

// The last part of a name as Windows makes the file: its path rules drop trailing dots and spaces,
// so the copy to "a." makes "a". (No byte of a character of several bytes is a dot or a space.)
std::string NameAsCreated(std::string leaf);
