#pragma once

// A person at the display, working a program of another process: what they see of its windows
// from outside, and their real mouse clicks and key presses (SendInput). Controls are found by
// what a person sees of them: their class, caption and place. No message carrying a pointer goes
// to the program, except WM_GETTEXT, which the system copies between processes.
//
// Real input goes to whatever window is in front, and other programs on the same display may come
// to the front at any moment, so every click and key press first makes sure its window is in
// front and, for a click, that nothing else lies under the pointer.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/real_input_win32.h"
#include "tests/support/windows_win32.h"

namespace e2e {

// The system's classes of the windows a user meets besides the program's own.
const char kMenuClass[] = "#32768";
const char kDialogClass[] = "#32770";
const char kDropDownClass[] = "ComboLBox";

// A step may wait this long for the program to answer.
constexpr DWORD kStepTimeout = 5000;

inline DWORD startTick = 0;

// A failed check; the text says what was expected, in plain ASCII.
class TFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bytes outside printable ASCII as \xNN, so the log stays ASCII whatever the windows showed.
inline std::string Ascii(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

inline void Log(const char* format, ...) {
  std::printf("[%6.2fs] ", (GetTickCount() - startTick) / 1000.0);
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
}

inline void Require(bool condition, const std::string& what) {
  if (!condition) throw TFailure(what);
}

// Polls `condition` until it holds or `timeout` runs out; never waits longer.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeout = kStepTimeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout) return false;
    Sleep(15);
  }
}

// Windows of the program, seen from outside.

// The text through WM_GETTEXT, which reaches the control itself (an edit's contents), not only
// the caption the system keeps for a window of another process.
inline std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return "";
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           2000, &copied)) {
    return "";
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

// A message to a control of the program, with a time limit: a program that hangs fails the test
// instead of stopping it.
inline LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result)) {
    throw TFailure("the program does not answer message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

inline RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

inline POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Every window inside `parent`, at any depth.
inline std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline std::vector<HWND> DirectChildren(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) found.push_back(child);
  return found;
}

// The program's top-level windows: other tests on the same display show windows with the same
// captions in their own processes.
inline std::vector<HWND> TopWindows(DWORD processId) {
  std::vector<HWND> all, found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) found.push_back(window);
  }
  return found;
}

// The first visible top-level window of the program with this class and, when given, caption.
inline HWND FindTop(DWORD processId, const char* className, const char* caption = nullptr) {
  for (HWND window : TopWindows(processId)) {
    if (!IsWindowVisible(window) || (className && !HasClass(window, className))) continue;
    if (caption && TextOf(window) != caption) continue;
    return window;
  }
  return nullptr;
}

inline HWND WaitForTop(DWORD processId, const char* className, const char* caption, const char* what,
                DWORD timeout = kStepTimeout) {
  HWND found = nullptr;
  Require(WaitUntil([&] { return (found = FindTop(processId, className, caption)) != nullptr; }, timeout),
          std::string(what) + " did not appear");
  return found;
}

inline void WaitGone(HWND window, const char* what) {
  Require(WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }), std::string(what) + " did not close");
}

// The text of a message box: its text control, id 0xFFFF.
inline std::string MessageBoxText(HWND box) {
  if (HWND text = GetDlgItem(box, 0xFFFF)) return TextOf(text);
  return "";
}

inline HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

// What the program shows, for the log of a failure.
inline void DescribeWindows(DWORD processId) {
  std::printf("  windows of the program:\n");
  for (HWND window : TopWindows(processId)) {
    if (!IsWindowVisible(window)) continue;
    std::printf("    class \"%s\" caption \"%s\"", Ascii(ClassOf(window)).c_str(), Ascii(TextOf(window)).c_str());
    if (HasClass(window, kDialogClass)) std::printf(" text \"%s\"", Ascii(MessageBoxText(window)).c_str());
    std::printf("%s\n", GetForegroundWindow() == window ? " (in front)" : "");
  }
  std::fflush(stdout);
}

// Real input.

inline void Send(std::vector<INPUT> inputs) { Require(SendInputs(std::move(inputs)), "SendInput refused the input"); }

inline void MouseClick(POINT screen, bool right) {
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  Send({MouseInput(screen, 0), MouseInput(screen, down), MouseInput(screen, up)});
}

// The user.

// A hint that the program shows under the pointer lets clicks through to the window beneath it.
inline bool IsOwnHint(HWND window, HWND target) {
  if (!window || !HasClass(window, TOOLTIPS_CLASSA)) return false;
  DWORD hintProcess = 0, targetProcess = 0;
  GetWindowThreadProcessId(window, &hintProcess);
  GetWindowThreadProcessId(target, &targetProcess);
  return hintProcess == targetProcess;
}

class TUser {
 public:
  explicit TUser(const TProcess& program) : program_(program) {}

  // Makes `top` the window in front, which is where key presses go.
  void BringToFront(HWND top) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      Require(program_.Running(), "the program ended unexpectedly");
      if (GetForegroundWindow() == top) return;
      SetForegroundWindow(top);
      if (WaitUntil([&] { return GetForegroundWindow() == top; }, 300)) return;
    }
    throw TFailure("could not bring the window \"" + Ascii(TextOf(top)) + "\" to the front");
  }

  // Clicks `screen` once `target`, or a window inside it, is what lies under the pointer there.
  // Menus and drop-down lists never come to the front: for them `front` is false.
  void ClickOn(HWND target, POINT screen, bool right = false, bool front = true) {
    Require(IsWindowVisible(target), "the " + Ascii(ClassOf(target)) + " to click is not shown");
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (front) BringToFront(GetAncestor(target, GA_ROOT));
      const HWND under = WindowFromPoint(screen);
      if (under == target || IsChild(target, under) || IsOwnHint(under, target)) {
        MouseClick(screen, right);
        return;
      }
      Sleep(50);
    }
    throw TFailure("another window covers the " + Ascii(ClassOf(target)) + " to click");
  }
  void ClickOn(HWND target) { ClickOn(target, Centre(ScreenRect(target))); }

  // Presses the keys in order and lets them go in reverse: a chord such as Shift+End or Alt+F4.
  void Chord(HWND top, std::initializer_list<WORD> keys) {
    BringToFront(top);
    ChordHere(keys);
  }
  void Press(HWND top, WORD key) { Chord(top, {key}); }

  // The same wherever the keyboard is now, with no window brought to the front first: the next
  // key of a user who only looks at the screen. A window the program left inactive gets nothing.
  void ChordHere(std::initializer_list<WORD> keys) {
    Require(program_.Running(), "the program ended unexpectedly");
    std::vector<INPUT> inputs;
    for (WORD key : keys) inputs.push_back(KeyInput(key, false));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) inputs.push_back(KeyInput(*key, true));
    Send(inputs);
  }

  // Types ANSI (Shift-JIS) text as the characters a keyboard or input method would give.
  void Type(HWND top, const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    BringToFront(top);
    std::vector<INPUT> inputs;
    for (wchar_t c : wide) {
      for (bool up : {false, true}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(c);
        input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
        inputs.push_back(input);
      }
    }
    Send(inputs);
  }

  // Clicks into an edit field and replaces its whole text by typing.
  void TypeInto(HWND field, const std::string& text, const char* what) {
    const HWND top = GetAncestor(field, GA_ROOT);
    const DWORD thread = GetWindowThreadProcessId(field, nullptr);
    ClickOn(field, POINT{ScreenRect(field).left + 6, Centre(ScreenRect(field)).y});
    Require(WaitUntil([&] { return FocusOf(thread) == field; }), std::string("clicking ") + what + " gave it no focus");
    Press(top, VK_HOME);
    Chord(top, {VK_SHIFT, VK_END});
    Type(top, text);
    Require(WaitUntil([&] { return TextOf(field) == text; }),
            std::string(what) + " shows \"" + Ascii(TextOf(field)) + "\" instead of \"" + Ascii(text) + "\"");
  }

 private:
  const TProcess& program_;
};

}  // namespace e2e
