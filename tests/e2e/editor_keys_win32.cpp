// The dialog keys in every editor and in the tree.
#include "tests/e2e/harness_win32.h"

namespace e2e {

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

}  // namespace e2e
