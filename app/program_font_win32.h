#pragma once

#include <windows.h>

#include "win32/owned_handle.h"

// The program's font: "ＭＳ Ｐゴシック", 12-pixel character height, Shift-JIS. Every window of the
// program shows its text in it.
inline TGdiObject<HFONT> CreateProgramFont() {
  return TGdiObject<HFONT>(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, "ＭＳ Ｐゴシック"));
}
