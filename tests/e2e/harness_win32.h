#pragma once

// Drives the real program as a person would: it starts Tandelo.exe as its own process and works it
// only with a user's real clicks and key presses (TUser), then checks what the user would see and
// what ends up on disk.
//
// The harness: starting and ending the program, its main window's controls, its files, and the
// steps and checks the scenarios share. Each scenario lives in a file of its own.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tandelo_version.h"
#include "tests/e2e/user_win32.h"
#include "tests/support/temp_folder_win32.h"
#include "tests/support/windows_win32.h"

namespace e2e {

const char kMainCaption[] = TANDELO_CAPTION;
const char kTitle[] = "Tandelo(仮)";
const char kChooserCaption[] = "ディレクトリの選択";
const char kCreateCaption[] = "確認";
const char kCreatePrompt[] = "指定されたディレクトリが存在しません。作成しますか？";
const char kPromptCaption[] = "注意";
const char kExistsText[] = "はすでに存在します。";
const char kCopyDone[] = "ファイルのコピーが完了しました";
const char kCopyStopped[] = "複製を中止しました";
const char kPreviewClass[] = "TForm2";
const char kPreviewListClass[] = "TNameView";

// Some bytes of every kind, so that a copy that is not byte for byte shows.
const char kSourceBytes[] = "報告書\r\nline 2\r\n\0\x01\xff end";
const std::string kSourceContent(kSourceBytes, sizeof kSourceBytes - 1);
// A folder a Japanese user might type, two levels that do not exist yet; "表" has a second byte
// that is the path separator's code.
const char kOutputFolder[] = "出力先\\表計算";
const std::vector<std::string> kExpectedNames = {"1a.txt", "1b.txt", "2a.txt", "2b.txt", "3a.txt", "3b.txt"};

// Under Wine the program may take longer than a step to start, and as long as a step to end.
constexpr DWORD kStartTimeout = 20000;
constexpr DWORD kExitTimeout = 5000;
// The tree's item pictures, left of each label.
constexpr int kTreeImageWidth = 16;

// The main window's controls, found by class, caption and place.
struct TMainWindow {
  HWND Form = nullptr;
  HWND SourceField = nullptr, SourceButton = nullptr, FolderField = nullptr, FolderButton = nullptr;
  HWND Tree = nullptr, RuleMenuButton = nullptr, KindList = nullptr, ParamPanel = nullptr;
  HWND PreviewButton = nullptr, RunButton = nullptr, JoinBox = nullptr;
  DWORD ProcessId = 0, Thread = 0;
};

// The edit on the same row as `button`, left of it.
inline HWND FieldBeside(HWND button) {
  const RECT at = ScreenRect(button);
  for (HWND sibling : DirectChildren(GetParent(button))) {
    const RECT rect = ScreenRect(sibling);
    if (HasClass(sibling, "EDIT") && rect.top == at.top && rect.right <= at.left) return sibling;
  }
  return nullptr;
}

inline TMainWindow LocateControls(HWND form) {
  TMainWindow w;
  w.Form = form;
  w.Thread = GetWindowThreadProcessId(form, &w.ProcessId);
  std::vector<HWND> pickers;
  for (HWND control : Descendants(form)) {
    // By caption whatever the class: the menu button may be drawn by the program itself.
    const std::string text = TextOf(control);
    if (HasClass(control, WC_TREEVIEWA)) w.Tree = control;
    else if (HasClass(control, "COMBOBOX")) w.KindList = control;
    else if (text == "...") pickers.push_back(control);
    else if (text == "▼") w.RuleMenuButton = control;
    else if (text == "テスト表示") w.PreviewButton = control;
    else if (text == "実行") w.RunButton = control;
    else if (HasClass(control, "BUTTON") && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
      w.JoinBox = control;
  }
  Require(pickers.size() == 2, "expected two \"...\" buttons");
  std::sort(pickers.begin(), pickers.end(), [](HWND a, HWND b) { return ScreenRect(a).top < ScreenRect(b).top; });
  w.SourceButton = pickers[0];
  w.FolderButton = pickers[1];
  w.SourceField = FieldBeside(w.SourceButton);
  w.FolderField = FieldBeside(w.FolderButton);
  Require(w.SourceField && w.FolderField, "no edit fields beside the \"...\" buttons");
  Require(w.Tree && w.RuleMenuButton && w.KindList && w.PreviewButton && w.RunButton && w.JoinBox,
          "a control of the main window is missing");
  // The parameter editors stand in the panel below the kind list's own panel.
  const HWND kindPanel = GetParent(w.KindList);
  for (HWND panel : DirectChildren(GetParent(kindPanel))) {
    if (panel != kindPanel && ScreenRect(panel).top >= ScreenRect(kindPanel).bottom - 1) w.ParamPanel = panel;
  }
  Require(w.ParamPanel != nullptr, "no panel of parameter editors below the kind list");
  return w;
}

// The editable fields shown in the parameter panel, left to right. A numeric spin field is a
// container holding its edit; the field to type into is that edit.
inline std::vector<HWND> ShownFields(HWND panel) {
  std::vector<HWND> fields;
  for (HWND child : DirectChildren(panel)) {
    if (!IsWindowVisible(child)) continue;
    if (HasClass(child, "EDIT")) {
      fields.push_back(child);
    } else if (HWND inner = FindWindowExA(child, nullptr, "EDIT", nullptr)) {
      fields.push_back(inner);
    }
  }
  std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
  return fields;
}

// Tree items are opaque values of the program's; they are only compared and handed back.
inline HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM item = nullptr) {
  return reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

inline HTREEITEM RowItem(HWND tree, int row) {
  HTREEITEM item = TreeItem(tree, TVGN_FIRSTVISIBLE);
  for (int i = 0; i < row && item; ++i) item = TreeItem(tree, TVGN_NEXTVISIBLE, item);
  return item;
}

inline int TreeCount(HWND tree) { return static_cast<int>(Ask(tree, TVM_GETCOUNT)); }

// A point on the label of the item in `row` at nesting `level`: right of the lines and of the
// picture, where a click selects the item whatever the tree's row-select style.
inline POINT TreeLabelPoint(HWND tree, int row, int level) {
  const int height = static_cast<int>(Ask(tree, TVM_GETITEMHEIGHT));
  const int indent = static_cast<int>(Ask(tree, TVM_GETINDENT));
  POINT point{(level + 1) * indent + kTreeImageWidth + 12, row * height + height / 2};
  ClientToScreen(tree, &point);
  return point;
}

// Files.

struct TFileState {
  std::string Content;
  FILETIME Written{};
};

inline TFileState ReadFileState(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Require(file != INVALID_HANDLE_VALUE, "cannot open " + Ascii(path));
  TFileState state;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) state.Content.append(buffer, read);
  GetFileTime(file, nullptr, nullptr, &state.Written);
  CloseHandle(file);
  return state;
}

inline bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string JoinNames(const std::vector<std::string>& names, const char* separator) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
  return text;
}

// The six copies: exactly these names, each holding the source's bytes.
inline std::vector<TFileState> CheckCopies(const std::string& folder) {
  const std::string names = ListFolder(folder);
  Require(names == JoinNames(kExpectedNames, " "), "the output folder holds \"" + Ascii(names) + "\"");
  std::vector<TFileState> states;
  for (const std::string& name : kExpectedNames) {
    states.push_back(ReadFileState(folder + "\\" + name));
    Require(states.back().Content == kSourceContent, name + " does not hold the source's content");
  }
  return states;
}

// The session.

// Waits for a message box with this caption and returns it once it shows `text`, whole or, for
// a prompt whose question goes on, as the start of its text.
inline HWND WaitForBox(DWORD processId, const char* caption, const std::string& text, const char* what,
                bool whole = true) {
  const HWND box = WaitForTop(processId, kDialogClass, caption, what);
  std::string shown;
  const auto matches = [&] {
    shown = MessageBoxText(box);
    return whole ? shown == text : shown.compare(0, text.size(), text) == 0;
  };
  // The text control may still be filling when the box first shows.
  Require(WaitUntil(matches, 2000), std::string(what) + " says \"" + Ascii(shown) + "\", expected \"" +
                                        Ascii(text) + (whole ? "\"" : "...\""));
  return box;
}

// The rule menu: a menu window of the program.
inline HWND WaitForRuleMenu(DWORD processId) { return WaitForTop(processId, kMenuClass, nullptr, "rule menu"); }

// Clicks the first entry, "追加", of an open menu of two entries.
inline void ChooseAdd(TUser& user, HWND menu) {
  const RECT rect = ScreenRect(menu);
  user.ClickOn(menu, POINT{(rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) / 4}, false, false);
  WaitGone(menu, "the rule menu");
}

inline void SelectRow(TUser& user, const TMainWindow& w, int row, int level, const char* what) {
  const HTREEITEM item = RowItem(w.Tree, row);
  Require(item != nullptr, std::string("no row for ") + what);
  user.ClickOn(w.Tree, TreeLabelPoint(w.Tree, row, level));
  Require(WaitUntil([&] { return TreeItem(w.Tree, TVGN_CARET) == item; }),
          std::string("clicking ") + what + " did not select it");
}

inline const char* Describe(HWND window) {
  static std::string text;
  text = window ? "a " + Ascii(ClassOf(window)) + " \"" + Ascii(TextOf(window)) + "\"" : std::string("nothing");
  return text.c_str();
}

// Types `source` into the open-file dialog, once it is up, and confirms it with Enter.
inline void AnswerOpenDialog(TUser& user, const TMainWindow& w, const std::string& source) {
  const HWND openDialog = WaitForTop(w.ProcessId, kDialogClass, nullptr, "open-file dialog");
  HWND nameField = nullptr;
  Require(WaitUntil([&] {
            nameField = FocusOf(w.Thread);
            return nameField && IsChild(openDialog, nameField) && HasClass(nameField, "EDIT");
          }),
          "the open-file dialog's file name field does not have the focus");
  user.Type(openDialog, source);
  Require(WaitUntil([&] { return TextOf(nameField) == source; }),
          "the file name field shows \"" + Ascii(TextOf(nameField)) + "\"");
  user.Press(openDialog, VK_RETURN);
  WaitGone(openDialog, "the open-file dialog");
  Require(WaitUntil([&] { return TextOf(w.SourceField) == source; }),
          "the source field shows \"" + Ascii(TextOf(w.SourceField)) + "\"");
}

// Types `folder` into the folder chooser, once it is up, and confirms it with Enter; a folder
// that does not exist yet is created after the question, answered with Enter too.
inline void AnswerFolderChooser(TUser& user, const TMainWindow& w, const std::string& folder) {
  const bool missing = !IsFolder(folder);
  const HWND chooser = WaitForTop(w.ProcessId, kDialogClass, kChooserCaption, "folder chooser");
  const HWND folderName = FindWindowExA(chooser, nullptr, "EDIT", nullptr);
  Require(folderName != nullptr, "the folder chooser has no name field");
  user.TypeInto(folderName, folder, "the chooser's name field");
  user.Press(chooser, VK_RETURN);
  if (missing) {
    const HWND createBox = WaitForBox(w.ProcessId, kCreateCaption, kCreatePrompt, "the question to create the folder");
    user.Press(createBox, VK_RETURN);
    WaitGone(createBox, "the question to create the folder");
  }
  WaitGone(chooser, "the folder chooser");
  Require(WaitUntil([&] { return TextOf(w.FolderField) == folder; }),
          "the folder field shows \"" + Ascii(TextOf(w.FolderField)) + "\"");
}

// Starts the program, finds its main window in front, lets `body` work it and closes it with
// Alt+F4, as a user ends a session; the program must end by itself with code 0.
template <typename Body>
void WithProgram(Body body) {
  const std::string program = ProgramPath();
  Log("start %s", Ascii(program).c_str());
  TProcess process(program);
  Require(process.Started(), "cannot start " + Ascii(program));
  const DWORD pid = process.Id();
  try {
    TUser user(process);
    const HWND form = WaitForTop(pid, nullptr, kMainCaption, "main window", kStartTimeout);
    user.BringToFront(form);
    const TMainWindow w = LocateControls(form);
    Log("main window shown and in front");
    body(user, w);
    Log("close the program with Alt+F4");
    user.Chord(form, {VK_MENU, VK_F4});
    Require(WaitForSingleObject(process.Handle(), kExitTimeout) == WAIT_OBJECT_0, "the program did not end");
    DWORD exitCode = 1;
    GetExitCodeProcess(process.Handle(), &exitCode);
    Require(exitCode == 0, "the program ended with code " + std::to_string(exitCode));
  } catch (const TFailure&) {
    DescribeWindows(pid);
    throw;
  }
}

// The preview's list, read once the preview is up, and the preview closed with Escape.
inline std::string ReadPreview(TUser& user, const TMainWindow& w, const std::string& expected) {
  const HWND preview = WaitForTop(w.ProcessId, kPreviewClass, nullptr, "preview");
  const HWND list = FindWindowExA(preview, nullptr, kPreviewListClass, nullptr);
  Require(list != nullptr, "the preview has no list");
  std::string shown;
  WaitUntil([&] { return (shown = TextOf(list)) == expected; });
  user.Press(preview, VK_ESCAPE);
  WaitGone(preview, "the preview");
  return shown;
}

inline void RequirePreview(TUser& user, const TMainWindow& w, const std::string& expected) {
  const std::string shown = ReadPreview(user, w, expected);
  Require(shown == expected, "the preview lists \"" + Ascii(shown) + "\", expected \"" + Ascii(expected) + "\"");
}


// Waits until the keyboard focus is on `control`.
inline void RequireFocus(const TMainWindow& w, HWND control, const std::string& what) {
  HWND focus = nullptr;
  Require(WaitUntil([&] { return (focus = FocusOf(w.Thread)) == control; }),
          "the focus is on " + std::string(Describe(focus)) + ", not on " + what);
}

inline void Tab(TUser& user, const TMainWindow& w) { user.Press(w.Form, VK_TAB); }
inline void ShiftTab(TUser& user, const TMainWindow& w) { user.Chord(w.Form, {VK_SHIFT, VK_TAB}); }

// Opens the rule menu on the focused tree with `keys`, below the selected rule: its top is the
// bottom of the selected row's label (which may end a pixel or two above the row), its left
// inside the tree.
inline HWND OpenMenuByKeyboard(TUser& user, const TMainWindow& w, std::initializer_list<WORD> keys, int selectedRow) {
  user.Chord(w.Form, keys);
  const HWND menu = WaitForRuleMenu(w.ProcessId);
  const RECT menuRect = ScreenRect(menu), treeRect = ScreenRect(w.Tree);
  POINT rowBottom{0, (selectedRow + 1) * static_cast<int>(Ask(w.Tree, TVM_GETITEMHEIGHT))};
  ClientToScreen(w.Tree, &rowBottom);
  Require(menuRect.top <= rowBottom.y && menuRect.top >= rowBottom.y - 2 && menuRect.left > treeRect.left && menuRect.left < treeRect.right,
          "the rule menu opened at (" + std::to_string(menuRect.left) + ", " + std::to_string(menuRect.top) +
              "), not below the selected rule, whose row ends at " + std::to_string(rowBottom.y) +
              ", in a tree from " + std::to_string(treeRect.left) + " to " + std::to_string(treeRect.right));
  return menu;
}

// The menu, closed or chosen from, does not open again.
inline void RequireMenuOpenedOnce(const TMainWindow& w, HWND menu) {
  WaitGone(menu, "the rule menu");
  Sleep(300);
  Require(FindTop(w.ProcessId, kMenuClass) == nullptr, "the rule menu opened a second time");
}

// The scenarios, one a test.
void UserBuildsCopiesAndReruns(const TTempFolder& temp);
void KeyboardOnlyJob(const TTempFolder& temp);
void KeysInEveryEditor();
void ClampOnLeavingByTheTree(const TTempFolder& temp);
void KeyboardAfterEveryBox(const TTempFolder& temp);
void JapaneseNameUnderAnyCodePage(const TTempFolder& temp);

}  // namespace e2e
