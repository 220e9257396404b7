#pragma once

#include <windows.h>

#include <vector>

// Real input (SendInput), as a person's keyboard and mouse give it, for the tests that need the
// system's own path: whatever window is in front receives it.

// A key going down or up; the caret keys are the extended ones of a real keyboard, not those of
// the number pad.
inline INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  const bool extended = key == VK_HOME || key == VK_END || key == VK_LEFT || key == VK_RIGHT || key == VK_UP ||
                        key == VK_DOWN || key == VK_DELETE;
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

// A typed character going down or up, whatever the keyboard layout.
inline INPUT CharInput(char c, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = static_cast<unsigned char>(c);
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

// The pointer moved to `screen` (pixels), with `flags` such as MOUSEEVENTF_LEFTDOWN.
inline INPUT MouseInput(POINT screen, DWORD flags) {
  // Absolute coordinates run from 0 to 65535 over the whole virtual screen; rounding up makes the
  // system's conversion back land on exactly this pixel.
  const LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const LONG width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(((screen.x - left) * 65536LL + width - 1) / width);
  input.mi.dy = static_cast<LONG>(((screen.y - top) * 65536LL + height - 1) / height);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return input;
}

// False when the system refused any of the input.
inline bool SendInputs(std::vector<INPUT> inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}
