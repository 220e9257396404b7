#pragma once

#include <string>
#include <string_view>

// Why `name` cannot be a file directly in the chosen folder under exactly that name, as one
// sentence in Japanese ending in "。" for the failure prompt; empty when it can.
//
// Refused: an empty name; a folder or drive separator ("\", "/", ":"), the other characters no
// Windows file name holds (* ? " < > |) and control characters, since each would either reach
// outside the folder, open something that is not a file, or fail with a vaguer system text;
// "." and ".."; a device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$) with or
// without extensions; and a name ending in a space or a dot, which the system drops silently.
// The second byte of a double-byte character (表 ends in the byte of "\") is not a separator.
std::string FileNameProblem(std::string_view name);
