#pragma once

#include <windows.h>

// How the preview's list tells the system's accessibility layer that it is a read-only edit, so
// that screen readers, magnifiers and automation tools read it as one.

// The answer to WM_GETOBJECT's OBJID_QUERYCLASSNAMEIDX by which a window says that it behaves as
// the system's edit control: the accessibility layer then reads it with its own edit support,
// through the edit's messages and style bits.
inline constexpr LRESULT kEditClassIndex = 65536 + 4;

// The answer to WM_GETOBJECT's OBJID_CLIENT (`flags` is its wParam) for a window that reads as a
// read-only edit. Where the system's own object for the window is already text (it honoured
// kEditClassIndex), 0, so that the system makes that object; elsewhere an object of our own around
// the system's: role text, state read-only and focusable (and focused with the focus), the window
// text as value and the text of the label just before it among its siblings as name.
LRESULT ReadOnlyEditObject(HWND window, WPARAM flags);
