#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/dialogs_win32.h"
#include "app/message_box_win32.h"
#include "win32/window.h"
#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/windows_win32.h"

namespace {

const std::string kTitle = "Tandelo(仮)";
const std::string kCaption = "注意";
const std::string kMessage = "ファイルのコピーが完了しました";
// The second bytes of 表 and ソ are 0x5C, the path separator: the text must pass through as bytes.
const std::string kQuestion = "C:\\表\\ソフト\\1.txtはすでに存在します。複製を続行しますか？(「はい」を選択した場合、"
                              "現在のファイルをスキップして、次以降のファイルを複製します。)";

struct TBoxCase {
  const char* Name;
  std::function<int(HWND owner)> Show;  // shows the box and gives what the caller got back
  int Press;                            // the user's answer
  int Returned;
  std::string Caption;
  std::string Text;
  std::vector<int> Buttons;  // left to right, the first being the default
};

int ShowPlain(HWND owner) {
  TPlainMessage(owner).ShowMessage(kMessage);
  return 0;  // the plain message gives nothing back
}

int AskPrompt(HWND owner) { return TCopyPrompt(owner).Ask(kQuestion, kCaption, MB_YESNO); }

const TBoxCase kCases[] = {
    {"PlainMessage", ShowPlain, IDOK, 0, kTitle, kMessage, {IDOK}},
    {"PromptYes", AskPrompt, IDYES, IDYES, kCaption, kQuestion, {IDYES, IDNO}},
    {"PromptNo", AskPrompt, IDNO, IDNO, kCaption, kQuestion, {IDYES, IDNO}},
};

void PrintTo(const TBoxCase& c, std::ostream* os) { *os << c.Name; }

class MessageBoxTest : public testing::TestWithParam<TBoxCase> {};

// The owner takes no input while the box stands. (That it has the activation back afterwards is
// seen by the tests that run alone: another test's window may take the front meanwhile.)
TEST_P(MessageBoxTest, ShowsTheTextWithoutIconOverItsOwnerAndGivesThePress) {
  const TBoxCase& c = GetParam();
  TTopLevelWindow owner;
  ASSERT_TRUE(owner.Handle());
  TMessageBoxWatcher watcher({c.Press});

  EXPECT_EQ(c.Show(owner.Handle()), c.Returned);

  ASSERT_EQ(watcher.Seen().size(), 1u);
  const TMessageBoxSeen& box = watcher.Seen()[0];
  EXPECT_EQ(box.Caption, c.Caption);
  EXPECT_EQ(box.Text, c.Text);
  EXPECT_EQ(box.Buttons, c.Buttons);
  EXPECT_EQ(box.DefaultButton, c.Buttons.front());
  EXPECT_FALSE(box.IconShown);
  EXPECT_EQ(box.Owner, owner.Handle());
  EXPECT_FALSE(box.OwnerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

INSTANTIATE_TEST_SUITE_P(Boxes, MessageBoxTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TBoxCase>& info) { return info.param.Name; });

// With nothing to stand over, a box still keeps every window of the program from input.
TEST(PlainMessageTest, WithoutAnOwnerDisablesEveryWindowOfTheProgram) {
  TTopLevelWindow first, second;
  TMessageBoxWatcher watcher({IDOK});

  ShowPlain(nullptr);

  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].OtherWindows, 2);
  EXPECT_EQ(watcher.Seen()[0].EnabledOtherWindows, 0);
  EXPECT_TRUE(IsWindowEnabled(first.Handle()) && IsWindowEnabled(second.Handle()));
}

struct TStopKey {
  const char* Name;
  UINT Message;
  WPARAM Key;
  LPARAM Flags;
};

TStopKey pressed;
HHOOK pressHook = nullptr;

// Presses the key on the box as it comes up, as a key press on its focused button.
LRESULT CALLBACK PressKey(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    PostMessageA(GetDlgItem(reinterpret_cast<HWND>(wParam), IDYES), pressed.Message, pressed.Key, pressed.Flags);
  }
  return CallNextHookEx(pressHook, code, wParam, lParam);
}

class CopyPromptKeyTest : public testing::TestWithParam<TStopKey> {};

// Windows ignores both keys on a box without Cancel, and Wine ends it with Cancel.
TEST_P(CopyPromptKeyTest, AnswersNo) {
  TTopLevelWindow owner;
  pressed = GetParam();
  pressHook = SetWindowsHookExA(WH_CBT, PressKey, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(pressHook);
  const int answer = AskPrompt(owner.Handle());
  UnhookWindowsHookEx(pressHook);
  EXPECT_EQ(answer, IDNO);
}

INSTANTIATE_TEST_SUITE_P(Keys, CopyPromptKeyTest,
                         testing::Values(TStopKey{"Escape", WM_KEYDOWN, VK_ESCAPE, 1},
                                         TStopKey{"AltF4", WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)}),
                         [](const testing::TestParamInfo<TStopKey>& info) { return std::string(info.param.Name); });

// The system would put it over its owner, which stands off the middle here.
TEST(PlainMessageTest, IsCentredOnTheScreen) {
  TTopLevelWindow owner(RECT{0, 0, 200, 150});
  TMessageBoxWatcher watcher({IDOK});

  TPlainMessage(owner.Handle()).ShowMessage(kQuestion);

  ASSERT_EQ(watcher.Seen().size(), 1u);
  const RECT& rect = watcher.Seen()[0].Rect;
  EXPECT_NEAR((rect.left + rect.right) / 2.0, GetSystemMetrics(SM_CXSCREEN) / 2.0, 2.0);
  EXPECT_NEAR((rect.top + rect.bottom) / 2.0, GetSystemMetrics(SM_CYSCREEN) / 2.0, 2.0);
}

TEST(ErrorBoxTest, ShowsTheTextWithAFullStopAndAnErrorIcon) {
  TMessageBoxWatcher watcher({IDOK});

  TWin32Dialogs dialogs;
  dialogs.ShowError("ディレクトリを作成できません");

  ASSERT_EQ(watcher.Seen().size(), 1u);
  const TMessageBoxSeen& box = watcher.Seen()[0];
  EXPECT_EQ(box.Caption, kTitle);
  EXPECT_EQ(box.Text, "ディレクトリを作成できません.");
  EXPECT_EQ(box.Buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(box.IconShown);
}

TEST(ErrorBoxTest, AFailureWithoutWordsOfItsOwnIsWordedForTheUser) {
  const TWin32Dialogs dialogs;
  EXPECT_EQ(DescribeError(std::bad_alloc()), "メモリが不足しています");
  EXPECT_EQ(DescribeUnexpectedError(), "予期しないエラーが発生しました");
  EXPECT_EQ(DescribeError(std::runtime_error("ディレクトリを作成できません")), "ディレクトリを作成できません");
}

}  // namespace
