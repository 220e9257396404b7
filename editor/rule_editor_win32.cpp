#include "editor/rule_editor_win32.h"

#include <imm.h>
#include <windowsx.h>

#include <utility>
#include <vector>

#include "naming/text_lines.h"
#include "win32/window.h"

namespace {

const char kRootNotDeletable[] = "全複製情報は削除できません";
const char kTreeHint[] = "右クリックで、「追加」、「削除」を選択";
constexpr int kNoRule = 99;
constexpr int kComboBoxHeight = 20;

}  // namespace

TRuleEditor::TRuleEditor(HWND parent, int x, int y, IRuleEditorHost& host, HFONT font, TImageList images)
    : TPanel(parent, x, y, 481, 230, pbRaisedOuter), host_(host), images_(std::move(images)) {
  CreateControls(font);
}

// The window goes while the members its messages reach still exist.
TRuleEditor::~TRuleEditor() { Destroy(); }

// Controls are made parent by parent in their tab order: the creation order is the keyboard order.
void TRuleEditor::CreateControls(HFONT font) {
  const HWND root = GetAncestor(Handle(), GA_ROOT);
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  Panel5 = std::make_unique<TPanel>(Handle(), 1, 1, 224, 228, pbNone);
  TreeView1 = CreateControl(font, Panel5->Handle(), WC_TREEVIEWA, "",
                            // Whole-row selection: the tree control ignores it when lines are drawn.
                            WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                                TVS_FULLROWSELECT | TVS_NOTOOLTIPS,
                            0, 17, 224, 211, WS_EX_CLIENTEDGE);
  TreeView_SetIndent(TreeView1, 19);
  SubclassControl(TreeView1, TreeKeys);
  TreeView_SetImageList(TreeView1, images_.Get(), TVSIL_NORMAL);
  Panel1 = std::make_unique<TPanel>(Panel5->Handle(), 0, 0, 224, 17, pbLoweredOuter, "複製情報一覧");
  buttonEx1_ = std::make_unique<TButtonEx>(Panel1->Handle(), "▼", 157, 1, 25, 16, 0);
  buttonEx1_->SetButtonStyle(TButtonStyle::UltraFlat);
  ButtonEx1 = buttonEx1_->Handle();
  SendMessageA(ButtonEx1, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  Panel6 = std::make_unique<TPanel>(Handle(), 225, 1, 255, 228, pbNone);
  Panel7 = std::make_unique<TPanel>(Panel6->Handle(), 0, 0, 255, 29, pbLoweredInner);
  Label4 = CreateControl(font, Panel7->Handle(), "STATIC", "複製情報：", SS_LEFT, 8, 8, 54, 12);
  ComboBox1 = CreateControl(font, Panel7->Handle(), "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 72,
                            5, 145, 200);
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
  EditALFrom = CreateControl(font, p8, "EDIT", "", edit, 24, 16, 25, 20, WS_EX_CLIENTEDGE);
  EditALTo = CreateControl(font, p8, "EDIT", "", edit, 184, 16, 25, 20, WS_EX_CLIENTEDGE);
  EditFixString = CreateControl(font, p8, "EDIT", "", edit, 24, 16, 185, 20, WS_EX_CLIENTEDGE);
  // Words wrap at the memo's width; no scroll bars, but typing past the bottom still scrolls.
  Memo1 = CreateControl(font, p8, "EDIT", "", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 24, 16,
                        193, 169, WS_EX_CLIENTEDGE);
  spinFrom_ = std::make_unique<TSpinEdit>(p8, 24, 16, 57, 21);
  spinTo_ = std::make_unique<TSpinEdit>(p8, 152, 16, 57, 21);
  SpinEditNumFrom = spinFrom_->Handle();
  SpinEditNumTo = spinTo_->Handle();
  for (HWND spin : {SpinEditNumFrom, SpinEditNumTo}) {
    SendMessageA(spin, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  Label3 = CreateControl(font, p8, "STATIC", "～", SS_LEFT, 110, 20, 12, 12);
  SendMessageA(EditALFrom, EM_LIMITTEXT, 1, 0);
  SendMessageA(EditALTo, EM_LIMITTEXT, 1, 0);
  // A letter is a plain letter: an input method in kana mode would turn "a" into あ, which the
  // field then empties without a word.
  ImmAssociateContext(EditALFrom, nullptr);
  ImmAssociateContext(EditALTo, nullptr);
  SendMessageA(EditFixString, EM_LIMITTEXT, 30, 0);

  popupMenu_.Reset(CreatePopupMenu());
  AppendMenuA(popupMenu_.Get(), MF_STRING, kN2, "追加");
  AppendMenuA(popupMenu_.Get(), MF_STRING, kDelete1, "削除");

  treeHint_ = CreateControl(font, root, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, WS_EX_TOPMOST);
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = root;
  tool.uId = reinterpret_cast<UINT_PTR>(TreeView1);
  tool.lpszText = const_cast<char*>(kTreeHint);
  SendMessageA(treeHint_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));

  for (TPanel* panel : {static_cast<TPanel*>(this), Panel1.get(), Panel5.get(), Panel6.get(), Panel7.get(),
                        Panel8.get()}) {
    SendMessageA(panel->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

bool TRuleEditor::HasRules() const { return TreeView_GetCount(TreeView1) > 1; }

void TRuleEditor::Start() {
  SendMessageA(ComboBox1, CB_SETCURSEL, 0, 0);
  ShowParamEditors(kNoRule);
  UpdateControls();
  InsertItem(TVI_ROOT, rules_.Root(), kRootImage);
}

void TRuleEditor::UpdateControls() {
  if (!HasRules()) {
    SetParamsEnabled(false);
    EnableWindow(ComboBox1, FALSE);
    return;
  }
  SetParamsEnabled(true);
  // Never disables the list: at index 0 it keeps the state the selection gave it.
  int index = -1;
  if (HTREEITEM item = TreeView_GetSelection(TreeView1)) {
    index = 0;
    while ((item = TreeView_GetPrevSibling(TreeView1, item))) ++index;
  }
  if (index != 0) EnableWindow(ComboBox1, TRUE);
}

HTREEITEM TRuleEditor::InsertItem(HTREEITEM parent, TRuleNode& node, int image) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(node.Text().c_str());
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  return TreeView_InsertItem(TreeView1, &insert);
}

HTREEITEM TRuleEditor::AddRuleNode(HTREEITEM parent) {
  TRuleNode* parentNode = NodeOf(parent);
  if (!parentNode) return nullptr;
  const HTREEITEM item = InsertItem(parent, rules_.AddRule(*parentNode), kRuleImage);
  TreeView_Expand(TreeView1, item, TVE_EXPAND);
  TreeView_Expand(TreeView1, parent, TVE_EXPAND);
  return item;
}

void TRuleEditor::SetParamsEnabled(bool enabled) {
  for (HWND editor : {EditALFrom, EditALTo, EditFixString, Memo1, SpinEditNumFrom, SpinEditNumTo}) {
    EnableWindow(editor, enabled);
  }
}

void TRuleEditor::ShowParamEditors(int kind) {
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

TRuleNode* TRuleEditor::NodeOf(HTREEITEM item) const {
  if (!item) return nullptr;
  TVITEMA data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  return TreeView_GetItem(TreeView1, &data) ? reinterpret_cast<TRuleNode*>(data.lParam) : nullptr;
}

TCopyInfo* TRuleEditor::SelectedRecord() const {
  const TRuleNode* node = NodeOf(TreeView_GetSelection(TreeView1));
  return node ? node->Data() : nullptr;
}

void TRuleEditor::TreeView1Change(HTREEITEM node) {
  const TRuleNode* rule = NodeOf(node);
  if (!rule) return;  // the selection became empty: nothing to show
  loading_ = true;
  if (TCopyInfo* info = rule->Data()) {
    EnableWindow(ComboBox1, TRUE);
    ShowCopyInfo(*info);
    if (info->Kind < kCopyKindCount) SendMessageA(ComboBox1, CB_SETCURSEL, info->Kind, 0);
    host_.RulesChanged();
  } else {
    EnableWindow(ComboBox1, FALSE);
    ShowParamEditors(kNoRule);
  }
  loading_ = false;
}

void TRuleEditor::ShowCopyInfo(const TCopyInfo& info) {
  if (info.Kind < kCopyKindCount) ShowParamEditors(info.Kind);
  spinFrom_->SetValue(info.NumFrom);
  spinTo_->SetValue(info.NumTo);
  SetWindowTextIfChanged(EditALFrom, info.ALFrom);
  SetWindowTextIfChanged(EditALTo, info.ALTo);
  SetWindowTextIfChanged(EditFixString, info.FixString);
  SetWindowTextIfChanged(Memo1, JoinLines(info.AnyStrings, TLineBreaks::AfterEach));
}

void TRuleEditor::StoreCopyInfo(TCopyInfo& info) {
  // Every parameter at once, whichever editor changed; the numbers as read, not clamped.
  info.NumFrom = spinFrom_->Value();
  info.NumTo = spinTo_->Value();
  info.ALFrom = WindowText(EditALFrom);
  info.ALTo = WindowText(EditALTo);
  info.FixString = WindowText(EditFixString);
  info.AnyStrings = SplitLines(WindowText(Memo1));
}

void TRuleEditor::ComboBox1Click() {
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

void TRuleEditor::SpinEditNumChange(HWND field) {
  if (loading_ || WindowText(field).empty()) return;
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TRuleEditor::SpinEditNumExit() {
  if (WindowText(SpinEditNumFrom).empty()) spinFrom_->SetValue(0);
}

void TRuleEditor::EditALChange(HWND field) {
  if (loading_) return;
  if (AlphabetIndex(WindowText(field)) < 0) {
    // Not one of the letters: the field empties itself and the record keeps its letter.
    SetWindowTextIfChanged(field, "");
    return;
  }
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TRuleEditor::EditFixStringChange() {
  if (loading_) return;
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TRuleEditor::Memo1Change() {
  if (loading_) return;
  if (TCopyInfo* info = SelectedRecord()) StoreCopyInfo(*info);
}

void TRuleEditor::N2Click() {
  HTREEITEM parent = TreeView_GetSelection(TreeView1);
  if (!parent) parent = TreeView_GetFirstVisible(TreeView1);
  if (parent) AddRuleNode(parent);
}

void TRuleEditor::Delete1Click() {
  const HTREEITEM item = TreeView_GetSelection(TreeView1);
  TRuleNode* node = NodeOf(item);
  if (!node) return;
  if (node->Text() == TRuleTree::kRootText) {
    host_.ShowMessage(kRootNotDeletable);
    return;
  }
  LeaveEditors();
  // The view first: a selection it moves then lands on a node that still exists. Deleting the
  // subtree from the rule tree frees every record in it.
  TreeView_DeleteItem(TreeView1, item);
  rules_.Delete(*node);
}

void TRuleEditor::ButtonEx1Click() {
  // The button's bottom-left corner, in the header panel's coordinates, on the screen.
  RECT button;
  GetWindowRect(ButtonEx1, &button);
  MapWindowPoints(HWND_DESKTOP, Panel1->Handle(), reinterpret_cast<POINT*>(&button), 2);
  POINT corner{button.left, button.bottom};
  ClientToScreen(Panel1->Handle(), &corner);
  OpenRuleMenu(corner);
}

void TRuleEditor::OpenRuleMenu(POINT screen) {
  // The tree's hint would stand over the menu opened below the pointer.
  SendMessageA(treeHint_, TTM_POP, 0, 0);
  TrackPopupMenu(popupMenu_.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(),
                 nullptr);
}

// From the keyboard the position is (-1, -1): the menu opens below the selected rule's label, or
// at the tree's top-left corner when nothing is selected.
void TRuleEditor::TreeView1ContextPopup(HWND control, LPARAM position) {
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
void TRuleEditor::LeaveEditors() {
  const HWND focus = GetFocus();
  if (focus && IsChild(Panel8->Handle(), focus)) SetFocus(TreeView1);
}

// Wine's tree view keeps the system keys from the default window procedure: Alt+F4 would not
// close the window and Shift+F10 would not ask for the context menu while the tree has the focus.
// They go there directly, as Windows' tree lets them, so the menu opens once on either system.
LRESULT TRuleEditor::TreeKeys(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR) {
    return DefWindowProcA(tree, message, wParam, lParam);
  }
  return DefSubclassProc(tree, message, wParam, lParam);
}

bool TRuleEditor::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != TreeView1) return false;
  result = 0;
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
      // A handled right-click must not go on to open the tree's own context menu.
      result = TRUE;
      break;
    }
  }
  return true;
}

bool TRuleEditor::OnCommand(HWND control, int code) {
  if (code == BN_CLICKED && control == ButtonEx1) {
    ButtonEx1Click();
  } else if (code == EN_CHANGE && (control == SpinEditNumFrom || control == SpinEditNumTo)) {
    SpinEditNumChange(control);
  } else if (code == EN_CHANGE && (control == EditALFrom || control == EditALTo)) {
    EditALChange(control);
  } else if (code == EN_CHANGE && control == EditFixString) {
    EditFixStringChange();
  } else if (code == EN_CHANGE && control == Memo1) {
    Memo1Change();
  } else if (code == EN_KILLFOCUS && control == SpinEditNumFrom) {
    SpinEditNumExit();
  } else if (code == CBN_SELCHANGE && control == ComboBox1) {
    ComboBox1Click();
  } else {
    return IsChild(Handle(), control) != FALSE;  // the editor's other controls say nothing it needs
  }
  return true;
}

LRESULT TRuleEditor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      bool handled = true;
      host_.WhileBusy([&] {
        if (lParam) {
          handled = OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        } else if (LOWORD(wParam) == kN2) {
          N2Click();
        } else if (LOWORD(wParam) == kDelete1) {
          Delete1Click();
        } else {
          handled = false;
        }
      });
      if (handled) return 0;
      break;
    }
    case WM_NOTIFY: {
      // The right-click opens the rule menu, whose loop can bring a close request too.
      LRESULT result = 0;
      bool handled = false;
      host_.WhileBusy([&] { handled = OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result); });
      if (handled) return result;
      break;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != TreeView1) break;
      host_.WhileBusy([&] { TreeView1ContextPopup(reinterpret_cast<HWND>(wParam), lParam); });
      return 0;
  }
  return TPanel::HandleMessage(message, wParam, lParam);
}

void TRuleEditor::ReportError(const std::string& text) { host_.ShowError(text); }
