// Keys the user pressed while the program was busy must not answer the box that follows. The
// press is real input (SendInput) left waiting in the thread's queue, as it is when the user types
// during a long run and the thread only looks at its queue once the box is up.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/message_box_win32.h"
#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/real_input_win32.h"
#include "tests/support/windows_win32.h"

namespace {

// Presses and lets go of Return with `window` in front and holding the keyboard focus, and
// returns once the press waits in this thread's queue; nothing here looks at the queue's
// messages, so nothing takes the press out.
testing::AssertionResult QueueReturnPress(HWND window) {
  SetForegroundWindow(window);
  SetFocus(window);
  if (GetFocus() != window) return testing::AssertionFailure() << "the window did not get the keyboard focus";
  if (!SendInputs({KeyInput(VK_RETURN, false), KeyInput(VK_RETURN, true)})) return testing::AssertionFailure() << "SendInput refused the keys";
  for (int i = 0; i < 100; ++i) {
    if (HIWORD(GetQueueStatus(QS_KEY)) & QS_KEY) return testing::AssertionSuccess();
    Sleep(10);
  }
  return testing::AssertionFailure() << "the key press never reached the thread's queue";
}

struct TQueuedCase {
  const char* Name;
  std::function<int(HWND owner)> Show;  // shows the box and gives what the caller got back
  int Press;                            // the answer the watcher gives
  int Returned;
};

const TQueuedCase kCases[] = {
    // Return would press the default button, "はい": the run would skip a name nobody looked at.
    {"CopyPrompt",
     [](HWND owner) { return TCopyPrompt(owner).Ask("C:\\out\\1.txtはすでに存在します。", "注意", MB_YESNO); },
     IDNO, IDNO},
    // The message at the end of a run would be gone before the user saw it.
    {"PlainMessage",
     [](HWND owner) {
       TPlainMessage(owner).ShowMessage("ファイルのコピーが完了しました");
       return 0;
     },
     IDOK, 0},
};

void PrintTo(const TQueuedCase& c, std::ostream* os) { *os << c.Name; }

class QueuedInputTest : public testing::TestWithParam<TQueuedCase> {};

TEST_P(QueuedInputTest, AKeyPressedBeforeTheBoxDoesNotAnswerIt) {
  const TQueuedCase& c = GetParam();
  TTopLevelWindow window;
  ASSERT_TRUE(QueueReturnPress(window.Handle()));
  TMessageBoxWatcher watcher({c.Press});

  EXPECT_EQ(c.Show(window.Handle()), c.Returned);

  // The box stayed up until the watcher answered it.
  EXPECT_EQ(watcher.Seen().size(), 1u);
  // It stood over the window, which has the activation back: a box that disabled every window
  // without an owner left none of them active.
  EXPECT_EQ(GetActiveWindow(), window.Handle());
}

INSTANTIATE_TEST_SUITE_P(Boxes, QueuedInputTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TQueuedCase>& info) { return info.param.Name; });

}  // namespace
