// The program on a system whose code page is not Japanese. These tests run under a locale that
// gives Wine code page 1252, and read every text through the Unicode interface: what a user of
// such a system sees.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tandelo_version.h"
#include "tests/support/temp_folder_win32.h"
#include "tests/support/windows_win32.h"

namespace {

std::wstring WideText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The first visible top-level window of the process with class `className` (any when null).
HWND WaitForWindow(DWORD processId, const char* className) {
  for (int i = 0; i < 200; ++i) {
    HWND found = nullptr;
    for (HWND window = GetTopWindow(nullptr); window && !found; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId && IsWindowVisible(window) && (!className || HasClass(window, className))) found = window;
    }
    if (found) return found;
    Sleep(100);
  }
  return nullptr;
}

std::string BesideTheTests(const char* name) {
  const std::string program = ProgramPath();
  return program.substr(0, program.find_last_of('\\') + 1) + name;
}

TEST(SystemCodePageTest, TheTestsRunUnderAnotherCodePage) { EXPECT_EQ(GetACP(), 1252u); }

TEST(SystemCodePageTest, TheProgramAsksForTheJapaneseCodePageAndItsTextsReadRight) {
  TProcess program(ProgramPath());
  ASSERT_TRUE(program.Started());
  const HWND window = WaitForWindow(program.Id(), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WideText(window), L"" TANDELO_CAPTION);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(program.Handle(), 20000), WAIT_OBJECT_0);
}

// What runs where the system does not honour the manifest's code page: the same program, whose
// manifest lacks it.
TEST(SystemCodePageTest, WithoutItTheProgramSaysWhyInBothLanguagesOpensNothingAndEnds) {
  TTempFolder folder;
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
  TProcess program(BesideTheTests("TandeloWithoutCodePage.exe"));
  ASSERT_TRUE(program.Started());
  const HWND box = WaitForWindow(program.Id(), "#32770");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WideText(box), L"" TANDELO_TITLE);
  const std::wstring text = WideText(GetDlgItem(box, 0xFFFF));
  for (const wchar_t* part : {L"コード ページ 932", L"この Windows のコード ページは 1252", L"日本語 (日本)",
                              L"the Japanese code page (932)", L"this Windows uses code page 1252",
                              L"Change system locale"}) {
    EXPECT_NE(text.find(part), std::wstring::npos) << part;
  }
  // The box is the only window the program shows.
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == program.Id() && IsWindowVisible(window)) {
      EXPECT_EQ(window, box);
    }
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(WaitForSingleObject(program.Handle(), 20000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  GetExitCodeProcess(program.Handle(), &exitCode);
  EXPECT_EQ(exitCode, 1u);
  SetCurrentDirectoryA("C:\\");
  EXPECT_EQ(ListFolder(folder.Path()), "");
}

}  // namespace
