#pragma once

// Drives the real program as a person would: it starts Tandelo.exe as its own process and works it
// only with real mouse clicks and key presses (SendInput), then checks what the user would see and
// what ends up on disk. Controls are found by what a person sees of them: their class, caption and
// place. No message carrying a pointer goes to the program, except WM_GETTEXT, which the system
// copies between processes.
//
// Real input goes to whatever window is in front, and other programs on the same display may come
// to the front at any moment, so every click and key press first makes sure its window is in
// front and, for a click, that nothing else lies under the pointer.
//
// The harness: starting and ending the program, finding its windows from outside, real input,
// and the checks the scenarios share. Each scenario lives in a file of its own.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "tandelo_version.h"
#include "tests/support/real_input_win32.h"
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
const char kMenuClass[] = "#32768";
const char kDialogClass[] = "#32770";
const char kDropDownClass[] = "ComboLBox";

// Some bytes of every kind, so that a copy that is not byte for byte shows.
const char kSourceBytes[] = "報告書\r\nline 2\r\n\0\x01\xff end";
const std::string kSourceContent(kSourceBytes, sizeof kSourceBytes - 1);
// A folder a Japanese user might type, two levels that do not exist yet; "表" has a second byte
// that is the path separator's code.
const char kOutputFolder[] = "出力先\\表計算";
const std::vector<std::string> kExpectedNames = {"1a.txt", "1b.txt", "2a.txt", "2b.txt", "3a.txt", "3b.txt"};

// A step may wait this long for the program to answer; starting it may take longer under Wine.
constexpr DWORD kStepTimeout = 5000;
constexpr DWORD kStartTimeout = 20000;
constexpr DWORD kExitTimeout = 5000;
// The tree's item pictures, left of each label.
constexpr int kTreeImageWidth = 16;

inline DWORD startTick = 0;

// A failed check; the text says what was expected, in plain ASCII.
class TFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bytes outside printable ASCII as \xNN, so the log stays ASCII whatever the windows showed.
inline std::string Ascii(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

inline void Log(const char* format, ...) {
  std::printf("[%6.2fs] ", (GetTickCount() - startTick) / 1000.0);
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
}

inline void Require(bool condition, const std::string& what) {
  if (!condition) throw TFailure(what);
}

// Polls `condition` until it holds or `timeout` runs out; never waits longer.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeout = kStepTimeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout) return false;
    Sleep(15);
  }
}

// Windows of the program, seen from outside.

// The text through WM_GETTEXT, which reaches the control itself (an edit's contents), not only
// the caption the system keeps for a window of another process.
inline std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return "";
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           2000, &copied)) {
    return "";
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

// A message to a control of the program, with a time limit: a program that hangs fails the test
// instead of stopping it.
inline LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result)) {
    throw TFailure("the program does not answer message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

inline RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

inline POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Every window inside `parent`, at any depth.
inline std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline std::vector<HWND> DirectChildren(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) found.push_back(child);
  return found;
}

// The program's top-level windows: other tests on the same display show windows with the same
// captions in their own processes.
inline std::vector<HWND> TopWindows(DWORD processId) {
  std::vector<HWND> all, found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND window : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) found.push_back(window);
  }
  return found;
}

// The first visible top-level window of the program with this class and, when given, caption.
inline HWND FindTop(DWORD processId, const char* className, const char* caption = nullptr) {
  for (HWND window : TopWindows(processId)) {
    if (!IsWindowVisible(window) || (className && !HasClass(window, className))) continue;
    if (caption && TextOf(window) != caption) continue;
    return window;
  }
  return nullptr;
}

inline HWND WaitForTop(DWORD processId, const char* className, const char* caption, const char* what,
                DWORD timeout = kStepTimeout) {
  HWND found = nullptr;
  Require(WaitUntil([&] { return (found = FindTop(processId, className, caption)) != nullptr; }, timeout),
          std::string(what) + " did not appear");
  return found;
}

inline void WaitGone(HWND window, const char* what) {
  Require(WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }), std::string(what) + " did not close");
}

// The text of a message box: its text control, id 0xFFFF.
inline std::string MessageBoxText(HWND box) {
  if (HWND text = GetDlgItem(box, 0xFFFF)) return TextOf(text);
  return "";
}

inline HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

// What the program shows, for the log of a failure.
inline void DescribeWindows(DWORD processId) {
  std::printf("  windows of the program:\n");
  for (HWND window : TopWindows(processId)) {
    if (!IsWindowVisible(window)) continue;
    std::printf("    class \"%s\" caption \"%s\"", Ascii(ClassOf(window)).c_str(), Ascii(TextOf(window)).c_str());
    if (HasClass(window, kDialogClass)) std::printf(" text \"%s\"", Ascii(MessageBoxText(window)).c_str());
    std::printf("%s\n", GetForegroundWindow() == window ? " (in front)" : "");
  }
  std::fflush(stdout);
}

// Real input.

inline void Send(std::vector<INPUT> inputs) { Require(SendInputs(std::move(inputs)), "SendInput refused the input"); }

inline void MouseClick(POINT screen, bool right) {
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  Send({MouseInput(screen, 0), MouseInput(screen, down), MouseInput(screen, up)});
}

// The program as the user meets it.

// A hint that the program shows under the pointer lets clicks through to the window beneath it.
inline bool IsOwnHint(HWND window, HWND target) {
  if (!window || !HasClass(window, TOOLTIPS_CLASSA)) return false;
  DWORD hintProcess = 0, targetProcess = 0;
  GetWindowThreadProcessId(window, &hintProcess);
  GetWindowThreadProcessId(target, &targetProcess);
  return hintProcess == targetProcess;
}

class TUser {
 public:
  explicit TUser(const TProcess& program) : program_(program) {}

  // Makes `top` the window in front, which is where key presses go.
  void BringToFront(HWND top) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      Require(program_.Running(), "the program ended unexpectedly");
      if (GetForegroundWindow() == top) return;
      SetForegroundWindow(top);
      if (WaitUntil([&] { return GetForegroundWindow() == top; }, 300)) return;
    }
    throw TFailure("could not bring the window \"" + Ascii(TextOf(top)) + "\" to the front");
  }

  // Clicks `screen` once `target`, or a window inside it, is what lies under the pointer there.
  // Menus and drop-down lists never come to the front: for them `front` is false.
  void ClickOn(HWND target, POINT screen, bool right = false, bool front = true) {
    Require(IsWindowVisible(target), "the " + Ascii(ClassOf(target)) + " to click is not shown");
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (front) BringToFront(GetAncestor(target, GA_ROOT));
      const HWND under = WindowFromPoint(screen);
      if (under == target || IsChild(target, under) || IsOwnHint(under, target)) {
        MouseClick(screen, right);
        return;
      }
      Sleep(50);
    }
    throw TFailure("another window covers the " + Ascii(ClassOf(target)) + " to click");
  }
  void ClickOn(HWND target) { ClickOn(target, Centre(ScreenRect(target))); }

  // Presses the keys in order and lets them go in reverse: a chord such as Shift+End or Alt+F4.
  void Chord(HWND top, std::initializer_list<WORD> keys) {
    BringToFront(top);
    std::vector<INPUT> inputs;
    for (WORD key : keys) inputs.push_back(KeyInput(key, false));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) inputs.push_back(KeyInput(*key, true));
    Send(inputs);
  }
  void Press(HWND top, WORD key) { Chord(top, {key}); }

  // Types ANSI (Shift-JIS) text as the characters a keyboard or input method would give.
  void Type(HWND top, const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    BringToFront(top);
    std::vector<INPUT> inputs;
    for (wchar_t c : wide) {
      for (bool up : {false, true}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(c);
        input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
        inputs.push_back(input);
      }
    }
    Send(inputs);
  }

  // Clicks into an edit field and replaces its whole text by typing.
  void TypeInto(HWND field, const std::string& text, const char* what) {
    const HWND top = GetAncestor(field, GA_ROOT);
    const DWORD thread = GetWindowThreadProcessId(field, nullptr);
    ClickOn(field, POINT{ScreenRect(field).left + 6, Centre(ScreenRect(field)).y});
    Require(WaitUntil([&] { return FocusOf(thread) == field; }), std::string("clicking ") + what + " gave it no focus");
    Press(top, VK_HOME);
    Chord(top, {VK_SHIFT, VK_END});
    Type(top, text);
    Require(WaitUntil([&] { return TextOf(field) == text; }),
            std::string(what) + " shows \"" + Ascii(TextOf(field)) + "\" instead of \"" + Ascii(text) + "\"");
  }

 private:
  const TProcess& program_;
};

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

}  // namespace e2e
