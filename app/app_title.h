#pragma once

#include "tandelo_version.h"

// The program's name as the user sees it: the caption of its messages; the main window's
// caption adds the version.
inline constexpr char kApplicationTitle[] = TANDELO_TITLE;
