// The real program, started as a separate process, found by its caption and closed by the user's
// close command.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tandelo_version.h"
#include "tests/support/windows_win32.h"

namespace {

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
  TProcess program(ProgramPath());
  ASSERT_TRUE(program.Started()) << ProgramPath();
  // The window exists before it is shown: wait for both.
  HWND window = nullptr;
  for (int i = 0; i < 150 && !(window && IsWindowVisible(window)); ++i) {
    window = FindProgramWindow(program.Id(), TANDELO_CAPTION);
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
