// The rule editor: the tree, the rule menu, the kind list and the parameter editors, driven by
// their messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program_font_win32.h"
#include "app/resources_win32.h"
#include "editor/rule_editor_win32.h"
#include "win32/gdi.h"
#include "tests/support/windows_win32.h"
#include "win32/window.h"

namespace {

// Stands in for the main window: a frame the editor stands in, and the host it asks.
class TEditorHost : public TWindow, public IRuleEditorHost {
 public:
  TEditorHost() {
    Create("TandeloTestEditorHost", WS_EX_CONTROLPARENT, "", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, 100, 100,
           500, 280, nullptr);
  }
  void WhileBusy(const std::function<void()>& handler) override { handler(); }
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  void ShowError(const std::string& text) override { Errors.push_back(text); }
  void RulesChanged() override {
    if (Editor) Editor->UpdateControls();
  }

  TRuleEditor* Editor = nullptr;
  std::vector<std::string> Messages, Errors;
};

class RuleEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    host_.Editor = &editor_;
    ShowWindow(host_.Handle(), SW_SHOWNOACTIVATE);
    editor_.Start();
  }
  void TearDown() override { EXPECT_TRUE(host_.Errors.empty()); }

  HTREEITEM Root() { return TreeView_GetRoot(editor_.TreeView1); }
  HTREEITEM Selected() { return TreeView_GetSelection(editor_.TreeView1); }
  void Select(HTREEITEM item) { TreeView_SelectItem(editor_.TreeView1, item); }
  void Menu(UINT command) { SendMessageA(editor_.Handle(), WM_COMMAND, command, 0); }
  // Adds a rule under the selection the way the user does: "追加" in the rule menu.
  HTREEITEM AddUnder(HTREEITEM parent) {
    Select(parent);
    Menu(TRuleEditor::kN2);
    return TreeView_GetChild(editor_.TreeView1, parent) ? LastChild(parent) : nullptr;
  }
  HTREEITEM LastChild(HTREEITEM parent) {
    HTREEITEM last = TreeView_GetChild(editor_.TreeView1, parent);
    for (HTREEITEM next = last; next; next = TreeView_GetNextSibling(editor_.TreeView1, next)) last = next;
    return last;
  }
  TCopyInfo& Record(HTREEITEM item) {
    TVITEMA data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    TreeView_GetItem(editor_.TreeView1, &data);
    return *reinterpret_cast<TRuleNode*>(data.lParam)->Data();
  }
  std::string ItemText(HTREEITEM item) {
    char text[64] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    TreeView_GetItem(editor_.TreeView1, &data);
    return text;
  }
  // The edit that takes the keys: the control itself, or the edit inside a spin field.
  static HWND EditOf(HWND control) {
    const HWND inner = FindWindowExA(control, nullptr, "EDIT", nullptr);
    return inner ? inner : control;
  }
  // Types over the whole text of the field, key by key.
  void Type(HWND control, const std::string& text) {
    const HWND edit = EditOf(control);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
  }
  void Erase(HWND control) {
    const HWND edit = EditOf(control);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  }
  // The user picks an item of the kind list.
  void PickKind(int kind) {
    SendMessageA(editor_.ComboBox1, CB_SETCURSEL, kind, 0);
    SendMessageA(GetParent(editor_.ComboBox1), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(editor_.ComboBox1), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(editor_.ComboBox1));
  }
  bool Shown(HWND control) { return IsWindowVisible(control) != FALSE; }

  TEditorHost host_;
  TGdiObject<HFONT> font_{CreateProgramFont()};
  TRuleEditor editor_{host_.Handle(), 0, 0, host_, font_.Get(), CreateRuleImageList(GetModuleHandleA(nullptr))};
};

TEST_F(RuleEditorTest, AFreshRuleShowsAZeroToZeroNumberRange) {
  const HTREEITEM rule = AddUnder(Root());
  EXPECT_EQ(Selected(), Root());  // adding selects nothing new
  EXPECT_EQ(ItemText(rule), "連番");
  Select(rule);
  EXPECT_EQ(WindowText(editor_.ComboBox1), "連番");
  EXPECT_EQ(WindowText(editor_.SpinEditNumFrom), "0");
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "0");
  EXPECT_EQ(WindowText(editor_.EditALFrom), "");
  EXPECT_EQ(WindowText(editor_.EditFixString), "");
  EXPECT_EQ(WindowText(editor_.Memo1), "");
  EXPECT_TRUE(Shown(editor_.SpinEditNumFrom) && Shown(editor_.SpinEditNumTo) && Shown(editor_.Label3));
  EXPECT_FALSE(Shown(editor_.EditFixString) || Shown(editor_.Memo1) || Shown(editor_.EditALFrom));
}

TEST_F(RuleEditorTest, SelectingARuleChangesNoRecord) {
  const HTREEITEM rule = AddUnder(Root());
  TCopyInfo& info = Record(rule);
  info.NumFrom = -5;  // values the editors would change if they stored while loading
  info.NumTo = 1200;
  info.ALFrom = "ab";
  info.FixString = "f";
  info.AnyStrings = {"a", "", "b"};
  const TCopyInfo before = info;
  Select(rule);
  EXPECT_EQ(WindowText(editor_.SpinEditNumFrom), "0");
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "999");
  EXPECT_EQ(info.NumFrom, before.NumFrom);
  EXPECT_EQ(info.NumTo, before.NumTo);
  EXPECT_EQ(info.ALFrom, before.ALFrom);
  EXPECT_EQ(info.FixString, before.FixString);
  EXPECT_EQ(info.AnyStrings, before.AnyStrings);
}

TEST_F(RuleEditorTest, TheRootHidesTheEditorsAndTheRuleComesBackUnchanged) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  Type(editor_.SpinEditNumTo, "7");
  Select(Root());
  EXPECT_FALSE(IsWindowEnabled(editor_.ComboBox1));
  EXPECT_FALSE(Shown(editor_.SpinEditNumFrom) || Shown(editor_.SpinEditNumTo) || Shown(editor_.Label3));
  Select(rule);
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "7");
  EXPECT_EQ(Record(rule).NumTo, 7);
}

TEST_F(RuleEditorTest, AddingKeepsTheSelectionAndNestsUnderIt) {
  const HTREEITEM first = AddUnder(Root());
  Select(first);
  Type(editor_.SpinEditNumTo, "3");
  Menu(TRuleEditor::kN2);  // under the selected rule
  EXPECT_EQ(Selected(), first);
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "3");
  ASSERT_NE(TreeView_GetChild(editor_.TreeView1, first), nullptr);
  EXPECT_EQ(editor_.Rules().Root().Child(0).ChildCount(), 1u);
}

TEST_F(RuleEditorTest, AddingWithNothingSelectedGoesUnderTheRoot) {
  Menu(TRuleEditor::kN2);
  EXPECT_EQ(editor_.Rules().Root().ChildCount(), 1u);
  EXPECT_EQ(Selected(), nullptr);
}

TEST_F(RuleEditorTest, ALetterIsStoredWithEveryOtherEditor) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  PickKind(ckFixString);
  Type(editor_.EditFixString, "pre");
  PickKind(ckAlphabet);
  Type(editor_.EditALFrom, "b");
  EXPECT_EQ(Record(rule).ALFrom, "b");
  EXPECT_EQ(Record(rule).FixString, "pre");
  Type(editor_.EditALTo, "Z");
  EXPECT_EQ(Record(rule).ALTo, "Z");  // upper case as typed
}

TEST_F(RuleEditorTest, ANonLetterEmptiesTheFieldAndTheRecordKeepsItsLetter) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  PickKind(ckAlphabet);
  Type(editor_.EditALFrom, "a");
  Type(editor_.EditALTo, "c");
  for (const char* typed : {"5", "-", "あ"}) {
    Erase(editor_.EditALTo);
    EXPECT_EQ(Record(rule).ALTo, "c");
    Type(editor_.EditALTo, typed);
    EXPECT_EQ(WindowText(editor_.EditALTo), "") << typed;
    EXPECT_EQ(Record(rule).ALTo, "c") << typed;
  }
  // Deleting a letter stores nothing; the next letter stores the emptied field with it.
  Erase(editor_.EditALFrom);
  EXPECT_EQ(Record(rule).ALFrom, "a");
  Type(editor_.EditALTo, "d");
  EXPECT_EQ(Record(rule).ALFrom, "");
  EXPECT_EQ(Record(rule).ALTo, "d");
}

TEST_F(RuleEditorTest, KindChangeKeepsTheOtherParameters) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  Type(editor_.SpinEditNumTo, "12");
  PickKind(ckFixString);
  EXPECT_EQ(ItemText(rule), "固定文字列");
  EXPECT_EQ(Record(rule).Kind, ckFixString);
  EXPECT_TRUE(Shown(editor_.EditFixString));
  EXPECT_FALSE(Shown(editor_.SpinEditNumTo));
  EXPECT_EQ(Record(rule).NumTo, 12);
  PickKind(ckNumber);
  EXPECT_EQ(ItemText(rule), "連番");
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "12");
}

TEST_F(RuleEditorTest, AKindPickWithoutARuleChangesNothing) {
  AddUnder(Root());
  Select(Root());
  PickKind(ckAnyString);
  EXPECT_EQ(editor_.Rules().Root().Child(0).Data()->Kind, ckNumber);
}

TEST_F(RuleEditorTest, MemoEntriesAreTheLinesAsTyped) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  PickKind(ckAnyString);
  Type(editor_.Memo1, "x\r\ry\r");  // Enter starts a new line
  EXPECT_EQ(Record(rule).AnyStrings, (std::vector<std::string>{"x", "", "y"}));
  // Wider than the memo: wrapped on the screen, still one name.
  const std::string wide = "ThisIsAVeryLongNameThatTheMemoWrapsOnTheScreen_0123456789_ABCDEFGHIJ";
  Type(editor_.Memo1, wide);
  EXPECT_GT(SendMessageA(editor_.Memo1, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(Record(rule).AnyStrings, std::vector<std::string>{wide});
}

TEST_F(RuleEditorTest, NumbersAreStoredAsTypedAndAnEmptyFromBecomesZero) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  Type(editor_.SpinEditNumFrom, "-5");
  EXPECT_EQ(Record(rule).NumFrom, -5);
  Erase(editor_.SpinEditNumFrom);
  EXPECT_EQ(Record(rule).NumFrom, -5);  // an empty field stores nothing
  SendMessageA(GetParent(editor_.SpinEditNumFrom), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(editor_.SpinEditNumFrom), EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(editor_.SpinEditNumFrom));
  EXPECT_EQ(WindowText(editor_.SpinEditNumFrom), "0");
  EXPECT_EQ(Record(rule).NumFrom, 0);
  Type(editor_.SpinEditNumTo, "1.5");
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "1.5");
  EXPECT_EQ(Record(rule).NumTo, 0);
}

TEST_F(RuleEditorTest, LeavingANegativeNumberShowsAndStoresZero) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  SetFocus(EditOf(editor_.SpinEditNumTo));
  Type(editor_.SpinEditNumTo, "-5");
  EXPECT_EQ(Record(rule).NumTo, -5);
  SetFocus(EditOf(editor_.SpinEditNumFrom));  // leaves the field
  EXPECT_EQ(WindowText(editor_.SpinEditNumTo), "0");
  EXPECT_EQ(Record(rule).NumTo, 0);
  Erase(editor_.SpinEditNumFrom);
  SetFocus(EditOf(editor_.SpinEditNumTo));  // an empty "from" becomes 0 on leaving; "to" would stay empty
  EXPECT_EQ(WindowText(editor_.SpinEditNumFrom), "0");
}

TEST_F(RuleEditorTest, DeletingTheRootIsRefused) {
  AddUnder(Root());
  Select(Root());
  Menu(TRuleEditor::kDelete1);
  EXPECT_EQ(host_.Messages, std::vector<std::string>{"全複製情報は削除できません"});
  EXPECT_EQ(TreeView_GetCount(editor_.TreeView1), 2u);
}

TEST_F(RuleEditorTest, DeletingWithNothingSelectedDoesNothing) {
  AddUnder(Root());
  Select(nullptr);
  Menu(TRuleEditor::kDelete1);
  EXPECT_EQ(TreeView_GetCount(editor_.TreeView1), 2u);
  EXPECT_TRUE(host_.Messages.empty());
}

TEST_F(RuleEditorTest, DeletingASubtreeFreesEveryRecord) {
  const long before = TCopyInfo::LiveCount();
  const HTREEITEM top = AddUnder(Root());
  const HTREEITEM child = AddUnder(top);
  Select(child);
  PickKind(ckAnyString);
  Type(editor_.Memo1, "a\rb\r");
  AddUnder(child);
  const HTREEITEM kept = AddUnder(Root());
  EXPECT_EQ(TCopyInfo::LiveCount(), before + 4);
  Select(top);
  Menu(TRuleEditor::kDelete1);
  EXPECT_EQ(TCopyInfo::LiveCount(), before + 1);
  EXPECT_EQ(TreeView_GetCount(editor_.TreeView1), 2u);
  EXPECT_EQ(editor_.Rules().Count(), 2u);
  EXPECT_EQ(ItemText(TreeView_GetChild(editor_.TreeView1, Root())), ItemText(kept));
}

// Reads where the rule menu opened and closes it, from inside the menu's own loop.
RECT gMenuRect;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND menu = FindThreadWindow(GetCurrentThreadId(),
                                     [](HWND window) { return HasClass(window, "#32768") && IsWindowVisible(window); });
  if (!menu) return;
  GetWindowRect(menu, &gMenuRect);
  KillTimer(nullptr, timer);
  EndMenu();
}

// The top-left corner of the menu that the message opens, read from inside the menu's loop.
POINT MenuCornerAfter(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
  gMenuRect = RECT{};
  SetTimer(nullptr, 0, 20, CloseMenu);
  SendMessageA(target, message, wParam, lParam);
  return POINT{gMenuRect.left, gMenuRect.top};
}

TEST_F(RuleEditorTest, TheButtonOpensTheMenuAtItsBottomLeftCorner) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  const POINT opened = MenuCornerAfter(editor_.ButtonEx1, BM_CLICK, 0, 0);
  POINT corner{157, 17};
  ClientToScreen(editor_.Panel1->Handle(), &corner);
  EXPECT_EQ(opened.x, corner.x);
  EXPECT_EQ(opened.y, corner.y);
  EXPECT_EQ(Selected(), rule);
}

// The keyboard's menu (WM_CONTEXTMENU at (-1, -1), as Shift+F10 and the context-menu key send it)
// opens right below the selected rule's label, whatever its depth, so the user sees which rule
// the commands act on; with nothing selected, at the tree's top-left corner.
TEST_F(RuleEditorTest, TheKeyboardOpensTheMenuBelowTheSelectedRule) {
  const HTREEITEM rule = AddUnder(Root());
  const HTREEITEM child = AddUnder(rule);
  TreeView_Expand(editor_.TreeView1, rule, TVE_EXPAND);
  for (const HTREEITEM selected : {HTREEITEM{}, Root(), rule, child}) {
    Select(selected);
    POINT expected{0, 0};
    if (selected) {
      RECT label;
      ASSERT_TRUE(TreeView_GetItemRect(editor_.TreeView1, selected, &label, TRUE));
      expected = POINT{label.left, label.bottom};
    }
    ClientToScreen(editor_.TreeView1, &expected);
    const POINT opened =
        MenuCornerAfter(editor_.TreeView1, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor_.TreeView1), -1);
    EXPECT_EQ(opened.x, expected.x) << (selected ? ItemText(selected) : "nothing selected");
    EXPECT_EQ(opened.y, expected.y) << (selected ? ItemText(selected) : "nothing selected");
    EXPECT_EQ(Selected(), selected);
  }
}

// A deletion moves the selection while an editor of the deleted rule may have the focus. The
// focus must not stay in an editor that the next rule hides: what is typed next would go,
// unseen, into the record of the rule now selected.
TEST_F(RuleEditorTest, DeletingTakesTheFocusFromTheDeletedRulesEditors) {
  const HTREEITEM kept = AddUnder(Root());
  Select(kept);
  PickKind(ckAnyString);
  Type(editor_.Memo1, "keep\r");
  const HTREEITEM deleted = AddUnder(kept);  // the selection goes back to its parent
  Select(deleted);
  SetFocus(EditOf(editor_.SpinEditNumTo));
  Type(editor_.SpinEditNumTo, "-5");
  Menu(TRuleEditor::kDelete1);
  ASSERT_EQ(Selected(), kept);
  const HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  EXPECT_TRUE(IsWindowVisible(focus));
  SendMessageA(focus, WM_CHAR, '7', 0);
  EXPECT_EQ(Record(kept).AnyStrings, std::vector<std::string>{"keep"});
  EXPECT_EQ(Record(kept).NumTo, 0);
}

// A wheel turned over the kind list changes the kind where the wheel goes to the window under the
// pointer, while the focus stays in a number field that the new kind hides.
TEST_F(RuleEditorTest, AKindChangeClampsTheNumberFieldItHides) {
  const HTREEITEM rule = AddUnder(Root());
  Select(rule);
  SetFocus(EditOf(editor_.SpinEditNumTo));
  Type(editor_.SpinEditNumTo, "-5");
  PickKind(ckFixString);
  EXPECT_EQ(Record(rule).NumTo, 0);
  ASSERT_NE(GetFocus(), nullptr);
  EXPECT_TRUE(IsWindowVisible(GetFocus()));
}

TEST_F(RuleEditorTest, TheTreeShowsItsHint) {
  char text[80] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = host_.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(editor_.TreeView1);
  tool.lpszText = text;
  SendMessageA(editor_.TreeHint(), TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "右クリックで、「追加」、「削除」を選択");
}

}  // namespace
