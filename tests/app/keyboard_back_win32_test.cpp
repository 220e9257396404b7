// Which window has the keyboard once a box over it has closed. Activation follows the front of
// the display, which any other test that shows a window may take: these tests run alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/preview_showing_win32.h"
#include "win32/error_box.h"

namespace {

// What fails in the preview's list is reported over the preview; once the box is closed, the list
// has the keyboard again.
TEST(KeyboardBackTest, AnErrorBoxOverThePreviewGivesTheFocusBackToItsList) {
  TTopLevelWindow owner;
  SetForegroundWindow(owner.Handle());
  HWND list = nullptr, before = nullptr, after = nullptr;
  std::vector<TMessageBoxSeen> seen;
  ShowPreviewWindow(owner.Handle(), ProgramFont(), {"1.txt", "2.txt"}, [&](HWND preview) {
    list = Memo1Of(preview);
    before = GetFocus();
    {
      TMessageBoxWatcher watcher({IDOK});
      ShowErrorBox(preview, "メモリが不足しています");
      seen = watcher.Seen();
    }
    after = GetFocus();
    PostMessageA(preview, WM_CLOSE, 0, 0);
  });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_FALSE(seen[0].OwnerEnabled);
  EXPECT_EQ(before, list);
  EXPECT_EQ(after, list);
}

}  // namespace
