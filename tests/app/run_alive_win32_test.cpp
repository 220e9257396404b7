// A long run of copies on the window's thread, watched from another thread as the system watches
// a program for hanging.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/form1_win32.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/temp_folder_win32.h"

namespace {

// The system calls a window hung after five seconds without a look at its queue: the run must
// last longer than that.
constexpr auto kRunFor = std::chrono::milliseconds(6500);

TEST(RunAliveTest, ALongRunOfCopiesIsNeverTakenForAHungWindow) {
  TFakeDialogs dialogs;
  TForm1 form(dialogs);
  form.Show(SW_SHOWNOACTIVATE);
  TTempFolder sourceFolder, folder;
  const std::string source = sourceFolder / "report.txt";
  PutFile(source, "content");
  dialogs.Files.push_back(source);
  SendMessageA(form.Button1, BM_CLICK, 0, 0);
  dialogs.Folders.push_back(folder.Path());
  SendMessageA(form.Button2, BM_CLICK, 0, 0);
  form.Editor().AddRuleNode(TreeView_GetRoot(form.Editor().TreeView1));
  form.Rules().Root().Child(0).Data()->NumTo = 99999;  // far more copies than fit in the time

  // Asks every 200 ms, as the system's own checks do, then closes the window: the run stops
  // before its next copy.
  const HWND window = form.Handle();
  std::atomic<int> hungAnswers{0}, looks{0};
  std::thread watcher([&] {
    const auto end = std::chrono::steady_clock::now() + kRunFor;
    while (std::chrono::steady_clock::now() < end) {
      if (IsHungAppWindow(window)) ++hungAnswers;
      ++looks;
      Sleep(200);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
  });
  const auto start = std::chrono::steady_clock::now();
  SendMessageA(form.Button3, BM_CLICK, 0, 0);
  const auto ran = std::chrono::steady_clock::now() - start;
  watcher.join();

  EXPECT_EQ(hungAnswers, 0) << "of " << looks << " looks";
  EXPECT_GE(ran, kRunFor - std::chrono::milliseconds(500));  // the run was still copying at the end
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(dialogs.Messages.empty());
  std::string names = ListFolder(folder.Path());
  const auto copies = std::count(names.begin(), names.end(), ' ') + 1;
  EXPECT_GT(copies, 1000);
  EXPECT_LT(copies, 100000);
  std::printf("%d copies in %lld ms\n", static_cast<int>(copies),
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(ran).count()));
}

}  // namespace
