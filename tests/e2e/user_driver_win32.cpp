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

#include "tests/copy/temp_folder_win32.h"
#include "tests/support/windows_win32.h"

namespace {

const char kMainCaption[] = "Tandelo(仮) Ver1.10";
const char kTitle[] = "Tandelo(仮)";
const char kChooserCaption[] = "ディレクトリの選択";
const char kCreateCaption[] = "確認";
const char kCreatePrompt[] = "指定されたディレクトリが存在しません。作成しますか？";
const char kPromptCaption[] = "注意";
const char kExistsText[] = "はすでに存在します。";
const char kCopyDone[] = "ファイルのコピーが完了しました";
const char kCopyStopped[] = "複製を中止しました";
const char kPreviewClass[] = "TForm2";
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
  HWND PreviewButton = nullptr, RunButton = nullptr;
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
  }
  Require(pickers.size() == 2, "expected two \"...\" buttons");
  std::sort(pickers.begin(), pickers.end(), [](HWND a, HWND b) { return ScreenRect(a).top < ScreenRect(b).top; });
  w.SourceButton = pickers[0];
  w.FolderButton = pickers[1];
  w.SourceField = FieldBeside(w.SourceButton);
  w.FolderField = FieldBeside(w.FolderButton);
  Require(w.SourceField && w.FolderField, "no edit fields beside the \"...\" buttons");
  Require(w.Tree && w.RuleMenuButton && w.KindList && w.PreviewButton && w.RunButton,
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

void Run(const TTempFolder& temp) {
  const std::string source = temp.Path() + "\\report.txt";
  const std::string output = temp.Path() + "\\" + kOutputFolder;
  PutFile(source, kSourceContent);
  Require(!IsFolder(output), "the output folder exists already");
  Log("source %s, output %s", Ascii(source).c_str(), Ascii(output).c_str());

  const std::string program = ProgramPath();
  Log("start %s", Ascii(program).c_str());
  TProcess process(program);
  Require(process.Started(), "cannot start " + Ascii(program));
  const DWORD pid = process.Id();
  try {
    TUser user(process);
    const HWND form = WaitForTop(pid, nullptr, kMainCaption, "main window", kStartTimeout);
    const DWORD thread = GetWindowThreadProcessId(form, nullptr);
    user.BringToFront(form);
    const TMainWindow w = LocateControls(form);
    Log("main window shown and in front");

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
    const HWND openDialog = WaitForTop(pid, kDialogClass, nullptr, "open-file dialog");
    HWND nameField = nullptr;
    Require(WaitUntil([&] {
              nameField = FocusOf(thread);
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

    Log("choose the output folder in the folder chooser and let it be created");
    user.ClickOn(w.FolderButton);
    const HWND chooser = WaitForTop(pid, kDialogClass, kChooserCaption, "folder chooser");
    const HWND folderName = FindWindowExA(chooser, nullptr, "EDIT", nullptr);
    Require(folderName != nullptr, "the folder chooser has no name field");
    user.TypeInto(folderName, output, "the chooser's name field");
    user.Press(chooser, VK_RETURN);
    const HWND createBox = WaitForBox(pid, kCreateCaption, kCreatePrompt, "the question to create the folder");
    user.Press(createBox, VK_RETURN);
    WaitGone(createBox, "the question to create the folder");
    WaitGone(chooser, "the folder chooser");
    Require(WaitUntil([&] { return TextOf(w.FolderField) == output; }),
            "the folder field shows \"" + Ascii(TextOf(w.FolderField)) + "\"");
    Require(IsFolder(output), "the output folder was not created");

    Log("show the preview");
    Require(IsWindowEnabled(w.PreviewButton), "the preview button is disabled");
    user.ClickOn(w.PreviewButton);
    const HWND preview = WaitForTop(pid, kPreviewClass, nullptr, "preview");
    const HWND list = FindWindowExA(preview, nullptr, "TNameView", nullptr);
    Require(list != nullptr, "the preview has no list");
    const std::string expectedList = JoinNames(kExpectedNames, "\r\n");
    Require(WaitUntil([&] { return TextOf(list) == expectedList; }),
            "the preview lists \"" + Ascii(TextOf(list)) + "\"");
    user.Press(preview, VK_ESCAPE);
    WaitGone(preview, "the preview");

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

}  // namespace

int main() {
  startTick = GetTickCount();
  try {
    TTempFolder temp;
    Run(temp);
  } catch (const std::exception& error) {
    Log("FAILED: %s", Ascii(error.what()).c_str());
    return 1;
  }
  Log("passed");
  return 0;
}
