// A number field clamps when it is left by a click on the tree.
#include "tests/e2e/harness_win32.h"

namespace e2e {

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

}  // namespace e2e
