// Drives the real program as a person would: it starts Tandelo.exe as its own process and works it
// only with real mouse clicks and key presses (SendInput), then checks what the user would see and
// what ends up on disk. Controls are found by what a person sees of them: their class, caption and
// place. No message carrying a pointer goes to the program, except WM_GETTEXT, which the system
// copies between processes.
//
// Real input goes to whatever window is in front, and other programs on the same display may come
// to the front at any moment, so every click and key press first makes sure its window is in
// front and, for a click, that nothing else lies under the pointer.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/res/version.h"
#include "tests/copy/temp_folder_win32.h"
#include "tests/support/windows_win32.h"

namespace {

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

DWORD startTick = 0;

// A failed check; the text says what was expected, in plain ASCII.
class TFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bytes outside printable ASCII as \xNN, so the log stays ASCII whatever the windows showed.
std::string Ascii(const std::string& text) {
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

void Log(const char* format, ...) {
  std::printf("[%6.2fs] ", (GetTickCount() - startTick) / 1000.0);
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
}

void Require(bool condition, const std::string& what) {
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

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool HasClass(HWND window, const char* name) { return lstrcmpiA(ClassOf(window).c_str(), name) == 0; }

// The text through WM_GETTEXT, which reaches the control itself (an edit's contents), not only
// the caption the system keeps for a window of another process.
std::string TextOf(HWND window) {
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
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result)) {
    throw TFailure("the program does not answer message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Every window inside `parent`, at any depth.
std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> DirectChildren(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) found.push_back(child);
  return found;
}

// The program's top-level windows: other tests on the same display show windows with the same
// captions in their own processes.
std::vector<HWND> TopWindows(DWORD processId) {
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
HWND FindTop(DWORD processId, const char* className, const char* caption = nullptr) {
  for (HWND window : TopWindows(processId)) {
    if (!IsWindowVisible(window) || (className && !HasClass(window, className))) continue;
    if (caption && TextOf(window) != caption) continue;
    return window;
  }
  return nullptr;
}

HWND WaitForTop(DWORD processId, const char* className, const char* caption, const char* what,
                DWORD timeout = kStepTimeout) {
  HWND found = nullptr;
  Require(WaitUntil([&] { return (found = FindTop(processId, className, caption)) != nullptr; }, timeout),
          std::string(what) + " did not appear");
  return found;
}

void WaitGone(HWND window, const char* what) {
  Require(WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }), std::string(what) + " did not close");
}

// The text of a message box: its text control, id 0xFFFF.
std::string MessageBoxText(HWND box) {
  if (HWND text = GetDlgItem(box, 0xFFFF)) return TextOf(text);
  return "";
}

HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

// What the program shows, for the log of a failure.
void DescribeWindows(DWORD processId) {
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

void Send(std::vector<INPUT> inputs) {
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Require(sent == inputs.size(), "SendInput refused the input");
}

INPUT MouseInput(POINT screen, DWORD flags) {
  // Absolute coordinates run from 0 to 65535 over the whole virtual screen; rounding up makes the
  // system's conversion back land on exactly this pixel.
  const LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const LONG width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(((screen.x - left) * 65536LL + width - 1) / width);
  input.mi.dy = static_cast<LONG>(((screen.y - top) * 65536LL + height - 1) / height);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return input;
}

void MouseClick(POINT screen, bool right) {
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  Send({MouseInput(screen, 0), MouseInput(screen, down), MouseInput(screen, up)});
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  // The caret keys of a real keyboard are the extended ones, not those of the number pad.
  const bool extended = key == VK_HOME || key == VK_END || key == VK_LEFT || key == VK_RIGHT || key == VK_UP ||
                        key == VK_DOWN || key == VK_DELETE;
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

// The program as the user meets it.

// A hint that the program shows under the pointer lets clicks through to the window beneath it.
bool IsOwnHint(HWND window, HWND target) {
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
HWND FieldBeside(HWND button) {
  const RECT at = ScreenRect(button);
  for (HWND sibling : DirectChildren(GetParent(button))) {
    const RECT rect = ScreenRect(sibling);
    if (HasClass(sibling, "EDIT") && rect.top == at.top && rect.right <= at.left) return sibling;
  }
  return nullptr;
}

TMainWindow LocateControls(HWND form) {
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
std::vector<HWND> ShownFields(HWND panel) {
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
HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM item = nullptr) {
  return reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM RowItem(HWND tree, int row) {
  HTREEITEM item = TreeItem(tree, TVGN_FIRSTVISIBLE);
  for (int i = 0; i < row && item; ++i) item = TreeItem(tree, TVGN_NEXTVISIBLE, item);
  return item;
}

int TreeCount(HWND tree) { return static_cast<int>(Ask(tree, TVM_GETCOUNT)); }

// A point on the label of the item in `row` at nesting `level`: right of the lines and of the
// picture, where a click selects the item whatever the tree's row-select style.
POINT TreeLabelPoint(HWND tree, int row, int level) {
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

TFileState ReadFileState(const std::string& path) {
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

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string JoinNames(const std::vector<std::string>& names, const char* separator) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
  return text;
}

// The six copies: exactly these names, each holding the source's bytes.
std::vector<TFileState> CheckCopies(const std::string& folder) {
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
HWND WaitForBox(DWORD processId, const char* caption, const std::string& text, const char* what,
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
HWND WaitForRuleMenu(DWORD processId) { return WaitForTop(processId, kMenuClass, nullptr, "rule menu"); }

// Clicks the first entry, "追加", of an open menu of two entries.
void ChooseAdd(TUser& user, HWND menu) {
  const RECT rect = ScreenRect(menu);
  user.ClickOn(menu, POINT{(rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) / 4}, false, false);
  WaitGone(menu, "the rule menu");
}

void SelectRow(TUser& user, const TMainWindow& w, int row, int level, const char* what) {
  const HTREEITEM item = RowItem(w.Tree, row);
  Require(item != nullptr, std::string("no row for ") + what);
  user.ClickOn(w.Tree, TreeLabelPoint(w.Tree, row, level));
  Require(WaitUntil([&] { return TreeItem(w.Tree, TVGN_CARET) == item; }),
          std::string("clicking ") + what + " did not select it");
}

const char* Describe(HWND window) {
  static std::string text;
  text = window ? "a " + Ascii(ClassOf(window)) + " \"" + Ascii(TextOf(window)) + "\"" : std::string("nothing");
  return text.c_str();
}

// Types `source` into the open-file dialog, once it is up, and confirms it with Enter.
void AnswerOpenDialog(TUser& user, const TMainWindow& w, const std::string& source) {
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
void AnswerFolderChooser(TUser& user, const TMainWindow& w, const std::string& folder) {
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
std::string ReadPreview(TUser& user, const TMainWindow& w, const std::string& expected) {
  const HWND preview = WaitForTop(w.ProcessId, kPreviewClass, nullptr, "preview");
  const HWND list = FindWindowExA(preview, nullptr, kPreviewListClass, nullptr);
  Require(list != nullptr, "the preview has no list");
  std::string shown;
  WaitUntil([&] { return (shown = TextOf(list)) == expected; });
  user.Press(preview, VK_ESCAPE);
  WaitGone(preview, "the preview");
  return shown;
}

void RequirePreview(TUser& user, const TMainWindow& w, const std::string& expected) {
  const std::string shown = ReadPreview(user, w, expected);
  Require(shown == expected, "the preview lists \"" + Ascii(shown) + "\", expected \"" + Ascii(expected) + "\"");
}

// The mouse's way through a whole job: rules, source, folder, preview, two runs.
void UserBuildsCopiesAndReruns(const TTempFolder& temp) {
  const std::string source = temp.Path() + "\\report.txt";
  const std::string output = temp.Path() + "\\" + kOutputFolder;
  PutFile(source, kSourceContent);
  Require(!IsFolder(output), "the output folder exists already");
  Log("source %s, output %s", Ascii(source).c_str(), Ascii(output).c_str());

  WithProgram([&](TUser& user, const TMainWindow& w) {
    const HWND form = w.Form;
    const DWORD pid = w.ProcessId;
    Log("select the root and add a rule with a right-click on the tree");
    Require(TreeCount(w.Tree) == 1, "the tree does not start with the root alone");
    SelectRow(user, w, 0, 0, "the root");
    const HTREEITEM root = TreeItem(w.Tree, TVGN_ROOT);
    const POINT onRoot = TreeLabelPoint(w.Tree, 0, 0);
    user.ClickOn(w.Tree, onRoot, true);
    const HWND contextMenu = WaitForRuleMenu(pid);
    const RECT contextRect = ScreenRect(contextMenu);
    Require(contextRect.left == onRoot.x && contextRect.top == onRoot.y, "the rule menu did not open at the pointer");
    ChooseAdd(user, contextMenu);
    Require(WaitUntil([&] { return TreeCount(w.Tree) == 2; }), "choosing \"add\" added no rule");
    const HTREEITEM numberRule = TreeItem(w.Tree, TVGN_CHILD, root);
    Require(numberRule != nullptr, "the new rule is not under the root");
    Require(TreeItem(w.Tree, TVGN_CARET) == root, "the new rule took the selection");

    Log("select the rule and set its numbers to 1..3");
    SelectRow(user, w, 1, 1, "the number rule");
    std::vector<HWND> fields;
    Require(WaitUntil([&] { return (fields = ShownFields(w.ParamPanel)).size() == 2; }),
            "the number rule shows no pair of number fields");
    Require(TextOf(fields[0]) == "0" && TextOf(fields[1]) == "0", "a new number rule does not show 0 and 0");
    user.TypeInto(fields[0], "1", "the first number field");
    user.TypeInto(fields[1], "3", "the second number field");
    const std::vector<HWND> numberFields = fields;

    Log("add a rule below it with the menu button");
    user.ClickOn(w.RuleMenuButton);
    const HWND buttonMenu = WaitForRuleMenu(pid);
    const RECT buttonRect = ScreenRect(w.RuleMenuButton), buttonMenuRect = ScreenRect(buttonMenu);
    Require(buttonMenuRect.left == buttonRect.left && buttonMenuRect.top == buttonRect.bottom,
            "the rule menu did not open at the button's bottom-left corner");
    ChooseAdd(user, buttonMenu);
    Require(WaitUntil([&] { return TreeCount(w.Tree) == 3; }), "choosing \"add\" added no second rule");
    const HTREEITEM letterRule = TreeItem(w.Tree, TVGN_CHILD, numberRule);
    Require(letterRule != nullptr, "the second rule is not under the number rule");
    Require(TreeItem(w.Tree, TVGN_CARET) == numberRule, "the second rule took the selection");
    if (!(Ask(w.Tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(numberRule), TVIS_EXPANDED) &
          TVIS_EXPANDED)) {
      Log("expand the number rule");
      user.Press(form, VK_RIGHT);
      Require(WaitUntil([&] { return RowItem(w.Tree, 2) == letterRule; }), "the number rule does not expand");
    }
    Require(RowItem(w.Tree, 2) == letterRule, "the second rule is not on the third row");

    Log("make it a letter rule a..b");
    SelectRow(user, w, 2, 2, "the second rule");
    Require(IsWindowEnabled(w.KindList), "the kind list is disabled");
    user.ClickOn(w.KindList);
    const HWND dropDown = WaitForTop(pid, kDropDownClass, nullptr, "drop-down list of kinds");
    user.Press(form, VK_DOWN);
    user.Press(form, VK_RETURN);
    WaitGone(dropDown, "the drop-down list of kinds");
    Require(WaitUntil([&] { return Ask(w.KindList, CB_GETCURSEL) == 1; }),
            "the kind list did not move to its second kind");
    Require(WaitUntil([&] {
              fields = ShownFields(w.ParamPanel);
              return fields.size() == 2 && fields != numberFields;
            }),
            "choosing the letter kind did not show the letter fields");
    Require(TextOf(fields[0]).empty() && TextOf(fields[1]).empty(), "a new rule's letter fields are not empty");
    user.TypeInto(fields[0], "a", "the first letter field");
    user.TypeInto(fields[1], "b", "the second letter field");

    Log("choose the source file in the open-file dialog");
    user.ClickOn(w.SourceButton);
    AnswerOpenDialog(user, w, source);

    Log("choose the output folder in the folder chooser and let it be created");
    user.ClickOn(w.FolderButton);
    AnswerFolderChooser(user, w, output);
    Require(IsFolder(output), "the output folder was not created");

    Log("show the preview");
    Require(IsWindowEnabled(w.PreviewButton), "the preview button is disabled");
    user.ClickOn(w.PreviewButton);
    RequirePreview(user, w, JoinNames(kExpectedNames, "\r\n"));

    Log("run the copy");
    Require(WaitUntil([&] { return IsWindowEnabled(w.RunButton) != FALSE; }), "the run button is disabled");
    user.ClickOn(w.RunButton);
    const HWND doneBox = WaitForBox(pid, kTitle, kCopyDone, "the message of a finished copy");
    user.Press(doneBox, VK_RETURN);
    WaitGone(doneBox, "the message of a finished copy");
    const std::vector<TFileState> copies = CheckCopies(output);
    Log("six copies made");

    Log("run again: skip the first name, then stop");
    Require(WaitUntil([&] { return IsWindowEnabled(w.RunButton) != FALSE; }), "the run button is disabled");
    user.ClickOn(w.RunButton);
    const HWND firstPrompt = WaitForBox(pid, kPromptCaption, output + "\\" + kExpectedNames[0] + kExistsText,
                                        "the prompt for the first name", false);
    user.Press(firstPrompt, VK_RETURN);
    Require(WaitUntil([&] { return !IsWindow(firstPrompt); }), "the prompt for the first name did not close");
    const HWND secondPrompt = WaitForBox(pid, kPromptCaption, output + "\\" + kExpectedNames[1] + kExistsText,
                                         "the prompt for the second name", false);
    const HWND no = GetDlgItem(secondPrompt, IDNO);
    Require(no != nullptr, "the prompt has no \"no\" button");
    user.ClickOn(no);
    WaitGone(secondPrompt, "the prompt for the second name");
    const HWND stoppedBox = WaitForBox(pid, kTitle, kCopyStopped, "the message of a stopped copy");
    user.Press(stoppedBox, VK_RETURN);
    WaitGone(stoppedBox, "the message of a stopped copy");
    const std::vector<TFileState> after = CheckCopies(output);
    for (std::size_t i = 0; i < after.size(); ++i) {
      Require(CompareFileTime(&after[i].Written, &copies[i].Written) == 0, kExpectedNames[i] + " was written again");
    }
    Log("the copies are untouched");
  });
}

// The keyboard's way.


// Waits until the keyboard focus is on `control`.
void RequireFocus(const TMainWindow& w, HWND control, const std::string& what) {
  HWND focus = nullptr;
  Require(WaitUntil([&] { return (focus = FocusOf(w.Thread)) == control; }),
          "the focus is on " + std::string(Describe(focus)) + ", not on " + what);
}

void Tab(TUser& user, const TMainWindow& w) { user.Press(w.Form, VK_TAB); }
void ShiftTab(TUser& user, const TMainWindow& w) { user.Chord(w.Form, {VK_SHIFT, VK_TAB}); }

// Opens the rule menu on the focused tree with `keys`, below the selected rule: its top is the
// bottom of the selected row's label (which may end a pixel or two above the row), its left
// inside the tree.
HWND OpenMenuByKeyboard(TUser& user, const TMainWindow& w, std::initializer_list<WORD> keys, int selectedRow) {
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
void RequireMenuOpenedOnce(const TMainWindow& w, HWND menu) {
  WaitGone(menu, "the rule menu");
  Sleep(300);
  Require(FindTop(w.ProcessId, kMenuClass) == nullptr, "the rule menu opened a second time");
}

// A whole job without the mouse: Tab to the tree, a rule from the keyboard's rule menu, its
// numbers typed, both dialogs opened with Enter, the preview and the run.
void KeyboardOnlyJob(const TTempFolder& temp) {
  const std::string source = temp.Path() + "\\kbd.txt";
  const std::string output = temp.Path() + "\\keys";
  PutFile(source, kSourceContent);

  WithProgram([&](TUser& user, const TMainWindow& w) {
    Log("the focus starts on the first field; Tab walks to the tree");
    RequireFocus(w, w.SourceField, "the source field at the start");
    for (HWND next : {w.SourceButton, w.FolderField, w.FolderButton, w.Tree}) {
      Tab(user, w);
      RequireFocus(w, next, Describe(next));
    }

    Log("select the root and add a number rule with Shift+F10");
    user.Press(w.Form, VK_HOME);
    const HTREEITEM root = TreeItem(w.Tree, TVGN_ROOT);
    Require(WaitUntil([&] { return TreeItem(w.Tree, TVGN_CARET) == root; }), "Home did not select the root");
    Log("the context-menu key opens the menu; Escape closes it");
    const HWND keyMenu = OpenMenuByKeyboard(user, w, {VK_APPS}, 0);
    user.Press(w.Form, VK_ESCAPE);
    RequireMenuOpenedOnce(w, keyMenu);
    const HWND menu = OpenMenuByKeyboard(user, w, {VK_SHIFT, VK_F10}, 0);
    user.Press(w.Form, VK_DOWN);  // to its first entry, "add"
    user.Press(w.Form, VK_RETURN);
    RequireMenuOpenedOnce(w, menu);
    Require(TreeCount(w.Tree) == 2, "choosing \"add\" by keyboard did not add one rule");
    Require(TreeItem(w.Tree, TVGN_CARET) == root, "adding moved the selection");

    Log("select the first rule with the arrow and type 1 and 3");
    user.Press(w.Form, VK_RIGHT);  // open the root, if it is not
    user.Press(w.Form, VK_DOWN);
    const HTREEITEM rule = TreeItem(w.Tree, TVGN_CHILD, root);
    Require(WaitUntil([&] { return TreeItem(w.Tree, TVGN_CARET) == rule; }), "Down did not select the first rule");
    std::vector<HWND> fields;
    Require(WaitUntil([&] { return (fields = ShownFields(w.ParamPanel)).size() == 2; }),
            "the number rule shows no pair of number fields");
    Tab(user, w);
    RequireFocus(w, w.KindList, "the kind list");
    for (const auto& [field, digit] : {std::pair{fields[0], "1"}, std::pair{fields[1], "3"}}) {
      Tab(user, w);
      RequireFocus(w, field, "a number field");
      user.Type(w.Form, digit);  // Tab selected the whole text: the digit replaces it
      Require(WaitUntil([&] { return TextOf(field) == digit; }), "a number field shows \"" + Ascii(TextOf(field)) + "\"");
    }
    // The run buttons wait for a source and a folder: Tab passes them by.
    for (HWND next : {w.JoinBox, w.SourceField, w.SourceButton}) {
      Tab(user, w);
      RequireFocus(w, next, Describe(next));
    }

    Log("Enter on the focused \"...\" opens the open-file dialog");
    user.Press(w.Form, VK_RETURN);
    AnswerOpenDialog(user, w, source);
    RequireFocus(w, w.SourceButton, "the source button after its dialog");
    Tab(user, w);
    Tab(user, w);
    RequireFocus(w, w.FolderButton, "the folder button");
    user.Press(w.Form, VK_RETURN);
    AnswerFolderChooser(user, w, output);
    RequireFocus(w, w.FolderButton, "the folder button after its dialog");

    Log("Enter in a field presses nothing, though \"run\" could run now");
    ShiftTab(user, w);
    RequireFocus(w, w.FolderField, "the folder field");
    user.Press(w.Form, VK_RETURN);
    Sleep(300);
    Require(FindTop(w.ProcessId, kDialogClass) == nullptr && ListFolder(output).empty(),
            "Enter in the folder field started something");

    Log("Tab to \"preview\" and press it with Enter");
    for (HWND next : {w.FolderButton, w.Tree, w.KindList, fields[0], fields[1], w.PreviewButton}) {
      Tab(user, w);
      RequireFocus(w, next, Describe(next));
    }
    user.Press(w.Form, VK_RETURN);
    RequirePreview(user, w, "1.txt\r\n2.txt\r\n3.txt");
    RequireFocus(w, w.PreviewButton, "the preview button after the preview");

    Log("Tab to \"run\" and press it with Enter");
    Tab(user, w);
    RequireFocus(w, w.RunButton, "the run button");
    user.Press(w.Form, VK_RETURN);
    const HWND doneBox = WaitForBox(w.ProcessId, kTitle, kCopyDone, "the message of a finished copy");
    user.Press(doneBox, VK_RETURN);
    WaitGone(doneBox, "the message of a finished copy");
    const std::string names = ListFolder(output);
    Require(names == "1.txt 2.txt 3.txt", "the output folder holds \"" + Ascii(names) + "\"");

    Log("Shift+Tab walks back the same way");
    for (HWND previous : {w.PreviewButton, fields[1], fields[0], w.KindList, w.Tree, w.FolderButton}) {
      ShiftTab(user, w);
      RequireFocus(w, previous, Describe(previous));
    }
  });
}

// Every control the window had at the start, with its class.
struct TControlSnapshot {
  std::vector<std::pair<HWND, std::string>> Controls;
  explicit TControlSnapshot(HWND form) {
    for (HWND control : Descendants(form)) Controls.emplace_back(control, ClassOf(control));
  }
  void RequireAll(const std::string& after) const {
    for (const auto& [control, className] : Controls) {
      Require(IsWindow(control) != FALSE, "a " + Ascii(className) + " is gone after " + after);
    }
  }
};

// Escape, Enter, Tab and Shift+Tab in each editor and in the tree: nothing goes, Tab and
// Shift+Tab walk to the neighbours and back, and what is typed afterwards is still stored.
void KeysInEveryEditor() {
  WithProgram([&](TUser& user, const TMainWindow& w) {
    const TControlSnapshot snapshot(w.Form);
    SelectRow(user, w, 0, 0, "the root");
    user.ClickOn(w.Tree, TreeLabelPoint(w.Tree, 0, 0), true);
    ChooseAdd(user, WaitForRuleMenu(w.ProcessId));
    Require(WaitUntil([&] { return TreeCount(w.Tree) == 2; }), "choosing \"add\" added no rule");
    SelectRow(user, w, 1, 1, "the rule");
    const HTREEITEM rule = TreeItem(w.Tree, TVGN_CARET);

    // The keys in `control`, whose neighbours in the tab order are `previous` and `next`.
    const auto pressKeys = [&](HWND control, HWND previous, HWND next, const std::string& what) {
      RequireFocus(w, control, what);
      user.Press(w.Form, VK_ESCAPE);
      user.Press(w.Form, VK_RETURN);
      user.Press(w.Form, VK_ESCAPE);
      Tab(user, w);
      RequireFocus(w, next, "the control after " + what);
      ShiftTab(user, w);
      RequireFocus(w, control, what + " after Shift+Tab");
      ShiftTab(user, w);
      RequireFocus(w, previous, "the control before " + what);
      Tab(user, w);
      RequireFocus(w, control, what + " after Tab");
      snapshot.RequireAll("Escape, Enter, Tab and Shift+Tab in " + what);
      Require(IsWindowVisible(control) && IsWindowVisible(w.ParamPanel), what + " is no longer shown");
      Require(TreeItem(w.Tree, TVGN_CARET) == rule, "the keys in " + what + " moved the tree's selection");
    };

    Log("the tree");
    pressKeys(w.Tree, w.FolderButton, w.KindList, "the tree");

    struct TKindCase {
      int Kind;
      std::vector<const char*> Typed;  // for each shown field, left to right
      std::vector<const char*> Loaded;  // what the fields show when the rule is selected again
    };
    // The memo shows a list of strings one to a line, each line ended.
    const TKindCase kinds[] = {{0, {"4", "5"}, {"4", "5"}},
                               {1, {"c", "d"}, {"c", "d"}},
                               {2, {"fix"}, {"fix"}},
                               {3, {"memo"}, {"memo\r\n"}}};
    for (const TKindCase& k : kinds) {
      Log("kind %d", k.Kind);
      user.ClickOn(w.KindList);
      const HWND dropDown = WaitForTop(w.ProcessId, kDropDownClass, nullptr, "drop-down list of kinds");
      user.Press(w.Form, VK_HOME);
      for (int i = 0; i < k.Kind; ++i) user.Press(w.Form, VK_DOWN);
      user.Press(w.Form, VK_RETURN);
      WaitGone(dropDown, "the drop-down list of kinds");
      Require(WaitUntil([&] { return Ask(w.KindList, CB_GETCURSEL) == k.Kind; }), "the kind list did not move");
      std::vector<HWND> fields;
      Require(WaitUntil([&] { return (fields = ShownFields(w.ParamPanel)).size() == k.Typed.size(); }),
              "the kind shows another number of fields");
      pressKeys(w.KindList, w.Tree, fields[0], "the kind list");
      Require(Ask(w.KindList, CB_GETCURSEL) == k.Kind, "the keys in the kind list changed the kind");
      for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string what = "field " + std::to_string(i) + " of kind " + std::to_string(k.Kind);
        user.ClickOn(fields[i], POINT{ScreenRect(fields[i]).left + 6, ScreenRect(fields[i]).top + 8});
        pressKeys(fields[i], i == 0 ? w.KindList : fields[i - 1], i + 1 < fields.size() ? fields[i + 1] : w.JoinBox,
                  what);
        // The whole text, over any lines that Enter made.
        user.Chord(w.Form, {VK_CONTROL, VK_HOME});
        user.Chord(w.Form, {VK_CONTROL, VK_SHIFT, VK_END});
        user.Type(w.Form, k.Typed[i]);
        Require(WaitUntil([&] { return TextOf(fields[i]) == k.Typed[i]; }),
                what + " shows \"" + Ascii(TextOf(fields[i])) + "\"");
      }
      Log("the rule keeps what was typed");
      SelectRow(user, w, 0, 0, "the root");
      SelectRow(user, w, 1, 1, "the rule");
      for (std::size_t i = 0; i < fields.size(); ++i) {
        Require(WaitUntil([&] { return TextOf(fields[i]) == k.Loaded[i]; }),
                "the rule shows \"" + Ascii(TextOf(fields[i])) + "\" instead of what was typed");
      }
    }
  });
}

// A number field left with a negative value by a click on another rule: the field's leaving rule
// must clamp the record of the rule being left, before the other rule is loaded.
void ClampOnLeavingByTheTree(const TTempFolder& temp) {
  const std::string source = temp.Path() + "\\clamp.txt";
  PutFile(source, kSourceContent);

  WithProgram([&](TUser& user, const TMainWindow& w) {
    SelectRow(user, w, 0, 0, "the root");
    user.ClickOn(w.Tree, TreeLabelPoint(w.Tree, 0, 0), true);
    ChooseAdd(user, WaitForRuleMenu(w.ProcessId));
    Require(WaitUntil([&] { return TreeCount(w.Tree) == 2; }), "choosing \"add\" added no rule");
    SelectRow(user, w, 1, 1, "the first rule");
    const HTREEITEM root = TreeItem(w.Tree, TVGN_ROOT), first = TreeItem(w.Tree, TVGN_CARET);

    Log("a right-click on the unselected root: only the selected rule looks selected");
    user.ClickOn(w.Tree, TreeLabelPoint(w.Tree, 0, 0), true);
    const HWND menu = WaitForRuleMenu(w.ProcessId);
    const auto state = [&](HTREEITEM item) {
      return Ask(w.Tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_SELECTED | TVIS_DROPHILITED);
    };
    Require(state(root) == 0, "the right-clicked root looks selected while the menu is open");
    Require(state(first) == TVIS_SELECTED, "the selected rule does not look selected while the menu is open");
    ChooseAdd(user, menu);
    Require(WaitUntil([&] { return TreeCount(w.Tree) == 3; }), "choosing \"add\" added no second rule");
    const HTREEITEM second = TreeItem(w.Tree, TVGN_CHILD, first);
    Require(second != nullptr, "\"add\" did not act on the selected rule");
    if (RowItem(w.Tree, 2) != second) user.Press(w.Form, VK_RIGHT);
    Require(WaitUntil([&] { return RowItem(w.Tree, 2) == second; }), "the first rule does not open");

    SelectRow(user, w, 2, 2, "the second rule");
    std::vector<HWND> fields;
    Require(WaitUntil([&] { return (fields = ShownFields(w.ParamPanel)).size() == 2; }), "no number fields");
    user.TypeInto(fields[0], "7", "the second rule's first field");
    user.TypeInto(fields[1], "7", "the second rule's second field");

    user.ClickOn(w.SourceButton);
    AnswerOpenDialog(user, w, source);
    user.ClickOn(w.FolderButton);
    AnswerFolderChooser(user, w, temp.Path());

    Log("-3 in the first field of a 0..2 rule, left by a click on another rule");
    SelectRow(user, w, 1, 1, "the first rule");
    user.TypeInto(fields[1], "2", "the first rule's second field");
    user.TypeInto(fields[0], "-3", "the first rule's first field");
    SelectRow(user, w, 2, 2, "the second rule");
    SelectRow(user, w, 1, 1, "the first rule");
    Require(TextOf(fields[0]) == "0", "the first field shows \"" + Ascii(TextOf(fields[0])) + "\"");
    user.ClickOn(w.PreviewButton);
    RequirePreview(user, w, "07.txt\r\n17.txt\r\n27.txt");

    Log("-5 in the second field, left by a click on another rule");
    user.TypeInto(fields[1], "-5", "the first rule's second field");
    SelectRow(user, w, 2, 2, "the second rule");
    user.ClickOn(w.PreviewButton);
    RequirePreview(user, w, "07.txt");

    Log("the clicked button has the focus back after the preview, and Enter presses it");
    RequireFocus(w, w.PreviewButton, "the preview button after the preview");
    user.Press(w.Form, VK_RETURN);
    RequirePreview(user, w, "07.txt");
  });
}

}  // namespace

// The scenario is named on the command line; without a name, the mouse's whole job.
int main(int argc, char** argv) {
  startTick = GetTickCount();
  const std::string scenario = argc > 1 ? argv[1] : "mouse";
  try {
    TTempFolder temp;
    if (scenario == "mouse") {
      UserBuildsCopiesAndReruns(temp);
    } else if (scenario == "keyboard") {
      KeyboardOnlyJob(temp);
    } else if (scenario == "keys") {
      KeysInEveryEditor();
    } else if (scenario == "clamp") {
      ClampOnLeavingByTheTree(temp);
    } else {
      throw TFailure("no scenario \"" + scenario + "\"");
    }
  } catch (const std::exception& error) {
    Log("FAILED: %s", Ascii(error.what()).c_str());
    return 1;
  }
  Log("passed");
  return 0;
}
