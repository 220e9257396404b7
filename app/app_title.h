#pragma once

// The program's name as the user sees it: the caption of the main window and of its messages.
inline constexpr char kApplicationTitle[] = "Tandelo(仮)";
