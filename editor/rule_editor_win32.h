#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "editor/panel_win32.h"
#include "editor/rule_images.h"
#include "editor/spin_edit_win32.h"
#include "naming/rule_tree.h"
#include "widgets/button_ex_win32.h"
#include "win32/gdi.h"

// What the rule editor asks of the window it stands in.
class IRuleEditorHost {
 public:
  virtual ~IRuleEditorHost() = default;
  // Runs one of the editor's handlers as the host runs its own: a close requested while it waits
  // in a menu or a box takes effect once it has returned.
  virtual void WhileBusy(const std::function<void()>& handler) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
  // The selection moved to another rule; what depends on the rules may change.
  virtual void RulesChanged() = 0;
};

// The rule editor: the rule tree with its header and "▼", the kind list and the parameter editors
// of the selected rule, the rule menu ("追加", "削除") and the tree's hint. It owns the rules and
// handles its controls' notifications itself; only what it does not handle goes on to its parent.
class TRuleEditor : public TPanel {
 public:
  // The tree shows `images` (kRootImage, kRuleImage), which the editor keeps; its controls show
  // their text in `font`, which must outlive them.
  TRuleEditor(HWND parent, int x, int y, IRuleEditorHost& host, HFONT font, TImageList images);
  ~TRuleEditor() override;

  TRuleTree& Rules() { return rules_; }
  // True once the tree holds a rule besides the root.
  bool HasRules() const;
  // Shows the root and no editor; once, when the window first shows.
  void Start();
  // Enables the kind list and the editors as the tree and the selection allow.
  void UpdateControls();
  // Takes the focus from the parameter editors before the selection moves, so that an editor's
  // leaving rule acts on the rule it shows.
  void LeaveEditors();

  // Adds a fresh rule under the node of `parent` (the rule tree and the view together).
  HTREEITEM AddRuleNode(HTREEITEM parent);
  void SetParamsEnabled(bool enabled);
  void ShowParamEditors(int kind);

  // Controls, named as in the design; public so tests can drive them by their messages.
  HWND TreeView1 = nullptr, ButtonEx1 = nullptr, ComboBox1 = nullptr, Label3 = nullptr, Label4 = nullptr;
  HWND EditALFrom = nullptr, EditALTo = nullptr, EditFixString = nullptr, Memo1 = nullptr;
  HWND SpinEditNumFrom = nullptr, SpinEditNumTo = nullptr;
  std::unique_ptr<TPanel> Panel1, Panel5, Panel6, Panel7, Panel8;

  // The commands of the rule menu, which opens on a right-click on the tree and on "▼", and from
  // the keyboard (Shift+F10, the context-menu key) on the tree, below the selected rule.
  static constexpr UINT kN2 = 1001;       // "追加"
  static constexpr UINT kDelete1 = 1002;  // "削除"
  // The hint the tree shows while the mouse rests on it.
  HWND TreeHint() const { return treeHint_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ReportError(const std::string& text) override;

 private:
  void CreateControls(HFONT font);
  // False for a command that is not the editor's, which goes on to the parent.
  bool OnCommand(HWND control, int code);
  bool OnNotify(const NMHDR& header, LRESULT& result);

  void TreeView1Change(HTREEITEM node);
  void ShowCopyInfo(const TCopyInfo& info);
  void StoreCopyInfo(TCopyInfo& info);
  void ComboBox1Click();
  void SpinEditNumChange(HWND field);
  void SpinEditNumExit();
  void EditALChange(HWND field);
  void EditFixStringChange();
  void Memo1Change();
  void N2Click();
  void Delete1Click();
  void ButtonEx1Click();
  void OpenRuleMenu(POINT screen);
  void TreeView1ContextPopup(HWND control, LPARAM position);
  static LRESULT TreeKeys(HWND tree, UINT message, WPARAM wParam, LPARAM lParam);
  // The node of a tree item, or null (no item, or an item being deleted).
  TRuleNode* NodeOf(HTREEITEM item) const;
  // The record of the selected node, or null when nothing or the root is selected.
  TCopyInfo* SelectedRecord() const;
  // Shows `node` as the last child of `parent`, with its text and picture.
  HTREEITEM InsertItem(HTREEITEM parent, TRuleNode& node, int image);

  IRuleEditorHost& host_;
  TImageList images_;  // outlives the tree, which shows it
  TMenu popupMenu_;  // PopupMenu1
  std::unique_ptr<TSpinEdit> spinFrom_, spinTo_;  // SpinEditNumFrom and SpinEditNumTo
  std::unique_ptr<TButtonEx> buttonEx1_;          // ButtonEx1
  HWND treeHint_ = nullptr;  // owned by the top-level window, which destroys it
  TRuleTree rules_;
  bool loading_ = false;
};
