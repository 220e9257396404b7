#pragma once

#include <string>
#include <string_view>

// Why `name` cannot be created below the chosen folder, as one sentence in Japanese ending in
// "。" for the failure prompt; empty when it can.
//
// A name may reach into a sub-folder that exists ("sub\x.txt"; "/" separates as "\" does), but
// never out of the chosen folder or to anything but a file. Refused in any part of the path: an
// empty part (a leading, trailing or doubled separator), "." and "..", a drive colon, the other
// characters no Windows file name holds (* ? " < > |) and control characters, and a device name
// (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$) with or without extensions. A name
// ending in a space or a dot is left to the system, which drops them: "a." then meets "a" as an
// existing file. The second byte of a double-byte character (表 ends in the byte of "\") is not a
// separator. A lead byte must be followed by a second byte (0x40-0x7E, 0x80-0xFC): one before a
// NUL or a ".", or at the very end, is refused as a control character is, since the system would
// cut such a name or read it otherwise.
std::string FileNameProblem(std::string_view name);

// The last part of a name as Windows makes the file: its path rules drop trailing dots and spaces,
// so the copy to "a." makes "a". (No second byte of a double-byte character is a dot or a space.)
std::string NameAsCreated(std::string leaf);
