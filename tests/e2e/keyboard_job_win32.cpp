// The keyboard's way through a whole job.
#include "tests/e2e/harness_win32.h"

namespace e2e {

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

}  // namespace e2e
