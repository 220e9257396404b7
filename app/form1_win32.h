#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "widgets/gdi_win32.h"
#include "app/panel_win32.h"
#include "app/resources_win32.h"
#include "app/spin_edit_win32.h"
#include "widgets/window_win32.h"
#include "naming/rule_tree.h"
#include "widgets/button_ex_win32.h"
#include "widgets/keyboard_host_win32.h"

// The main window: source and folder pickers, the rule tree with its editors, and the two run
// buttons. It owns the rule tree, the generated names and every control.
class TForm1 : public TWindow {
 public:
  static constexpr int kClientWidth = 481;
  static constexpr int kClientHeight = 336;

  explicit TForm1(IDialogs& dialogs);
  ~TForm1() override;

  // Shows the window for the first time (FormShow runs then).
  void Show(int showCommand);
  // When set, destroying the window ends the thread's message loop.
  bool QuitOnDestroy = false;

  // Controls, named as the user sees them; public so tests can drive them by their messages.
  HWND Edit1 = nullptr, Edit2 = nullptr, Button1 = nullptr, Button2 = nullptr;
  HWND Label1 = nullptr, Label2 = nullptr, Label3 = nullptr, Label4 = nullptr, Label5 = nullptr;
  HWND TreeView1 = nullptr, ButtonEx1 = nullptr, ComboBox1 = nullptr;
  HWND EditALFrom = nullptr, EditALTo = nullptr, EditFixString = nullptr, Memo1 = nullptr;
  HWND SpinEditNumFrom = nullptr, SpinEditNumTo = nullptr;
  HWND Button3 = nullptr, Button4 = nullptr, CheckBox1 = nullptr;
  std::unique_ptr<TPanel> Panel1, Panel2, Panel3, Panel4, Panel5, Panel6, Panel7, Panel8;

  TRuleTree& Rules() { return rules_; }
  // The names of the last preview or run; null once the window has closed. A close request that
  // comes while a command's handler is under way (waiting in a dialog, or a run between copies)
  // closes the window only once that handler has returned, so nothing it uses goes before it.
  const std::vector<std::string>* FileNames() const { return fileNames_.get(); }

  // Adds a fresh rule under the node of `parent` (the rule tree and the view together).
  HTREEITEM AddRuleNode(HTREEITEM parent);

  void UpdateControls();
  void SetParamsEnabled(bool enabled);
  void ShowParamEditors(int kind);

  // The rule menu ("追加", "削除"), opened by a right-click on the tree and by "▼", and from the
  // keyboard (Shift+F10, the context-menu key) on the tree, below the selected rule.
  HMENU PopupMenu1() const { return popupMenu_.Get(); }
  static constexpr UINT kN2 = 1001;       // "追加"
  static constexpr UINT kDelete1 = 1002;  // "削除"
  // The hint the tree shows while the mouse rests on it.
  HWND TreeHint() const { return treeHint_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ReportError(const std::string& text) override;

 private:
  void CreateControls();
  HWND AddControl(HWND parent, const char* className, const std::string& text, DWORD style, int x, int y, int width,
                  int height, DWORD exStyle = 0);
  void OnCommand(HWND control, int code);
  void OnNotify(const NMHDR& header);

  class TRunServices;
  // Posted to the window when a close is requested while a handler waits in a dialog.
  static constexpr UINT kEndModalWindows = WM_APP + 1;

  // Runs a command's handler; a close requested meanwhile takes effect once it has returned.
  void WhileBusy(const std::function<void()>& handler);
  void Close();
  // Records a close request that came while a handler was under way and ends the dialog it waits in.
  void RequestClose();
  // Takes in a close request waiting in the queue, posted or sent; true once one has come.
  bool TakeCloseRequests();
  void EndModalWindows();

  void FormCreate();
  void FormShow();
  void FormClose();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Edit1Change();
  void Edit2Change();
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

  // Takes the focus from the parameter editors before the selection moves, so that an editor's
  // leaving rule acts on the rule it shows.
  void LeaveEditors();
  static LRESULT TreeKeys(HWND tree, UINT message, WPARAM wParam, LPARAM lParam);
  // The node of a tree item, or null (no item, or an item being deleted).
  TRuleNode* NodeOf(HTREEITEM item) const;
  // The record of the selected node, or null when nothing or the root is selected.
  TCopyInfo* SelectedRecord() const;
  bool Join() const;  // the old-version join is checked
  // Shows `node` as the last child of `parent`, with its text and picture.
  HTREEITEM InsertItem(HTREEITEM parent, TRuleNode& node, int image);

  IDialogs& dialogs_;
  TGdiObject<HFONT> font_;
  TImageList images_;  // the book of the root and the sheets of a rule
  TMenu popupMenu_;
  std::unique_ptr<TSpinEdit> spinFrom_, spinTo_;  // SpinEditNumFrom and SpinEditNumTo
  std::unique_ptr<TButtonEx> buttonEx1_;  // ButtonEx1
  HWND treeHint_ = nullptr;
  TKeyboardHost keyboard_;  // Button1 to Button4 are the push buttons that Enter presses
  TRuleTree rules_;
  std::unique_ptr<std::vector<std::string>> fileNames_;
  int busy_ = 0;  // handlers under way, one inside another when a dialog's loop brings a command
  bool closeRequested_ = false;  // also the run's stop request
  bool closing_ = false;
  bool loading_ = false;
  bool shown_ = false;
};
