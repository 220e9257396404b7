#pragma once

#include <windows.h>

#include "editor/rule_images.h"
#include "win32/gdi.h"

// The program's icon at `size` x `size` pixels (32 for a window's large icon, 16 for its small
// one; other sizes are scaled from the nearest), from the module `instance` whose resources
// include it. Empty when the module has no such icon.
TIcon LoadAppIcon(HINSTANCE instance, int size);

// The rule tree's two masked 16 x 16 pictures (kRootImage, kRuleImage) from the module
// `instance`. Empty when the module lacks them or the list cannot be made.
TImageList CreateRuleImageList(HINSTANCE instance);
