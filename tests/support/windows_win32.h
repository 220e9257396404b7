#pragma once

#include <windows.h>

#include <functional>
#include <string>

// What Windows tests share about windows: their class, finding the test's own, running their
// messages, a stand-in top-level window and a started program.

inline std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

inline bool HasClass(HWND window, const char* name) { return lstrcmpiA(ClassOf(window).c_str(), name) == 0; }

// The first top-level window of `thread` that `match` accepts, or null. Tests look only at their
// own thread's windows: a test running beside this one may show the same kind of window.
inline HWND FindThreadWindow(DWORD thread, const std::function<bool(HWND)>& match) {
  struct TSearch {
    const std::function<bool(HWND)>& Match;
    HWND Found;
    static BOOL CALLBACK Visit(HWND window, LPARAM data) {
      auto& sought = *reinterpret_cast<TSearch*>(data);
      if (!sought.Match(window)) return TRUE;
      sought.Found = window;
      return FALSE;
    }
  } search{match, nullptr};
  EnumThreadWindows(thread, TSearch::Visit, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// This thread's first top-level window of class `className`, or null.
inline HWND FindThreadWindow(const char* className) {
  return FindThreadWindow(GetCurrentThreadId(), [&](HWND window) { return ClassOf(window) == className; });
}

// Runs what is queued for the thread, through the dialog keys of `window` as the program's message
// loop does.
inline void PumpThroughDialogKeys(HWND window) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Runs the thread's messages, timers included, for `milliseconds`.
inline void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

// A visible top-level window of the test's thread, standing for one of the program's windows.
class TTopLevelWindow {
 public:
  explicit TTopLevelWindow(RECT rect = RECT{100, 100, 581, 465})
      : handle_(CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr)) {}
  ~TTopLevelWindow() {
    if (handle_) DestroyWindow(handle_);
  }
  TTopLevelWindow(const TTopLevelWindow&) = delete;
  TTopLevelWindow& operator=(const TTopLevelWindow&) = delete;

  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

// A program started from its path; ended at the latest when this goes.
class TProcess {
 public:
  explicit TProcess(const std::string& path) {
    std::string commandLine = '"' + path + '"';
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info_) != FALSE;
  }
  ~TProcess() {
    if (!started_) return;
    if (Running()) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// The program, built beside the test executables.
inline std::string ProgramPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1) + "Tandelo.exe";
}
