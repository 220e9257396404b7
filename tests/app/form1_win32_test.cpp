// The main window driven by its messages, with its dialogs answered in code.
#include <gtest/gtest.h>
#include <windows.h>

#include <imm.h>

#include <commctrl.h>

#include <utility>
#include <vector>

#include "app/form1_win32.h"
#include "app/program_font_win32.h"
#include "tandelo_version.h"
#include "preview/preview_window_win32.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/temp_folder_win32.h"

namespace {

class Form1Test : public testing::Test {
 protected:
  void SetUp() override { form_.Show(SW_SHOWNOACTIVATE); }

  void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }
  void ChooseSource(const std::string& path) {
    dialogs_.Files.push_back(path);
    Click(form_.Button1);
  }
  void ChooseFolder(const std::string& path) {
    dialogs_.Folders.push_back(path);
    Click(form_.Button2);
  }
  HTREEITEM Root() { return TreeView_GetRoot(form_.Editor().TreeView1); }
  void Select(HTREEITEM item) { TreeView_SelectItem(form_.Editor().TreeView1, item); }
  bool Enabled(HWND control) { return IsWindowEnabled(control) != FALSE; }
  bool RunButtonsEnabled() {
    EXPECT_EQ(Enabled(form_.Button3), Enabled(form_.Button4));
    return Enabled(form_.Button3);
  }

  TFakeDialogs dialogs_;
  TForm1 form_{dialogs_};
  TTempFolder folder_;
};

// Where each control and panel stands, by the name the user's design gives it.
struct TPlace {
  const char* Name;
  HWND (*Control)(TForm1&);
  HWND (*Parent)(TForm1&);
  RECT Rect;  // left, top, right, bottom in the parent's client area
};

const TPlace kPlaces[] = {
    {"Label1", [](TForm1& f) { return f.Label1; }, [](TForm1& f) { return f.Panel2->Handle(); }, {8, 12, 91, 24}},
    {"Label2", [](TForm1& f) { return f.Label2; }, [](TForm1& f) { return f.Panel2->Handle(); }, {8, 32, 93, 44}},
    {"Edit1", [](TForm1& f) { return f.Edit1; }, [](TForm1& f) { return f.Panel2->Handle(); }, {96, 8, 449, 28}},
    {"Edit2", [](TForm1& f) { return f.Edit2; }, [](TForm1& f) { return f.Panel2->Handle(); }, {96, 29, 449, 49}},
    {"Button2", [](TForm1& f) { return f.Button2; }, [](TForm1& f) { return f.Panel2->Handle(); }, {450, 29, 475, 49}},
    {"Button1", [](TForm1& f) { return f.Button1; }, [](TForm1& f) { return f.Panel2->Handle(); }, {450, 8, 475, 28}},
    {"Label5", [](TForm1& f) { return f.Label5; }, [](TForm1& f) { return f.Panel3->Handle(); }, {2, 24, 320, 36}},
    {"Button4", [](TForm1& f) { return f.Button4; }, [](TForm1& f) { return f.Panel3->Handle(); }, {324, 8, 399, 33}},
    {"Button3", [](TForm1& f) { return f.Button3; }, [](TForm1& f) { return f.Panel3->Handle(); }, {403, 8, 478, 33}},
    {"CheckBox1", [](TForm1& f) { return f.CheckBox1; }, [](TForm1& f) { return f.Panel3->Handle(); }, {3, 3, 309, 20}},
    {"TreeView1", [](TForm1& f) { return f.Editor().TreeView1; }, [](TForm1& f) { return f.Editor().Panel5->Handle(); }, {0, 17, 224, 228}},
    {"ButtonEx1", [](TForm1& f) { return f.Editor().ButtonEx1; }, [](TForm1& f) { return f.Editor().Panel1->Handle(); }, {157, 1, 182, 17}},
    {"Label4", [](TForm1& f) { return f.Editor().Label4; }, [](TForm1& f) { return f.Editor().Panel7->Handle(); }, {8, 8, 62, 20}},
    {"ComboBox1", [](TForm1& f) { return f.Editor().ComboBox1; }, [](TForm1& f) { return f.Editor().Panel7->Handle(); }, {72, 5, 217, 25}},
    {"Label3", [](TForm1& f) { return f.Editor().Label3; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {110, 20, 122, 32}},
    {"EditALFrom", [](TForm1& f) { return f.Editor().EditALFrom; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {24, 16, 49, 36}},
    {"EditALTo", [](TForm1& f) { return f.Editor().EditALTo; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {184, 16, 209, 36}},
    {"EditFixString", [](TForm1& f) { return f.Editor().EditFixString; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {24, 16, 209, 36}},
    {"Memo1", [](TForm1& f) { return f.Editor().Memo1; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {24, 16, 217, 185}},
    {"SpinEditNumFrom", [](TForm1& f) { return f.Editor().SpinEditNumFrom; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {24, 16, 81, 37}},
    {"SpinEditNumTo", [](TForm1& f) { return f.Editor().SpinEditNumTo; }, [](TForm1& f) { return f.Editor().Panel8->Handle(); }, {152, 16, 209, 37}},
    {"Panel2", [](TForm1& f) { return f.Panel2->Handle(); }, [](TForm1& f) { return f.Handle(); }, {0, 0, 481, 65}},
    {"Panel3", [](TForm1& f) { return f.Panel3->Handle(); }, [](TForm1& f) { return f.Handle(); }, {0, 295, 481, 336}},
    {"Panel4", [](TForm1& f) { return f.Editor().Handle(); }, [](TForm1& f) { return f.Handle(); }, {0, 65, 481, 295}},
    {"Panel5", [](TForm1& f) { return f.Editor().Panel5->Handle(); }, [](TForm1& f) { return f.Editor().Handle(); }, {1, 1, 225, 229}},
    {"Panel1", [](TForm1& f) { return f.Editor().Panel1->Handle(); }, [](TForm1& f) { return f.Editor().Panel5->Handle(); }, {0, 0, 224, 17}},
    {"Panel6", [](TForm1& f) { return f.Editor().Panel6->Handle(); }, [](TForm1& f) { return f.Editor().Handle(); }, {225, 1, 480, 229}},
    {"Panel7", [](TForm1& f) { return f.Editor().Panel7->Handle(); }, [](TForm1& f) { return f.Editor().Panel6->Handle(); }, {0, 0, 255, 29}},
    {"Panel8", [](TForm1& f) { return f.Editor().Panel8->Handle(); }, [](TForm1& f) { return f.Editor().Panel6->Handle(); }, {0, 29, 255, 228}},
};

RECT PlaceInParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

TEST_F(Form1Test, EveryControlStandsInItsPlace) {
  RECT client;
  GetClientRect(form_.Handle(), &client);
  EXPECT_EQ(client.right, 481);
  EXPECT_EQ(client.bottom, 336);
  for (const TPlace& p : kPlaces) {
    const HWND control = p.Control(form_);
    EXPECT_EQ(GetParent(control), p.Parent(form_)) << p.Name;
    EXPECT_EQ(Describe(PlaceInParent(control)), Describe(p.Rect)) << p.Name;
  }
}

TEST_F(Form1Test, CaptionFrameAndFont) {
  char caption[64];
  GetWindowTextA(form_.Handle(), caption, sizeof caption);
  EXPECT_STREQ(caption, TANDELO_CAPTION);
  const LONG style = GetWindowLongA(form_.Handle(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongA(form_.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  for (const TPlace& p : kPlaces) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(p.Control(form_), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック") << p.Name;
    EXPECT_EQ(font.lfHeight, -12) << p.Name;
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET) << p.Name;
  }
}

// A taskbar takes part of the screen: the window still stands in the middle of the whole screen.
TEST(Form1PlaceTest, OpensCentredOnTheScreenWhateverTheWorkArea) {
  RECT saved;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0));
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT work{screenWidth / 3, 0, screenWidth, screenHeight * 2 / 3};
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0));
  RECT window{};
  {
    TFakeDialogs dialogs;
    TForm1 form(dialogs);
    GetWindowRect(form.Handle(), &window);
  }
  SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
  EXPECT_NEAR(window.left + window.right, screenWidth, 1);
  EXPECT_NEAR(window.top + window.bottom, screenHeight, 1);
}

TEST_F(Form1Test, TabOrderFollowsEachParentsChildren) {
  const auto tabStops = [](HWND parent) {
    std::vector<HWND> order;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      // A spin field takes the focus in the edit it holds.
      if ((GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) || (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) {
        order.push_back(child);
      }
    }
    return order;
  };
  EXPECT_EQ(tabStops(form_.Panel2->Handle()), (std::vector<HWND>{form_.Edit1, form_.Button1, form_.Edit2, form_.Button2}));
  EXPECT_EQ(tabStops(form_.Panel3->Handle()), (std::vector<HWND>{form_.Button4, form_.Button3, form_.CheckBox1}));
  EXPECT_EQ(tabStops(form_.Editor().Panel8->Handle()),
            (std::vector<HWND>{form_.Editor().EditALFrom, form_.Editor().EditALTo, form_.Editor().EditFixString, form_.Editor().Memo1,
                               form_.Editor().SpinEditNumFrom, form_.Editor().SpinEditNumTo}));
  EXPECT_FALSE(GetWindowLongA(form_.Editor().ButtonEx1, GWL_STYLE) & WS_TABSTOP);
}

// A kana-mode input method would turn a typed "a" into あ, which the letter fields empty silently.
TEST_F(Form1Test, LetterFieldsTakeKeysWithoutAnInputMethod) {
  const auto hasInputContext = [](HWND control) {
    const HIMC context = ImmGetContext(control);
    if (context) ImmReleaseContext(control, context);
    return context != nullptr;
  };
  EXPECT_TRUE(hasInputContext(form_.Editor().EditFixString));  // Japanese text is typed here
  EXPECT_FALSE(hasInputContext(form_.Editor().EditALFrom));
  EXPECT_FALSE(hasInputContext(form_.Editor().EditALTo));
}

TEST_F(Form1Test, ThePreviewCarriesTheProgramsIcon) {
  HICON icon = nullptr;
  const TGdiObject<HFONT> font(CreateProgramFont());
  ShowPreviewWindow(form_.Handle(), font.Get(), {"a.txt"}, [&](HWND preview) {
    icon = reinterpret_cast<HICON>(GetClassLongPtrA(preview, GCLP_HICON));
    PostMessageA(preview, WM_CLOSE, 0, 0);
  });
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(icon, reinterpret_cast<HICON>(GetClassLongPtrA(form_.Handle(), GCLP_HICON)));
}

TEST_F(Form1Test, StartsWithTheRootAloneAndEverythingOff) {
  EXPECT_EQ(WindowText(form_.Edit1), "");
  EXPECT_EQ(WindowText(form_.Edit2), "");
  EXPECT_EQ(TreeView_GetCount(form_.Editor().TreeView1), 1u);
  EXPECT_EQ(TreeView_GetSelection(form_.Editor().TreeView1), nullptr);
  char root[32] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT | TVIF_IMAGE;
  item.hItem = Root();
  item.pszText = root;
  item.cchTextMax = sizeof root;
  TreeView_GetItem(form_.Editor().TreeView1, &item);
  EXPECT_STREQ(root, "全複製情報");
  EXPECT_EQ(item.iImage, 0);
  EXPECT_FALSE(Enabled(form_.Editor().ComboBox1));
  EXPECT_EQ(WindowText(form_.Editor().ComboBox1), "連番");
  for (HWND editor : {form_.Editor().EditALFrom, form_.Editor().EditALTo, form_.Editor().EditFixString, form_.Editor().Memo1, form_.Editor().SpinEditNumFrom,
                      form_.Editor().SpinEditNumTo, form_.Editor().Label3}) {
    EXPECT_FALSE(IsWindowVisible(editor));
    if (editor != form_.Editor().Label3) {
      EXPECT_FALSE(Enabled(editor));
    }
  }
  EXPECT_FALSE(RunButtonsEnabled());
  EXPECT_EQ(SendMessageA(form_.CheckBox1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Form1Test, RunButtonsNeedASourceAFolderAndARule) {
  ChooseSource("C:\\src\\a.txt");
  ChooseFolder(folder_.Path());
  EXPECT_EQ(WindowText(form_.Edit1), "C:\\src\\a.txt");
  EXPECT_EQ(WindowText(form_.Edit2), folder_.Path());
  EXPECT_FALSE(RunButtonsEnabled());  // the root alone

  const HTREEITEM rule = form_.Editor().AddRuleNode(Root());
  EXPECT_FALSE(RunButtonsEnabled());  // adding recomputes nothing
  ChooseSource("C:\\src\\a.txt");
  EXPECT_FALSE(RunButtonsEnabled());  // the same file changes no text
  Select(rule);
  EXPECT_TRUE(RunButtonsEnabled());
  EXPECT_TRUE(Enabled(form_.Editor().ComboBox1));
  EXPECT_TRUE(Enabled(form_.Editor().SpinEditNumFrom));
  EXPECT_TRUE(IsWindowVisible(form_.Editor().SpinEditNumFrom));

  Select(Root());  // the root: the kind list goes off, nothing else is recomputed
  EXPECT_FALSE(Enabled(form_.Editor().ComboBox1));
  EXPECT_FALSE(IsWindowVisible(form_.Editor().SpinEditNumFrom));
  EXPECT_TRUE(RunButtonsEnabled());
}

TEST_F(Form1Test, ADifferentSourceRecomputesTheStates) {
  ChooseFolder(folder_.Path());
  form_.Editor().AddRuleNode(Root());
  ChooseSource("C:\\src\\a.txt");
  EXPECT_TRUE(RunButtonsEnabled());
  EXPECT_TRUE(Enabled(form_.Editor().ComboBox1));  // no node selected and a rule present
  dialogs_.Files.push_back(std::nullopt);  // cancelled: nothing changes
  Click(form_.Button1);
  EXPECT_EQ(WindowText(form_.Edit1), "C:\\src\\a.txt");
  EXPECT_EQ(dialogs_.OpenFileStarts.back(), "C:\\src\\a.txt");  // starts at the whole path chosen before
}

TEST_F(Form1Test, EnabledAndShownStatesAreSeparate) {
  form_.Editor().SetParamsEnabled(true);
  form_.Editor().ShowParamEditors(ckAlphabet);
  EXPECT_TRUE(IsWindowVisible(form_.Editor().Label3));
  EXPECT_TRUE(Enabled(form_.Editor().Label3));
  form_.Editor().SetParamsEnabled(false);
  EXPECT_TRUE(Enabled(form_.Editor().Label3));  // the range sign is not a parameter editor
  EXPECT_FALSE(Enabled(form_.Editor().EditALFrom));
  form_.Editor().ShowParamEditors(ckFixString);
  EXPECT_FALSE(Enabled(form_.Editor().EditFixString));  // showing enables nothing
  EXPECT_TRUE(IsWindowVisible(form_.Editor().EditFixString));
  EXPECT_FALSE(IsWindowVisible(form_.Editor().EditALFrom));
}

TEST_F(Form1Test, TheChosenFolderIsCreatedLevelByLevel) {
  const std::string deep = folder_ / "a\\表\\ソフト";  // second bytes 0x5C on the way
  ChooseFolder(deep);
  EXPECT_EQ(WindowText(form_.Edit2), deep);
  EXPECT_TRUE(FileExists(deep));
  EXPECT_TRUE(dialogs_.Errors.empty());
}

TEST_F(Form1Test, ShortPathsAndDriveRootsAreTakenAsTheyAre) {
  for (const std::string path : {"C:\\", "表", "ab"}) {
    ChooseFolder(path);
    EXPECT_EQ(WindowText(form_.Edit2), path);
  }
  EXPECT_TRUE(dialogs_.Errors.empty());
}

TEST_F(Form1Test, AFolderThatCannotBeMadeIsReportedAndEdit2Stays) {
  ChooseFolder(folder_.Path());
  PutFile(folder_ / "file", "x");
  for (const std::string& path : {std::string(), folder_ / "file\\sub", std::string("abc"), folder_ / "bad?name"}) {
    SCOPED_TRACE(path);
    dialogs_.Errors.clear();
    ChooseFolder(path);
    EXPECT_EQ(dialogs_.Errors, std::vector<std::string>{"ディレクトリを作成できません"});
    EXPECT_EQ(WindowText(form_.Edit2), folder_.Path());
  }
}

class Form1RunTest : public Form1Test {
 protected:
  void SetUp() override {
    Form1Test::SetUp();
    source_ = sourceFolder_ / "report.txt";
    PutFile(source_, "content");
    ChooseSource(source_);
    ChooseFolder(folder_.Path());
    rule_ = form_.Editor().AddRuleNode(Root());
    Select(rule_);
  }
  TCopyInfo& Rule() { return *form_.Rules().Root().Child(0).Data(); }

  TTempFolder sourceFolder_;
  std::string source_;
  HTREEITEM rule_ = nullptr;
};

TEST_F(Form1RunTest, PreviewShowsTheNamesAsTheRulesStandAtEachPress) {
  Rule().NumTo = 2;
  Click(form_.Button4);
  Rule().NumFrom = 1;
  Rule().NumTo = 3;
  Click(form_.Button4);
  EXPECT_EQ(dialogs_.Previews, (std::vector<std::vector<std::string>>{{"0.txt", "1.txt", "2.txt"},
                                                                       {"1.txt", "2.txt", "3.txt"}}));
  EXPECT_EQ(ListFolder(folder_.Path()), "");
}

TEST_F(Form1RunTest, ABadRuleOpensNoPreview) {
  Rule().NumFrom = 5;
  Rule().NumTo = 4;
  Click(form_.Button4);
  EXPECT_TRUE(dialogs_.Previews.empty());
  EXPECT_EQ(dialogs_.Messages, std::vector<std::string>{"連番情報に不正な値が設定されています"});
}

TEST_F(Form1RunTest, RunCopiesOntoDisk) {
  Rule().NumTo = 1;
  SendMessageA(form_.CheckBox1, BM_SETCHECK, BST_CHECKED, 0);
  form_.Editor().AddRuleNode(Root());  // a second top-level rule, 0: joined onto the first name
  Click(form_.Button3);
  EXPECT_EQ(ListFolder(folder_.Path()), "00.txt 1.txt");
  EXPECT_EQ(FileContent(folder_ / "00.txt"), "content");
  EXPECT_EQ(dialogs_.Messages, std::vector<std::string>{"ファイルのコピーが完了しました"});
}

// The box the program has always asked with: only a clear Yes skips the name. No, Cancel (what
// Escape on the Yes/No box gives under Wine) and a box that could not be shown (0) stop the run.
TEST_F(Form1RunTest, OnlyYesAtTheQuestionSkipsANameAnyOtherAnswerStops) {
  Rule().NumTo = 2;
  for (const int answer : {IDNO, IDCANCEL, 0}) {
    PutFile(folder_ / "0.txt", "kept");
    PutFile(folder_ / "1.txt", "kept");
    dialogs_.Answers = {IDYES, answer};
    dialogs_.Prompts.clear();
    dialogs_.Messages.clear();
    Click(form_.Button3);
    EXPECT_EQ(ListFolder(folder_.Path()), "0.txt 1.txt") << answer;
    ASSERT_EQ(dialogs_.Prompts.size(), 2u) << answer;
    EXPECT_EQ(dialogs_.Prompts[0], folder_ / "0.txt" + "はすでに存在します。" + kContinueQuestion);
    EXPECT_EQ(dialogs_.PromptBoxes.back(), (std::pair<std::string, unsigned>{"注意", MB_YESNO}));
    EXPECT_EQ(dialogs_.Messages, std::vector<std::string>{"複製を中止しました"}) << answer;
  }
}

TEST_F(Form1RunTest, ATreeTooLargeToHoldIsRefusedForPreviewAndRun) {
  Rule().NumTo = 999;
  const HTREEITEM second = form_.Editor().AddRuleNode(rule_);
  form_.Editor().AddRuleNode(second);
  form_.Rules().Root().Child(0).Child(0).Data()->NumTo = 999;
  form_.Rules().Root().Child(0).Child(0).Child(0).Data()->NumTo = 999;
  const std::string text = "作成されるファイル名が多すぎます（1,000,000,000件）。一度に扱えるファイル名は10,000,000件までです";
  Click(form_.Button4);
  Click(form_.Button3);
  EXPECT_EQ(dialogs_.Messages, (std::vector<std::string>{text, text}));  // plain messages, not the error box
  EXPECT_TRUE(dialogs_.Errors.empty());
  EXPECT_TRUE(dialogs_.Previews.empty());
  EXPECT_TRUE(form_.FileNames()->empty());
  EXPECT_EQ(ListFolder(folder_.Path()), "");
  EXPECT_TRUE(IsWindow(form_.Handle()));  // and the program goes on
}

// Asks `window` to close from outside, as the system's task list does, as soon as the first
// dialog box of this thread is created: the request then waits for the box's own message loop.
class TCloseWhenABoxOpens {
 public:
  explicit TCloseWhenABoxOpens(HWND window) {
    target_ = window;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
  }
  ~TCloseWhenABoxOpens() {
    UnhookWindowsHookEx(hook_);
    target_ = nullptr;
  }
  TCloseWhenABoxOpens(const TCloseWhenABoxOpens&) = delete;
  TCloseWhenABoxOpens& operator=(const TCloseWhenABoxOpens&) = delete;

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    char name[16] = "";
    if (code == HCBT_CREATEWND && target_ && GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) &&
        lstrcmpiA(name, "#32770") == 0) {
      PostMessageA(std::exchange(target_, nullptr), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline HWND target_ = nullptr;
  HHOOK hook_ = nullptr;
};

struct TCloseCase {
  const char* Name;
  int NumTo;              // the run's names are 0.txt to NumTo.txt
  const char* Existing;   // a name that exists before the run, or null
  bool CloseBeforeRun;    // the request waits in the queue as the run starts, and so comes during
                          // the first copy; otherwise it comes while the first box is open
  const char* Left;       // the folder afterwards
  std::vector<int> Answers;  // what the prompts returned
};

const TCloseCase kCloseCases[] = {
    {"WhileCopying", 3, "3.txt", true, "0.txt 3.txt", {}},
    {"WhileCopyingANameThatExists", 3, "0.txt", true, "0.txt", {}},
    {"WhileCopyingTheLastName", 0, nullptr, true, "0.txt", {}},
    {"AtAPromptMidway", 3, "1.txt", false, "0.txt 1.txt", {IDNO}},
    {"AtThePromptForTheLastName", 1, "1.txt", false, "0.txt 1.txt", {IDNO}},
};

void PrintTo(const TCloseCase& c, std::ostream* os) { *os << c.Name; }

class Form1CloseTest : public Form1RunTest, public testing::WithParamInterface<TCloseCase> {};

TEST_P(Form1CloseTest, ACloseDuringARunStopsItBeforeTheNextCopyAndClosesTheWindowAfterIt) {
  const TCloseCase& c = GetParam();
  Rule().NumTo = c.NumTo;
  if (c.Existing) PutFile(folder_ / c.Existing, "kept");
  const HWND window = form_.Handle();
  dialogs_.RealBoxes = true;
  dialogs_.Owner = window;
  std::vector<int> answers;
  std::vector<bool> windowStood;
  dialogs_.Answered = [&](int answer) {
    answers.push_back(answer);
    windowStood.push_back(IsWindow(window) != FALSE);
  };
  // No answers: a box the program leaves open is ended with 0 and shows up in Seen().
  TMessageBoxWatcher watcher({});
  TCloseWhenABoxOpens closer(c.CloseBeforeRun ? nullptr : window);
  if (c.CloseBeforeRun) PostMessageA(window, WM_CLOSE, 0, 0);

  Click(form_.Button3);

  EXPECT_EQ(ListFolder(folder_.Path()), c.Left);
  if (c.Existing) {
    EXPECT_EQ(FileContent(folder_ / c.Existing), "kept");
  }
  EXPECT_EQ(answers, c.Answers);  // an open prompt is answered "いいえ" by the close
  EXPECT_EQ(windowStood, std::vector<bool>(c.Answers.size(), true));  // the window outlives the prompt
  EXPECT_TRUE(dialogs_.Messages.empty());  // nothing said after the close
  EXPECT_TRUE(watcher.Seen().empty());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(form_.Handle(), nullptr);
  EXPECT_EQ(form_.FileNames(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Runs, Form1CloseTest, testing::ValuesIn(kCloseCases),
                         [](const testing::TestParamInfo<TCloseCase>& info) { return info.param.Name; });

TEST_F(Form1RunTest, ClosingFreesTheNames) {
  Click(form_.Button4);
  ASSERT_NE(form_.FileNames(), nullptr);
  SendMessageA(form_.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(form_.FileNames(), nullptr);
}

}  // namespace
