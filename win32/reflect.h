#pragma once

#include <windows.h>

// The base of the messages a parent reflects to its controls.
#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif

// A parent hands an owner-drawn control's requests (WM_DRAWITEM, WM_MEASUREITEM) back to the
// control as OCM__BASE + message; nonzero when the control handled the request.
inline LRESULT SendReflected(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(control, OCM__BASE + message, wParam, lParam);
}
