// The mouse's way through a whole job.
#include "tests/e2e/harness_win32.h"

namespace e2e {

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

}  // namespace e2e
