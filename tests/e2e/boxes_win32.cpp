// The keyboard after every box: each box the program shows is closed with a key pressed into it,
// and the window beneath must have the keyboard back at once. Nothing brings a window to the front
// between that key and the checks: a test that did would hide a window left inactive.
#include "tests/e2e/harness_win32.h"

namespace e2e {

namespace {

const char kInvalidNumbers[] = "連番情報に不正な値が設定されています";
const char kCannotCreate[] = "ディレクトリを作成できません.";
const char kNoHelp[] = "この画面のヘルプはありません。";

// `box` stands over `window`: owned by it, and the window takes no clicks meanwhile.
void RequireOver(HWND box, HWND window, const char* what) {
  Require(GetWindow(box, GW_OWNER) == window, std::string(what) + " does not stand over its window");
  Require(!IsWindowEnabled(window), std::string("the window beneath ") + what + " takes input");
}

// After a box closed: `window` is in front and active with the focus on `control`, and a Tab
// pressed where the keyboard now is moves the focus to another of its controls, which is returned.
HWND RequireKeyboardBack(TUser& user, DWORD thread, HWND window, HWND control, const std::string& after) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const auto back = [&] {
    return GetGUIThreadInfo(thread, &info) && info.hwndActive == window && info.hwndFocus == control &&
           GetForegroundWindow() == window;
  };
  if (!WaitUntil(back)) {
    const std::string active = Describe(info.hwndActive), focus = Describe(info.hwndFocus);
    throw TFailure("after " + after + " the active window is " + active + " and the focus on " + focus + ", not on " +
                   Describe(control));
  }
  user.ChordHere({VK_TAB});
  HWND focus = nullptr;
  Require(WaitUntil([&] {
            focus = FocusOf(thread);
            return focus && focus != control && IsChild(window, focus);
          }),
          "after " + after + " Tab left the focus on " + Describe(focus));
  const std::string was = Describe(control);
  Log("after %s the focus is back on %s; Tab moves it to %s", after.c_str(), was.c_str(), Describe(focus));
  return focus;
}

// Opens the folder chooser with Enter on the focused folder button, types `path` into its name
// field, reached with Shift+Tab from the folder list, and presses Enter; returns the chooser.
HWND ConfirmInChooser(TUser& user, const TMainWindow& w, const std::string& path) {
  user.Press(w.Form, VK_RETURN);
  const HWND chooser = WaitForTop(w.ProcessId, kDialogClass, kChooserCaption, "folder chooser");
  const HWND field = FindWindowExA(chooser, nullptr, "EDIT", nullptr);
  user.Chord(chooser, {VK_SHIFT, VK_TAB});
  RequireFocus(w, field, "the chooser's name field");
  user.Type(chooser, path);
  Require(WaitUntil([&] { return TextOf(field) == path; }), "the name field does not show the typed path");
  user.Press(chooser, VK_RETURN);
  return chooser;
}

HWND ChooserButton(HWND chooser, const char* caption) {
  const HWND button = FindWindowExA(chooser, nullptr, "BUTTON", caption);
  Require(button != nullptr, std::string("the folder chooser has no button ") + caption);
  return button;
}

}  // namespace

void KeyboardAfterEveryBox(const TTempFolder& temp) {
  const std::string source = temp.Path() + "\\box.txt";
  const std::string output = temp.Path() + "\\boxes";
  const std::string blocked = source + "\\sub";  // a file stands where a folder would be made
  PutFile(source, kSourceContent);

  WithProgram([&](TUser& user, const TMainWindow& w) {
    Log("a number rule from 3 to 0, made from the keyboard");
    for (HWND next : {w.SourceButton, w.FolderField, w.FolderButton, w.Tree}) {
      Tab(user, w);
      RequireFocus(w, next, Describe(next));
    }
    user.Press(w.Form, VK_HOME);
    const HWND menu = OpenMenuByKeyboard(user, w, {VK_SHIFT, VK_F10}, 0);
    user.Press(w.Form, VK_DOWN);
    user.Press(w.Form, VK_RETURN);
    RequireMenuOpenedOnce(w, menu);
    user.Press(w.Form, VK_RIGHT);
    user.Press(w.Form, VK_DOWN);
    std::vector<HWND> fields;
    Require(WaitUntil([&] { return (fields = ShownFields(w.ParamPanel)).size() == 2; }),
            "the number rule shows no pair of number fields");
    Tab(user, w);
    Tab(user, w);
    RequireFocus(w, fields[0], "the first number field");
    user.Type(w.Form, "3");
    Require(WaitUntil([&] { return TextOf(fields[0]) == "3"; }), "the first number field does not show 3");
    for (HWND next : {fields[1], w.JoinBox, w.SourceField, w.SourceButton}) {
      Tab(user, w);
      RequireFocus(w, next, Describe(next));
    }
    user.Press(w.Form, VK_RETURN);
    AnswerOpenDialog(user, w, source);
    Tab(user, w);
    Tab(user, w);
    RequireFocus(w, w.FolderButton, "the folder button");

    Log("a folder that cannot be made: the error box, closed with Enter");
    ConfirmInChooser(user, w, blocked);
    HWND box = WaitForBox(w.ProcessId, kCreateCaption, kCreatePrompt, "the question to create the folder");
    user.Press(box, VK_RETURN);
    box = WaitForBox(w.ProcessId, kTitle, kCannotCreate, "the error box");
    RequireOver(box, w.Form, "the error box");
    user.Press(box, VK_RETURN);
    RequireKeyboardBack(user, w.Thread, w.Form, w.FolderButton, "the error box");
    Require(TextOf(w.FolderField).empty(), "the folder field took a folder that was not made");

    Log("boxes over the folder chooser: the question answered No, the help closed with Enter");
    ShiftTab(user, w);
    RequireFocus(w, w.FolderButton, "the folder button");
    const HWND chooser = ConfirmInChooser(user, w, output);
    const HWND field = FindWindowExA(chooser, nullptr, "EDIT", nullptr);
    box = WaitForBox(w.ProcessId, kCreateCaption, kCreatePrompt, "the question to create the folder");
    RequireOver(box, chooser, "the question to create the folder");
    user.Press(box, VK_TAB);  // to "いいえ"
    user.Press(box, VK_RETURN);
    RequireKeyboardBack(user, w.Thread, chooser, field, "\"no\" to the question to create the folder");
    const HWND help = ChooserButton(chooser, "ヘルプ(&H)");
    user.Chord(chooser, {VK_SHIFT, VK_TAB});
    user.Chord(chooser, {VK_SHIFT, VK_TAB});
    RequireFocus(w, help, "the chooser's help button");
    user.Press(chooser, VK_RETURN);
    box = WaitForBox(w.ProcessId, kTitle, kNoHelp, "the chooser's help");
    RequireOver(box, chooser, "the chooser's help");
    user.Press(box, VK_RETURN);
    Require(RequireKeyboardBack(user, w.Thread, chooser, help, "the chooser's help") == field,
            "Tab after the help button does not lead to the name field");
    user.Press(chooser, VK_RETURN);
    box = WaitForBox(w.ProcessId, kCreateCaption, kCreatePrompt, "the question to create the folder");
    user.Press(box, VK_RETURN);
    WaitGone(chooser, "the folder chooser");
    Require(WaitUntil([&] { return TextOf(w.FolderField) == output; }), "the folder field does not show the folder");
    RequireKeyboardBack(user, w.Thread, w.Form, w.FolderButton, "the folder chooser");

    Log("a run refused by validation: the plain message, closed with Escape");
    for (HWND next : {w.KindList, fields[0], fields[1], w.PreviewButton, w.RunButton}) {
      Tab(user, w);
      RequireFocus(w, next, Describe(next));
    }
    user.Press(w.Form, VK_RETURN);
    box = WaitForBox(w.ProcessId, kTitle, kInvalidNumbers, "the validation message");
    RequireOver(box, w.Form, "the validation message");
    user.Press(box, VK_ESCAPE);
    Require(RequireKeyboardBack(user, w.Thread, w.Form, w.RunButton, "the validation message") == w.JoinBox,
            "Tab after the run button does not lead to the check box");

    Log("a run that copies: the completion message, closed with Enter");
    for (HWND previous : {w.RunButton, w.PreviewButton, fields[1], fields[0]}) {
      ShiftTab(user, w);
      RequireFocus(w, previous, Describe(previous));
    }
    user.Type(w.Form, "1");
    Tab(user, w);
    user.Type(w.Form, "3");
    Tab(user, w);
    Tab(user, w);
    RequireFocus(w, w.RunButton, "the run button");
    user.Press(w.Form, VK_RETURN);
    box = WaitForBox(w.ProcessId, kTitle, kCopyDone, "the message of a finished copy");
    RequireOver(box, w.Form, "the message of a finished copy");
    user.Press(box, VK_RETURN);
    RequireKeyboardBack(user, w.Thread, w.Form, w.RunButton, "the message of a finished copy");
    Require(ListFolder(output) == "1.txt 2.txt 3.txt", "the output folder holds \"" + Ascii(ListFolder(output)) + "\"");

    // Alt+F4 goes to the box in front, never to the window beneath, which would close.
    for (const auto& [key, name] : {std::pair{VK_ESCAPE, "Escape"}, std::pair{VK_F4, "Alt+F4"}}) {
      Log("a run again: the question answered with %s, the stop message closed with Enter", name);
      ShiftTab(user, w);
      RequireFocus(w, w.RunButton, "the run button");
      user.Press(w.Form, VK_RETURN);
      box = WaitForBox(w.ProcessId, kPromptCaption, output + "\\1.txt" + kExistsText, "the copy question", false);
      RequireOver(box, w.Form, "the copy question");
      if (key == VK_F4) {
        user.Chord(box, {VK_MENU, VK_F4});
      } else {
        user.Press(box, key);
      }
      box = WaitForBox(w.ProcessId, kTitle, kCopyStopped, "the message of a stopped copy");
      RequireOver(box, w.Form, "the message of a stopped copy");
      user.Press(box, VK_RETURN);
      RequireKeyboardBack(user, w.Thread, w.Form, w.RunButton, "the message of a stopped copy");
    }
    Require(ListFolder(output) == "1.txt 2.txt 3.txt", "a stopped run changed the output folder");
  });
}

}  // namespace e2e
