#pragma once

#include <string>

// Removes `name` in the folder open as `folder` (AT_FDCWD: the current folder), but only while it
// names the very file open as `file`: while that handle is open the file's number cannot go to
// another file, so the same device and number is the same file. A link at the name is looked at
// itself, never followed. True when the name was removed.
bool RemoveIfHeld(int folder, const std::string& name, int file);
