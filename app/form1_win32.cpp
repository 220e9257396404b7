#include "app/form1_win32.h"

#include <commctrl.h>
#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "app/app_title.h"
#include "app/folder_levels.h"
#include "app/folder_system_win32.h"
#include "app/res/version.h"
#include "app/text_lines.h"
#include "copy/file_copier_win32.h"
#include "preview/preview_window_win32.h"

namespace {

const char kCaption[] = TANDELO_CAPTION;
const char kCannotCreateFolder[] = "ディレクトリを作成できません";
const char kRootNotDeletable[] = "全複製情報は削除できません";
const char kTreeHint[] = "右クリックで、「追加」、「削除」を選択";
constexpr int kNoRule = 99;
constexpr int kComboBoxHeight = 20;

bool HasClass(HWND window, const char* name) {
  char className[64] = "";
  return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

// A button of a dialog that the user can see; a message box may create buttons it does not show.
HWND ShownButton(HWND dialog, int id) {
  const HWND button = GetDlgItem(dialog, id);
  return button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) ? button : nullptr;
}

// Ends the dialog or preview in front, the one top-level window that modality leaves enabled
// besides the main window, with the answer that changes nothing: Cancel, else No (the copy
// prompt's No stops the run), else OK.
BOOL CALLBACK EndModalWindow(HWND window, LPARAM mainWindow) {
  if (window == reinterpret_cast<HWND>(mainWindow) || !IsWindowEnabled(window)) return TRUE;
  if (HasClass(window, kPreviewClassName)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (HasClass(window, "#32770")) {
    for (const int id : {IDCANCEL, IDNO, IDOK}) {
      if (const HWND button = ShownButton(window, id)) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        break;
      }
    }
  }
  return TRUE;
}

}  // namespace

// What a run talks to, passed through the window: a close request waiting in the queue is taken
// in after every copy and before every box, so the run stops before its next copy and shows
// nothing more. Without this, a request sent or posted during the copies would wait until the
// next box's message loop, and the copies would go on until then.
//
// The names are made and copied on this thread without a message loop. The system calls a window
// whose thread has not looked at its queue for five seconds hung, and offers to end the program
// in the middle of a copy: so the run looks at the queue, without taking anything out of it, now
// and then while the names are freed and made, between copies and between the chunks of one long
// copy, at most every kLookInterval.
class TForm1::TRunServices : public IFileCopier, public ICopyPrompt, public IMessageSink {
 public:
  explicit TRunServices(TForm1& form) : form_(form), copier_([this] { ShowAlive(); }) {}

  TCopyOutcome Copy(const std::string& source, const std::string& destination) override {
    TCopyOutcome outcome = copier_.Copy(source, destination);
    form_.TakeCloseRequests();
    return outcome;
  }
  int Ask(const std::string& text, const std::string& caption, unsigned flags) override {
    return form_.TakeCloseRequests() ? kAnswerNo : form_.dialogs_.Ask(text, caption, flags);
  }
  void ShowMessage(const std::string& text) override {
    if (!form_.TakeCloseRequests()) form_.dialogs_.ShowMessage(text);
  }

  TCopyServices Services() {
    return TCopyServices{*this, *this, *this, &form_.closeRequested_, [this] { ShowAlive(); }};
  }

  void ShowAlive() {
    const DWORD now = GetTickCount();
    if (now - lastLook_ < kLookInterval) return;
    lastLook_ = now;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }

 private:
  static constexpr DWORD kLookInterval = 200;  // milliseconds

  TForm1& form_;
  TWin32FileCopier copier_;
  DWORD lastLook_ = GetTickCount();
};

TForm1::TForm1(IDialogs& dialogs) : dialogs_(dialogs), font_(CreateProgramFont()) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  // The outer size that gives the designed client area, centred on the desktop (the whole primary
  // screen, whatever a taskbar takes of it).
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  Create("TandeloForm1", exStyle, kCaption, style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
         (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr);
  CreateControls();
  FormCreate();
}

// The window goes before the members its messages could still reach.
TForm1::~TForm1() {
  if (Handle()) DestroyWindow(Handle());
}

HWND TForm1::AddControl(HWND parent, const char* className, const std::string& text, DWORD style, int x, int y,
                        int width, int height, DWORD exStyle) {
  const HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                                       height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  return control;
}

// Controls are made parent by parent in their tab order: the creation order is the keyboard order.
void TForm1::CreateControls() {
  const HWND form = Handle();
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;

  Panel2 = std::make_unique<TPanel>(form, 0, 0, 481, 65, pbNone);
  const HWND p2 = Panel2->Handle();
  Label1 = AddControl(p2, "STATIC", "複製元ファイル：", SS_LEFT, 8, 12, 83, 12);
  Label2 = AddControl(p2, "STATIC", "複製先フォルダ：", SS_LEFT, 8, 32, 85, 12);
  Edit1 = AddControl(p2, "EDIT", "", edit | ES_READONLY, 96, 8, 353, 20, WS_EX_CLIENTEDGE);
  Button1 = AddControl(p2, "BUTTON", "...", button, 450, 8, 25, 20);
  Edit2 = AddControl(p2, "EDIT", "", edit | ES_READONLY, 96, 29, 353, 20, WS_EX_CLIENTEDGE);
  Button2 = AddControl(p2, "BUTTON", "...", button, 450, 29, 25, 20);

  Panel4 = std::make_unique<TPanel>(form, 0, 65, 481, 230, pbRaisedOuter);
  Panel5 = std::make_unique<TPanel>(Panel4->Handle(), 1, 1, 224, 228, pbNone);
  TreeView1 = AddControl(Panel5->Handle(), WC_TREEVIEWA, "",
                         // Whole-row selection: the tree control ignores it when lines are drawn.
                         WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT |
                             TVS_NOTOOLTIPS,
                         0, 17, 224, 211, WS_EX_CLIENTEDGE);
  TreeView_SetIndent(TreeView1, 19);
  SubclassControl(TreeView1, TreeKeys);
  images_ = CreateRuleImageList(GetModuleHandleA(nullptr));
  TreeView_SetImageList(TreeView1, images_.Get(), TVSIL_NORMAL);
  Panel1 = std::make_unique<TPanel>(Panel5->Handle(), 0, 0, 224, 17, pbLoweredOuter, "複製情報一覧");
  buttonEx1_ = std::make_unique<TButtonEx>(Panel1->Handle(), "▼", 157, 1, 25, 16, 0);
  buttonEx1_->SetButtonStyle(TButtonStyle::UltraFlat);
  ButtonEx1 = buttonEx1_->Handle();
  SendMessageA(ButtonEx1, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

  Panel6 = std::make_unique<TPanel>(Panel4->Handle(), 225, 1, 255, 228, pbNone);
  Panel7 = std::make_unique<TPanel>(Panel6->Handle(), 0, 0, 255, 29, pbLoweredInner);
  Label4 = AddControl(Panel7->Handle(), "STATIC", "複製情報：", SS_LEFT, 8, 8, 54, 12);
  ComboBox1 = AddControl(Panel7->Handle(), "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 72, 5, 145,
                         200);
  for (int kind = 0; kind < kCopyKindCount; ++kind) {
    SendMessageA(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(KindName(TCopyKind(kind)).c_str()));
  }
  SendMessageA(ComboBox1, CB_SETITEMHEIGHT, 0, 12);
  // The closed list is as tall as its field and frame, and only the field's height can be set;
  // what a setting gives differs between systems (Wine adds its own margin), so it is adjusted by
  // what the window measures.
  int field = static_cast<int>(SendMessageA(ComboBox1, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int tries = 0; tries < 3; ++tries) {
    RECT combo;
    GetWindowRect(ComboBox1, &combo);
    if (combo.bottom - combo.top == kComboBoxHeight) break;
    field -= combo.bottom - combo.top - kComboBoxHeight;
    SendMessageA(ComboBox1, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }

  Panel8 = std::make_unique<TPanel>(Panel6->Handle(), 0, 29, 255, 199, pbLoweredOuter);
  const HWND p8 = Panel8->Handle();
  EditALFrom = AddControl(p8, "EDIT", "", edit, 24, 16, 25, 20, WS_EX_CLIENTEDGE);
  EditALTo = AddControl(p8, "EDIT", "", edit, 184, 16, 25, 20, WS_EX_CLIENTEDGE);
  EditFixString = AddControl(p8, "EDIT", "", edit, 24, 16, 185, 20, WS_EX_CLIENTEDGE);
  // Words wrap at the memo's width; no scroll bars, but typing past the bottom still scrolls.
  Memo1 = AddControl(p8, "EDIT", "", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 24, 16, 193, 169,
                     WS_EX_CLIENTEDGE);
  spinFrom_ = std::make_unique<TSpinEdit>(p8, 24, 16, 57, 21);
  spinTo_ = std::make_unique<TSpinEdit>(p8, 152, 16, 57, 21);
  SpinEditNumFrom = spinFrom_->Handle();
  SpinEditNumTo = spinTo_->Handle();
  for (HWND spin : {SpinEditNumFrom, SpinEditNumTo}) {
    SendMessageA(spin, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
  Label3 = AddControl(p8, "STATIC", "～", SS_LEFT, 110, 20, 12, 12);
  SendMessageA(EditALFrom, EM_LIMITTEXT, 1, 0);
  SendMessageA(EditALTo, EM_LIMITTEXT, 1, 0);
  // A letter is a plain letter: an input method in kana mode would turn "a" into あ, which the
  // field then empties without a word.
  ImmAssociateContext(EditALFrom, nullptr);
  ImmAssociateContext(EditALTo, nullptr);
  SendMessageA(EditFixString, EM_LIMITTEXT, 30, 0);

  Panel3 = std::make_unique<TPanel>(form, 0, 295, 481, 41, pbRaisedOuter);
  const HWND p3 = Panel3->Handle();
  Label5 = AddControl(p3, "STATIC", "注意：固定文字列に関しては、旧ﾊﾞｰｼﾞｮﾝと互換性がありません", SS_LEFT, 2, 24, 318, 12);
  Button4 = AddControl(p3, "BUTTON", "テスト表示", button, 324, 8, 75, 25);
  Button3 = AddControl(p3, "BUTTON", "実行", button, 403, 8, 75, 25);
  keyboard_.SetPushButtons({Button1, Button2, Button3, Button4});
  CheckBox1 = AddControl(p3, "BUTTON", "親情報で作成した名称をつなげる（旧Verﾕｰｻﾞｰ対応用）",
                         WS_TABSTOP | BS_AUTOCHECKBOX, 3, 3, 306, 17);

  const HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, kN2, "追加");
  AppendMenuA(menu, MF_STRING, kDelete1, "削除");
  popupMenu_.Reset(menu);

  treeHint_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, form,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(TreeView1);
  tool.lpszText = const_cast<char*>(kTreeHint);
  SendMessageA(treeHint_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(treeHint_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

  for (TPanel* panel : {Panel1.get(), Panel2.get(), Panel3.get(), Panel4.get(), Panel5.get(), Panel6.get(),
                        Panel7.get(), Panel8.get()}) {
    SendMessageA(panel->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
}

void TForm1::Show(int showCommand) {
  ShowWindow(Handle(), showCommand);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
  UpdateWindow(Handle());
}

HTREEITEM TForm1::InsertItem(HTREEITEM parent, TRuleNode& node, int image) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(node.Text().c_str());
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  return TreeView_InsertItem(TreeView1, &insert);
}

HTREEITEM TForm1::AddRuleNode(HTREEITEM parent) {
  TRuleNode* parentNode = NodeOf(parent);
  if (!parentNode) return nullptr;
  const HTREEITEM item = InsertItem(parent, rules_.AddRule(*parentNode), kRuleImage);
  TreeView_Expand(TreeView1, item, TVE_EXPAND);
  TreeView_Expand(TreeView1, parent, TVE_EXPAND);
  return item;
}

void TForm1::FormCreate() { fileNames_ = std::make_unique<std::vector<std::string>>(); }

void TForm1::FormShow() {
  SendMessageA(ComboBox1, CB_SETCURSEL, 0, 0);
  ShowParamEditors(kNoRule);
  UpdateControls();
  InsertItem(TVI_ROOT, rules_.Root(), kRootImage);
}

void TForm1::FormClose() { fileNames_.reset(); }

void TForm1::WhileBusy(const std::function<void()>& handler) {
  ++busy_;
  try {
    handler();
  } catch (...) {
    --busy_;
    // What the close cut short is not reported: the user asked for the window to go.
    if (busy_ > 0 || !closeRequested_) throw;
    Close();
    return;
  }
  --busy_;
  if (busy_ == 0 && closeRequested_) Close();
}

// Once: the controls' notifications while the window is destroyed come back through WhileBusy.
void TForm1::Close() {
  if (closing_) return;
  closing_ = true;
  FormClose();
  if (Handle()) DestroyWindow(Handle());
}

// Ending the dialog lets the close take effect at once, as the user (or the system ending the
// program) expects; the handler that waited in it then sees the request and stops. Posted rather
// than done here: a request taken in just before a box is created still ends that box, since
// the box's own loop delivers this message.
void TForm1::RequestClose() {
  closeRequested_ = true;
  PostMessageA(Handle(), kEndModalWindows, 0, 0);
}

bool TForm1::TakeCloseRequests() {
  MSG message;
  while (Handle() && PeekMessageA(&message, Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) closeRequested_ = true;
  return closeRequested_;
}

void TForm1::EndModalWindows() {
  if (busy_ == 0) return;
  EnumThreadWindows(GetCurrentThreadId(), EndModalWindow, reinterpret_cast<LPARAM>(Handle()));
}

void TForm1::Button1Click() {
  std::string fileName;
  if (dialogs_.OpenFile(WindowText(Edit1), fileName)) SetWindowTextIfChanged(Edit1, fileName);
}

void TForm1::Button2Click() {
  std::string folder;
  if (!dialogs_.ChooseFolder(folder)) return;
  // A folder that cannot be made is said at once, and the old folder stays, rather than a prompt
  // for every name of the next run.
  TWin32FolderSystem folders;
  if (!ForceDirectories(folder, folders)) throw std::runtime_error(kCannotCreateFolder);
  SetWindowTextIfChanged(Edit2, folder);
}

bool TForm1::Join() const { return SendMessageA(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TForm1::Button3Click() {
  TRunServices run(*this);
  TCopyServices services = run.Services();
  RunCopy(rules_, Join(), WindowText(Edit1), WindowText(Edit2), *fileNames_, services);
}

void TForm1::Button4Click() {
  TRunServices run(*this);
  if (PrepareFileNames(rules_, Join(), WindowText(Edit1), *fileNames_, run, [&run] { run.ShowAlive(); }) &&
      !TakeCloseRequests()) {
    dialogs_.ShowPreview(*fileNames_);
  }
}

void TForm1::Edit1Change() { UpdateControls(); }
void TForm1::Edit2Change() { UpdateControls(); }

void TForm1::UpdateControls() {
  const auto count = static_cast<int>(TreeView_GetCount(TreeView1));
  if (count < 2) {
    SetParamsEnabled(false);
    EnableWindow(ComboBox1, FALSE);
  } else {
    SetParamsEnabled(true);
    // Never disables the list: at index 0 it keeps the state the selection gave it.
    int index = -1;
    if (HTREEITEM item = TreeView_GetSelection(TreeView1)) {
      index = 0;
      while ((item = TreeView_GetPrevSibling(TreeView1, item))) ++index;
    }
    if (index != 0) EnableWindow(ComboBox1, TRUE);
  }
  const bool ready = !WindowText(Edit1).empty() && !WindowText(Edit2).empty() && count > 1;
  EnableWindow(Button3, ready);
  EnableWindow(Button4, ready);
}

void TForm1::SetParamsEnabled(bool enabled) {
  for (HWND editor : {EditALFrom, EditALTo, EditFixString, Memo1, SpinEditNumFrom, SpinEditNumTo}) {
    EnableWindow(editor, enabled);
  }
}

void TForm1::ShowParamEditors(int kind) {
  for (HWND editor : {SpinEditNumFrom, SpinEditNumTo, EditALFrom, EditALTo, EditFixString, Memo1, Label3}) {
    ShowWindow(editor, SW_HIDE);
  }
  std::vector<HWND> shown;
  switch (kind) {
    case ckNumber: shown = {SpinEditNumFrom, SpinEditNumTo, Label3}; break;
    case ckAlphabet: shown = {EditALFrom, EditALTo, Label3}; break;
    case ckFixString: shown = {EditFixString}; break;
    case ckAnyString: shown = {Memo1}; break;
    default: break;
  }
  for (HWND editor : shown) ShowWindow(editor, SW_SHOW);
}

TRuleNode* TForm1::NodeOf(HTREEITEM item) const {
  if (!item) return nullptr;
  TVITEMA data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  return TreeView_GetItem(TreeView1, &data) ? reinterpret_cast<TRuleNode*>(data.lParam) : nullptr;
}

TCopyInfo* TForm1::SelectedRecord() const {
  const TRuleNode* node = NodeOf(TreeView_GetSelection(TreeView1));
  return node ? node->Data() : nullptr;
}

void TForm1::TreeView1Change(HTREEITEM node) {
  const TRuleNode* rule = NodeOf(node);
  if (!rule) return;  // the selection became empty: nothing to show
  loading_ = true;
  if (TCopyInfo* info = rule->Data()) {
    EnableWindow(ComboBox1, TRUE);
    ShowCopyInfo(*info);
    if (info->Kind < kCopyKindCount) SendMessageA(ComboBox1, CB_SETCURSEL, info->Kind, 0);
    UpdateControls();
  } else {
    EnableWindow(ComboBox1, FALSE);
    ShowParamEditors(kNoRule);
  }
  loading_ = false;
}

void TForm1::ShowCopyInfo(const TCopyInfo& info) {
  if (info.Kind < kCopyKindCount) ShowParamEditors(info.Kind);
  spinFrom_->SetValue(info.NumFrom);
  spinTo_->SetValue(info.NumTo);
  SetWindowTextIfChanged(EditALFrom, info.ALFrom);
  SetWindowTextIfChanged(EditALTo, info.ALTo);
  SetWindowTextIfChanged(EditFixString, info.FixString);
  SetWindowTextIfChanged(Memo1, JoinLines(info.AnyStrings));
}

void TForm1::StoreCopyInfo(TCopyInfo& info) {
  // Every parameter at once, whichever editor changed; the numbers as read, not clamped.
  info.NumFrom = spinFrom_->Value();
  info.NumTo = spinTo_->Value();
  info.ALFrom = WindowText(EditALFrom);
  info.ALTo = WindowText(EditALTo);
  info.FixString = WindowText(EditFixString);
  info.AnyStrings = SplitLines(WindowText(Memo1));
}

void TForm1::ComboBox1Click() {
  const HTREEITEM item = TreeView_GetSelection(TreeView1);
  TRuleNode* node = NodeOf(item);
  if (!node || !node->Data()) return;
  const auto kind = static_cast<int>(SendMessageA(ComboBox1, CB_GETCURSEL, 0, 0));
  if (kind < 0 || kind >= kCopyKindCount) return;
  LeaveEditors();
  node->Data()->Kind = static_cast<TCopyKind>(kind);
  ShowParamEditors(kind);
  TVITEMA data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = const_cast<char*>(node->Text().c_str());
  TreeView_SetItem(TreeView1, &data);
}

void TForm1::SpinEditNumChange(HWND field) {
  if (loading_ || WindowText(field).empty()) return;
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TForm1::SpinEditNumExit() {
  if (WindowText(SpinEditNumFrom).empty()) spinFrom_->SetValue(0);
}

void TForm1::EditALChange(HWND field) {
  if (loading_) return;
  if (AlphabetIndex(WindowText(field)) < 0) {
    // Not one of the letters: the field empties itself and the record keeps its letter.
    SetWindowTextIfChanged(field, "");
    return;
  }
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TForm1::EditFixStringChange() {
  if (loading_) return;
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TForm1::Memo1Change() {
  if (loading_) return;
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TForm1::N2Click() {
  HTREEITEM parent = TreeView_GetSelection(TreeView1);
  if (!parent) parent = TreeView_GetFirstVisible(TreeView1);
  if (parent) AddRuleNode(parent);
}

void TForm1::Delete1Click() {
  const HTREEITEM item = TreeView_GetSelection(TreeView1);
  TRuleNode* node = NodeOf(item);
  if (!node) return;
  if (node->Text() == TRuleTree::kRootText) {
    dialogs_.ShowMessage(kRootNotDeletable);
    return;
  }
  LeaveEditors();
  // The view first: a selection it moves then lands on a node that still exists. Deleting the
  // subtree from the rule tree frees every record in it.
  TreeView_DeleteItem(TreeView1, item);
  rules_.Delete(*node);
}

void TForm1::ButtonEx1Click() {
  // The button's bottom-left corner, in the header panel's coordinates, on the screen.
  RECT button;
  GetWindowRect(ButtonEx1, &button);
  MapWindowPoints(HWND_DESKTOP, Panel1->Handle(), reinterpret_cast<POINT*>(&button), 2);
  POINT corner{button.left, button.bottom};
  ClientToScreen(Panel1->Handle(), &corner);
  OpenRuleMenu(corner);
}

void TForm1::OpenRuleMenu(POINT screen) {
  // The tree's hint would stand over the menu opened below the pointer.
  SendMessageA(treeHint_, TTM_POP, 0, 0);
  TrackPopupMenu(popupMenu_.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(),
                 nullptr);
}

// From the keyboard the position is (-1, -1): the menu opens below the selected rule's label, or
// at the tree's top-left corner when nothing is selected.
void TForm1::TreeView1ContextPopup(HWND control, LPARAM position) {
  if (control != TreeView1) return;
  if (position != -1) {
    OpenRuleMenu(POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)});
    return;
  }
  POINT point{0, 0};
  if (const HTREEITEM item = TreeView_GetSelection(TreeView1)) {
    TreeView_EnsureVisible(TreeView1, item);
    RECT label;
    if (TreeView_GetItemRect(TreeView1, item, &label, TRUE)) point = POINT{label.left, label.bottom};
  }
  ClientToScreen(TreeView1, &point);
  OpenRuleMenu(point);
}

// Moving the focus to the tree runs the editor's real focus-loss path at once: a number field
// clamps its value and the change is stored in the record of the rule still selected.
void TForm1::LeaveEditors() {
  const HWND focus = GetFocus();
  if (focus && IsChild(Panel8->Handle(), focus)) SetFocus(TreeView1);
}

// Wine's tree view keeps the system keys from the default window procedure: Alt+F4 would not
// close the window and Shift+F10 would not ask for the context menu while the tree has the focus.
// They go there directly, as Windows' tree lets them, so the menu opens once on either system.
LRESULT TForm1::TreeKeys(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR) {
    return DefWindowProcA(tree, message, wParam, lParam);
  }
  return DefSubclassProc(tree, message, wParam, lParam);
}

void TForm1::OnCommand(HWND control, int code) {
  if (code == BN_CLICKED) {
    if (control == Button1) Button1Click();
    else if (control == Button2) Button2Click();
    else if (control == Button3) Button3Click();
    else if (control == Button4) Button4Click();
    else if (control == ButtonEx1) ButtonEx1Click();
  } else if (code == EN_CHANGE) {
    if (control == Edit1) Edit1Change();
    else if (control == Edit2) Edit2Change();
    else if (control == SpinEditNumFrom || control == SpinEditNumTo) SpinEditNumChange(control);
    else if (control == EditALFrom || control == EditALTo) EditALChange(control);
    else if (control == EditFixString) EditFixStringChange();
    else if (control == Memo1) Memo1Change();
  } else if (code == EN_KILLFOCUS) {
    if (control == SpinEditNumFrom) SpinEditNumExit();
  } else if (code == CBN_SELCHANGE) {
    if (control == ComboBox1) ComboBox1Click();
  }
}

void TForm1::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != TreeView1) return;
  switch (header.code) {
    case TVN_SELCHANGINGA:
      LeaveEditors();
      break;
    case TVN_SELCHANGEDA:
      TreeView1Change(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem);
      break;
    case NM_RCLICK: {
      // At the pointer, without moving the selection. The tree marks the clicked row as a drop
      // target, which looks selected: the commands act on the selected rule, and it is the one
      // that must look so.
      TreeView_SelectDropTarget(TreeView1, nullptr);
      const DWORD position = GetMessagePos();
      OpenRuleMenu(POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))});
      break;
    }
  }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result; keyboard_.HandleMessage(Handle(), message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      WhileBusy([&] {
        if (lParam) {
          OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        } else if (LOWORD(wParam) == kN2) {
          N2Click();
        } else if (LOWORD(wParam) == kDelete1) {
          Delete1Click();
        }
      });
      return 0;
    case WM_NOTIFY:
      // The right-click opens the rule menu, whose loop can bring a close request too.
      WhileBusy([&] { OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); });
      // A handled right-click must not go on to open the tree's own context menu.
      return reinterpret_cast<const NMHDR*>(lParam)->code == NM_RCLICK ? TRUE : 0;
    case WM_CONTEXTMENU:
      WhileBusy([&] { TreeView1ContextPopup(reinterpret_cast<HWND>(wParam), lParam); });
      return 0;
    case WM_CLOSE:
      if (busy_ > 0) {
        RequestClose();
      } else {
        Close();
      }
      return 0;
    case kEndModalWindows:
      EndModalWindows();
      return 0;
    case WM_DESTROY:
      if (QuitOnDestroy) PostQuitMessage(0);
      return 0;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

void TForm1::ReportError(const std::string& text) { dialogs_.ShowError(text); }
