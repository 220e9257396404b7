// The real program, started as a separate process, found by its caption and closed by the user's
// close command.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// The program is built beside the tests.
std::string ProgramPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1) + "Tandelo.exe";
}

class TProcess {
 public:
  explicit TProcess(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info_) != FALSE;
  }
  ~TProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

struct TWindowSearch {
  DWORD ProcessId;
  const char* Caption;
  HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<TWindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char text[64] = {};
  GetWindowTextA(window, text, sizeof text);
  if (owner != search.ProcessId || std::string(text) != search.Caption) return TRUE;
  search.Found = window;
  return FALSE;
}

// The program's top-level window with `caption`: other tests running beside this one show main
// windows with the same caption in their own processes.
HWND FindProgramWindow(DWORD processId, const char* caption) {
  TWindowSearch search{processId, caption, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

TEST(ProgramTest, StartsWithItsMainWindowAndEndsWhenItIsClosed) {
  TProcess program('"' + ProgramPath() + '"');
  ASSERT_TRUE(program.Started()) << ProgramPath();
  // The window exists before it is shown: wait for both.
  HWND window = nullptr;
  for (int i = 0; i < 150 && !(window && IsWindowVisible(window)); ++i) {
    window = FindProgramWindow(program.Id(), "Tandelo(仮) Ver1.10");
    Sleep(100);
  }
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 481);
  EXPECT_EQ(client.bottom, 336);
  EXPECT_TRUE(IsWindowVisible(window));

  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(program.Handle(), 20000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(program.Handle(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
