// The open-file dialog with a name longer than a path can be typed into it by real key presses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "app/dialogs_win32.h"
#include "tests/support/real_input_win32.h"
#include "tests/support/temp_folder_win32.h"

namespace {

struct TDialogSearch {
  HWND Found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  char name[16] = "";
  if (!IsWindowVisible(window) || !GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, "#32770") != 0) {
    return TRUE;
  }
  reinterpret_cast<TDialogSearch*>(data)->Found = window;
  return FALSE;
}

LRESULT TextLength(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
  return static_cast<LRESULT>(length);
}

// Types `text` into the open-file dialog of `thread`, once it is up, and presses Return when the
// name field has taken all it takes. Gives up (and the dialog stays, to fail the test by its
// timeout) when the dialog never comes.
void TypeIntoDialog(DWORD thread, const std::string& text) {
  TDialogSearch search;
  for (int i = 0; i < 500 && !search.Found; ++i) {
    Sleep(20);
    EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&search));
  }
  if (!search.Found) return;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  for (int i = 0; i < 250; ++i) {
    SetForegroundWindow(search.Found);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus && IsChild(search.Found, info.hwndFocus)) break;
    Sleep(20);
  }
  std::vector<INPUT> keys;
  for (char c : text) {
    for (bool up : {false, true}) keys.push_back(CharInput(c, up));
  }
  SendInputs(keys);
  // Typed keys arrive one by one: wait until the field stops growing.
  for (LRESULT last = -1, now = 0; (now = TextLength(info.hwndFocus)) != last;) {
    last = now;
    Sleep(200);
  }
  SendInputs({KeyInput(VK_RETURN, false), KeyInput(VK_RETURN, true)});
}

// Under Wine a name past MAX_PATH characters, or a relative one that is so long with the folder
// shown before it, overran the dialog's own buffer and crashed the program. The field now takes
// what a path holds, so the dialog returns a shorter name. The folder shown is the temporary one.
class OpenFileDialogTest : public testing::TestWithParam<bool> {};

TEST_P(OpenFileDialogTest, ANameLongerThanAPathCannotBeTypedIn) {
  const bool relative = GetParam();
  TTempFolder folder;
  const std::string prefix = folder.Path() + "\\";
  std::string typed = relative ? "" : prefix;
  typed.append(290 - typed.size() - 4, 'a').append(".txt");
  TWin32Dialogs dialogs;
  std::thread typist(TypeIntoDialog, GetCurrentThreadId(), typed);

  std::string chosen;
  const bool confirmed = dialogs.OpenFile(folder.Path(), chosen);
  typist.join();

  ASSERT_TRUE(confirmed);
  EXPECT_LT(chosen.size(), static_cast<std::size_t>(MAX_PATH));
  const std::string whole = relative ? prefix + typed : typed;
  EXPECT_EQ(chosen, whole.substr(0, chosen.size()));
}

INSTANTIATE_TEST_SUITE_P(Names, OpenFileDialogTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Relative" : "WholePath"; });

}  // namespace
