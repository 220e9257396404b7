#pragma once

#include <windows.h>

#include <exception>
#include <utility>

// The base of the messages a parent reflects to its controls.
#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif

// A parent hands an owner-drawn control's requests (WM_DRAWITEM, WM_MEASUREITEM) back to the
// control as OCM__BASE + message. What the control's handler throws cannot cross the system's
// SendMessage, so the control keeps it and SendReflected throws it again on the parent's side,
// where the parent's window procedure reports it like the failure of any of its handlers.

inline thread_local std::exception_ptr* reflectedError = nullptr;  // the innermost send's, or null

inline LRESULT SendReflected(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  std::exception_ptr error;
  std::exception_ptr* const outer = std::exchange(reflectedError, &error);
  const LRESULT result = SendMessageA(control, OCM__BASE + message, wParam, lParam);
  reflectedError = outer;
  if (error) std::rethrow_exception(error);
  return result;
}

// For a reflecting control's window procedure, with the failure it caught: false when no
// SendReflected is under way to take it.
inline bool KeepReflectedError(std::exception_ptr error) {
  if (reflectedError == nullptr) return false;
  *reflectedError = std::move(error);
  return true;
}
