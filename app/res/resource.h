#pragma once

// IDs of the program's resources, shared by tandelo.rc and the code that loads them.

// The lowest icon ID: Explorer shows this icon for the program.
#define IDI_APPICON 1

// The rule tree's pictures, 16 x 16 each side by side; magenta (255, 0, 255) is transparent.
#define IDB_RULEIMAGES 101
