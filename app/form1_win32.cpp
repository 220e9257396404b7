#include "app/form1_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "app/app_title.h"
#include "app/folder_levels.h"
#include "app/folder_system_win32.h"
#include "copy/file_copier_win32.h"

namespace {

const char kCaption[] = "Tandelo(仮) Ver1.10";
const char kCannotCreateFolder[] = "ディレクトリを作成できません";
constexpr int kNoRule = 99;

}  // namespace

HFONT CreateProgramFont() {
  return CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "ＭＳ Ｐゴシック");
}

void SetControlText(HWND control, const std::string& text) {
  if (ControlText(control) != text) SetWindowTextA(control, text.c_str());
}

std::string ControlText(HWND control) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

TForm1::TForm1(IDialogs& dialogs) : dialogs_(dialogs), font_(CreateProgramFont()) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  // The outer size that gives the designed client area, centred on the desktop's work area.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  Create("TandeloForm1", exStyle, kCaption, style, work.left + (work.right - work.left - width) / 2,
         work.top + (work.bottom - work.top - height) / 2, width, height, nullptr);
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
                         WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                             TVS_FULLROWSELECT | TVS_INFOTIP,
                         0, 17, 224, 211, WS_EX_CLIENTEDGE);
  TreeView_SetIndent(TreeView1, 19);
  images_ = CreateRuleImageList(GetModuleHandleA(nullptr));
  TreeView_SetImageList(TreeView1, images_.Get(), TVSIL_NORMAL);
  Panel1 = std::make_unique<TPanel>(Panel5->Handle(), 0, 0, 224, 17, pbLoweredOuter, "複製情報一覧");
  ButtonEx1 = AddControl(Panel1->Handle(), "BUTTON", "▼", BS_PUSHBUTTON, 157, 1, 25, 16);

  Panel6 = std::make_unique<TPanel>(Panel4->Handle(), 225, 1, 255, 228, pbNone);
  Panel7 = std::make_unique<TPanel>(Panel6->Handle(), 0, 0, 255, 29, pbLoweredInner);
  Label4 = AddControl(Panel7->Handle(), "STATIC", "複製情報：", SS_LEFT, 8, 8, 54, 12);
  ComboBox1 = AddControl(Panel7->Handle(), "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 72, 5, 145,
                         200);
  for (int kind = 0; kind < kCopyKindCount; ++kind) {
    SendMessageA(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(KindName(TCopyKind(kind)).c_str()));
  }
  SendMessageA(ComboBox1, CB_SETITEMHEIGHT, 0, 12);

  Panel8 = std::make_unique<TPanel>(Panel6->Handle(), 0, 29, 255, 199, pbLoweredOuter);
  const HWND p8 = Panel8->Handle();
  EditALFrom = AddControl(p8, "EDIT", "", edit, 24, 16, 25, 20, WS_EX_CLIENTEDGE);
  EditALTo = AddControl(p8, "EDIT", "", edit, 184, 16, 25, 20, WS_EX_CLIENTEDGE);
  EditFixString = AddControl(p8, "EDIT", "", edit, 24, 16, 185, 20, WS_EX_CLIENTEDGE);
  Memo1 = AddControl(p8, "EDIT", "", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, 24, 16, 193, 169, WS_EX_CLIENTEDGE);
  SpinEditNumFrom = AddControl(p8, "EDIT", "0", edit, 24, 16, 57, 21, WS_EX_CLIENTEDGE);
  SpinEditNumTo = AddControl(p8, "EDIT", "0", edit, 152, 16, 57, 21, WS_EX_CLIENTEDGE);
  Label3 = AddControl(p8, "STATIC", "～", SS_LEFT, 110, 20, 12, 12);
  SendMessageA(EditALFrom, EM_LIMITTEXT, 1, 0);
  SendMessageA(EditALTo, EM_LIMITTEXT, 1, 0);
  SendMessageA(EditFixString, EM_LIMITTEXT, 30, 0);
  SendMessageA(SpinEditNumFrom, EM_LIMITTEXT, 3, 0);
  SendMessageA(SpinEditNumTo, EM_LIMITTEXT, 3, 0);

  Panel3 = std::make_unique<TPanel>(form, 0, 295, 481, 41, pbRaisedOuter);
  const HWND p3 = Panel3->Handle();
  Label5 = AddControl(p3, "STATIC", "注意：固定文字列に関しては、旧ﾊﾞｰｼﾞｮﾝと互換性がありません", SS_LEFT, 2, 24, 318, 12);
  Button4 = AddControl(p3, "BUTTON", "テスト表示", button, 324, 8, 75, 25);
  Button3 = AddControl(p3, "BUTTON", "実行", button, 403, 8, 75, 25);
  CheckBox1 = AddControl(p3, "BUTTON", "親情報で作成した名称をつなげる（旧Verﾕｰｻﾞｰ対応用）",
                         WS_TABSTOP | BS_AUTOCHECKBOX, 3, 3, 306, 17);

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

HTREEITEM TForm1::AddRuleNode(HTREEITEM parent) {
  TVITEMA parentItem{};
  parentItem.mask = TVIF_PARAM;
  parentItem.hItem = parent;
  if (!TreeView_GetItem(TreeView1, &parentItem)) return nullptr;
  TRuleNode& node = rules_.AddRule(*reinterpret_cast<TRuleNode*>(parentItem.lParam));
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(node.Text().c_str());
  insert.item.iImage = insert.item.iSelectedImage = 1;
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  const HTREEITEM item = TreeView_InsertItem(TreeView1, &insert);
  TreeView_Expand(TreeView1, item, TVE_EXPAND);
  TreeView_Expand(TreeView1, parent, TVE_EXPAND);
  return item;
}

void TForm1::FormCreate() { fileNames_ = std::make_unique<std::vector<std::string>>(); }

void TForm1::FormShow() {
  SendMessageA(ComboBox1, CB_SETCURSEL, 0, 0);
  ShowParamEditors(kNoRule);
  UpdateControls();
  TVINSERTSTRUCTA insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(TRuleTree::kRootText.c_str());
  insert.item.iImage = insert.item.iSelectedImage = 0;
  insert.item.lParam = reinterpret_cast<LPARAM>(&rules_.Root());
  TreeView_InsertItem(TreeView1, &insert);
}

void TForm1::FormClose() { fileNames_.reset(); }

void TForm1::Button1Click() {
  std::string fileName;
  if (dialogs_.OpenFile(ControlText(Edit1), fileName)) SetControlText(Edit1, fileName);
}

void TForm1::Button2Click() {
  std::string folder;
  if (!dialogs_.ChooseFolder(folder)) return;
  // A folder that cannot be made is said at once, and the old folder stays, rather than a prompt
  // for every name of the next run.
  TWin32FolderSystem folders;
  if (!ForceDirectories(folder, folders)) throw std::runtime_error(kCannotCreateFolder);
  SetControlText(Edit2, folder);
}

bool TForm1::PrepareNames() {
  const bool join = SendMessageA(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return PrepareFileNames(rules_, join, ControlText(Edit1), *fileNames_, dialogs_);
}

void TForm1::Button3Click() {
  const bool join = SendMessageA(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED;
  TWin32FileCopier copier;
  TCopyServices services{copier, dialogs_, dialogs_};
  RunCopy(rules_, join, ControlText(Edit1), ControlText(Edit2), *fileNames_, services);
}

void TForm1::Button4Click() {
  if (PrepareNames()) dialogs_.ShowPreview(*fileNames_);
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
  const bool ready = !ControlText(Edit1).empty() && !ControlText(Edit2).empty() && count > 1;
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

void TForm1::TreeView1Change(HTREEITEM node) {
  loading_ = true;
  TVITEMA item{};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  const TRuleNode* rule = node && TreeView_GetItem(TreeView1, &item) ? reinterpret_cast<TRuleNode*>(item.lParam)
                                                                     : nullptr;
  if (rule && rule->Data()) {
    EnableWindow(ComboBox1, TRUE);
    ShowCopyInfo(*rule->Data());
    if (rule->Data()->Kind < kCopyKindCount) SendMessageA(ComboBox1, CB_SETCURSEL, rule->Data()->Kind, 0);
    UpdateControls();
  } else {
    EnableWindow(ComboBox1, FALSE);
    ShowParamEditors(kNoRule);
  }
  loading_ = false;
}

void TForm1::ShowCopyInfo(const TCopyInfo& info) {
  if (info.Kind < kCopyKindCount) ShowParamEditors(info.Kind);
  const auto clamped = [](std::int32_t value) { return std::to_string(std::clamp(value, 0, 999)); };
  SetControlText(SpinEditNumFrom, clamped(info.NumFrom));
  SetControlText(SpinEditNumTo, clamped(info.NumTo));
  SetControlText(EditALFrom, info.ALFrom);
  SetControlText(EditALTo, info.ALTo);
  SetControlText(EditFixString, info.FixString);
  std::string lines;
  for (const std::string& line : info.AnyStrings) lines.append(line).append("\r\n");
  SetControlText(Memo1, lines);
}

void TForm1::OnCommand(HWND control, int code) {
  if (code == BN_CLICKED) {
    if (control == Button1) Button1Click();
    else if (control == Button2) Button2Click();
    else if (control == Button3) Button3Click();
    else if (control == Button4) Button4Click();
  } else if (code == EN_CHANGE) {
    if (control == Edit1) Edit1Change();
    else if (control == Edit2) Edit2Change();
  }
}

void TForm1::OnNotify(const NMHDR& header) {
  if (header.hwndFrom == TreeView1 && header.code == TVN_SELCHANGEDA) {
    TreeView1Change(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem);
  }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam) OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_CLOSE:
      FormClose();
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      if (QuitOnDestroy) PostQuitMessage(0);
      return 0;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

void TForm1::ReportError(const std::string& text) { dialogs_.ShowError(text); }
