#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "editor/panel_win32.h"
#include "editor/rule_editor_win32.h"
#include "naming/rule_tree.h"
#include "win32/gdi.h"
#include "win32/keyboard_host.h"
#include "win32/window.h"

// The main window: source and folder pickers, the rule editor, and the two run buttons. It hosts
// the keyboard, runs the preview and the copy, and owns the generated names.
class TForm1 : public TWindow, private IRuleEditorHost {
 public:
  static constexpr int kClientWidth = 481;
  static constexpr int kClientHeight = 336;

  explicit TForm1(IDialogs& dialogs);
  ~TForm1() override;

  // Shows the window for the first time (FormShow runs then).
  void Show(int showCommand);
  // When set, destroying the window ends the thread's message loop.
  bool QuitOnDestroy = false;

  // Controls, named as in the design, with their captions; public so tests can drive them by
  // their messages.
  HWND Label1 = nullptr;     // 複製元ファイル：
  HWND Edit1 = nullptr;      // the source file
  HWND Button1 = nullptr;    // ... (choose the source file)
  HWND Label2 = nullptr;     // 複製先フォルダ：
  HWND Edit2 = nullptr;      // the destination folder
  HWND Button2 = nullptr;    // ... (choose the destination folder)
  HWND CheckBox1 = nullptr;  // 親情報で作成した名称をつなげる（旧Verﾕｰｻﾞｰ対応用）
  HWND Label5 = nullptr;     // 注意：固定文字列に関しては、旧ﾊﾞｰｼﾞｮﾝと互換性がありません
  HWND Button4 = nullptr;    // テスト表示 (the preview)
  HWND Button3 = nullptr;    // 実行 (the copy run)
  std::unique_ptr<TPanel> Panel2, Panel3;

  // The rule editor (Panel4), with the rules.
  TRuleEditor& Editor() { return *editor_; }
  TRuleTree& Rules() { return editor_->Rules(); }
  // The names of the last preview or run; null once the window has closed. A close request that
  // comes while a command's handler is under way (waiting in a dialog, or a run between copies)
  // closes the window only once that handler has returned, so nothing it uses goes before it.
  const std::vector<std::string>* FileNames() const { return fileNames_.get(); }

  void UpdateControls();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ReportError(const std::string& text) override;

 private:
  void CreateControls();
  void OnCommand(HWND control, int code);

  // Runs a command's handler, its own or the editor's; a close requested meanwhile takes effect
  // once it has returned.
  void WhileBusy(const std::function<void()>& handler) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void RulesChanged() override;

  class TRunServices;
  // Posted to the window when a close is requested while a handler waits in a dialog.
  static constexpr UINT kEndModalWindows = WM_APP + 1;

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
  bool Join() const;  // the old-version join is checked

  IDialogs& dialogs_;
  TGdiObject<HFONT> font_;
  TKeyboardHost keyboard_;  // Button1 to Button4 are the push buttons that Enter presses
  std::unique_ptr<TRuleEditor> editor_;
  std::unique_ptr<std::vector<std::string>> fileNames_;
  int busy_ = 0;  // handlers under way, one inside another when a dialog's loop brings a command
  bool closeRequested_ = false;  // also the run's stop request
  bool closing_ = false;
  bool shown_ = false;
};
