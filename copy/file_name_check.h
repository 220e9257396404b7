#pragma once

#include <string>
#include <string_view>

#include "naming/mbcs.h"

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

// The last part of a name as Windows makes the file: its path rules drop trailing dots and spaces,
// so the copy to "a." makes "a". (No byte of a character of several bytes is a dot or a space.)
std::string NameAsCreated(std::string leaf);
