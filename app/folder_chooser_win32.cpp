#include "app/folder_chooser_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "app/app_title.h"
#include "app/folder_levels.h"
#include "app/folder_system_win32.h"
#include "app/program_font_win32.h"
#include "naming/mbcs.h"
#include "win32/dialog.h"
#include "win32/gdi.h"

namespace {

constexpr char kCaption[] = "ディレクトリの選択";
constexpr char kCreatePrompt[] = "指定されたディレクトリが存在しません。作成しますか？";
constexpr char kCreateCaption[] = "確認";
constexpr char kMissingFolder[] = "指定されたディレクトリが存在しません。";
constexpr char kNoHelp[] = "この画面のヘルプはありません。";
constexpr char kNoNetworkDialog[] = "ネットワークドライブの接続画面を開けません。";
constexpr int kClientWidth = 424;
constexpr int kClientHeight = 255;
constexpr int kMargin = 8;
constexpr int kColumnWidth = 200;
constexpr int kRightColumn = kClientWidth - kMargin - kColumnWidth;
constexpr int kButtonWidth = 75;
constexpr int kButtonGap = 4;
constexpr int kItemHeight = 16;
constexpr int kIndentStep = 8;
constexpr int kGlyphSize = 16;
constexpr DWORD kDiskResources = 1;            // RESOURCETYPE_DISK
constexpr DWORD kConnectionCancelled = 0xFFFFFFFF;

using TConnectionDialog = DWORD(WINAPI*)(HWND, DWORD);

// A drive that is not ready (an empty card reader) would make the system ask for a disk; the
// chooser reports the failure itself instead.
class TNoDiskPrompts {
 public:
  TNoDiskPrompts() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TNoDiskPrompts() { SetErrorMode(old_); }
  TNoDiskPrompts(const TNoDiskPrompts&) = delete;
  TNoDiskPrompts& operator=(const TNoDiskPrompts&) = delete;

 private:
  UINT old_;
};

std::string CurrentDirectory() {
  std::string path(GetCurrentDirectoryA(0, nullptr), '\0');
  path.resize(GetCurrentDirectoryA(static_cast<DWORD>(path.size()), path.data()));
  return path;
}

// The sub-folders and files of `folder`, each sorted without regard to letter case. Hidden
// entries are left out, as the system's own browsers do by default.
void ReadFolder(const std::string& folder, std::vector<std::string>& folders, std::vector<std::string>& files) {
  WIN32_FIND_DATAA data;
  TFindHandle find(FindFirstFileA(AppendName(folder, "*").c_str(), &data));
  if (find.Get() == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == ".." || (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
    (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(name);
  } while (FindNextFileA(find.Get(), &data));
  const auto byName = [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
}

void DrawShape(HDC dc, std::initializer_list<POINT> points, COLORREF fill, COLORREF outline) {
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, outline));
  TGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
  TSelectObject selectPen(dc, pen.Get());
  TSelectObject selectBrush(dc, brush.Get());
  Polygon(dc, points.begin(), static_cast<int>(points.size()));
}

enum class TGlyph { OpenFolder, ClosedFolder, Drive };

// A 16 x 16 picture with its top left corner at x, y.
void DrawGlyph(HDC dc, int x, int y, TGlyph glyph) {
  const COLORREF folderLine = RGB(128, 96, 0);
  if (glyph == TGlyph::Drive) {
    DrawShape(dc, {{x + 1, y + 5}, {x + 14, y + 5}, {x + 14, y + 11}, {x + 1, y + 11}}, RGB(192, 192, 192), RGB(64, 64, 64));
    DrawShape(dc, {{x + 10, y + 8}, {x + 12, y + 8}, {x + 12, y + 9}, {x + 10, y + 9}}, RGB(0, 160, 0), RGB(0, 160, 0));
    return;
  }
  DrawShape(dc, {{x + 1, y + 3}, {x + 6, y + 3}, {x + 7, y + 4}, {x + 14, y + 4}, {x + 14, y + 13}, {x + 1, y + 13}},
            RGB(240, 200, 80), folderLine);
  // An open folder shows its front flap tipped forward.
  if (glyph == TGlyph::OpenFolder) {
    DrawShape(dc, {{x + 1, y + 13}, {x + 4, y + 7}, {x + 15, y + 7}, {x + 13, y + 13}}, RGB(255, 232, 150), folderLine);
  }
}

// One entry of the folder or drive list: the picture `indent` pixels in, then the text, which
// alone is highlighted when the entry is selected.
void DrawListItem(HDC dc, const RECT& rect, const std::string& text, int indent, TGlyph glyph, UINT state) {
  FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
  const int height = rect.bottom - rect.top;
  const int left = rect.left + 2 + indent;
  DrawGlyph(dc, left, rect.top + (height - kGlyphSize) / 2, glyph);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  RECT textRect{left + kGlyphSize + 2, rect.top, std::min<LONG>(rect.right, left + kGlyphSize + 6 + size.cx), rect.bottom};
  const bool selected = state & ODS_SELECTED;
  {
    const TSaveTextColors saved(dc);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ExtTextOutA(dc, textRect.left + 2, rect.top + (height - size.cy) / 2, ETO_OPAQUE | ETO_CLIPPED, &textRect,
                text.c_str(), static_cast<UINT>(text.size()), nullptr);
  }
  if (state & ODS_FOCUS) DrawFocusRect(dc, &textRect);
}

class TFolderChooser : public TDialog {
 public:
  TFolderChooser(std::string& directory, unsigned options, unsigned helpContext);

  bool Run(HWND owner);

 protected:
  INT_PTR HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct TEntry {
    std::string Path;
    std::string Name;
    int Level;
    bool Open;  // on the way from the root to the folder shown, as opposed to a sub-folder of it
  };

  void OnInitDialog();
  void OnCommand(int id, UINT code);
  void OnMeasureItem(MEASUREITEMSTRUCT& item);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  HBRUSH OnCtlColorListBox(HDC dc, HWND list);

  void CreateControls();
  void FillDrives();
  void MoveTo(const std::string& folder);
  void ShowCurrentFolder();
  void FolderListOpen();
  void DriveListChange();
  void OkClick();
  void NetworkClick();
  void HelpClick();
  int Report(const char* text, UINT flags, const char* caption = kApplicationTitle);

  std::string& directory_;
  const unsigned options_;
  const unsigned helpContext_;
  TGdiObject<HFONT> font_;
  TLibrary network_;
  TConnectionDialog connectionDialog_ = nullptr;
  HWND nameEdit_ = nullptr;
  HWND folderList_ = nullptr;
  HWND fileList_ = nullptr;
  HWND driveList_ = nullptr;
  std::vector<TEntry> entries_;
  int currentEntry_ = -1;  // the entry of the folder shown
};

TFolderChooser::TFolderChooser(std::string& directory, unsigned options, unsigned helpContext)
    : directory_(directory),
      options_(options),
      helpContext_(helpContext),
      font_(CreateProgramFont()),
      network_(LoadLibraryA("mpr.dll")) {
  if (network_.Get()) {
    // Through a plain function pointer, which any function pointer type may be cast from.
    const auto found = reinterpret_cast<void (*)()>(GetProcAddress(network_.Get(), "WNetConnectionDialog"));
    connectionDialog_ = reinterpret_cast<TConnectionDialog>(found);
  }
}

bool TFolderChooser::Run(HWND owner) {
  return ShowModal(owner, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) == IDOK;
}

INT_PTR TFolderChooser::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_MEASUREITEM:
      OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<INT_PTR>(OnCtlColorListBox(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_HELP:
      if (helpContext_) HelpClick();
      return TRUE;
    default:
      return FALSE;
  }
}

void TFolderChooser::OnInitDialog() {
  SetWindowTextA(Handle(), kCaption);
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, GetWindowLongA(Handle(), GWL_STYLE), FALSE, GetWindowLongA(Handle(), GWL_EXSTYLE));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  FillDrives();
  if (!directory_.empty() && TWin32FolderSystem().IsFolder(directory_)) {
    MoveTo(directory_);
  } else {
    ShowCurrentFolder();
  }
  SetFocus(folderList_);
}

// Each label comes just before its control, so its mnemonic moves the focus there.
void TFolderChooser::CreateControls() {
  constexpr DWORD kListStyle = WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
  constexpr int kLabelHeight = 12;
  const HFONT font = font_.Get();
  const HWND dialog = Handle();
  const int left = kMargin;
  const int right = kRightColumn;
  const auto addLabel = [&](const char* text, int x, int y) {
    CreateControl(font, dialog, "STATIC", text, SS_LEFT, x, y, kColumnWidth, kLabelHeight, 0, -1);
  };
  addLabel("ディレクトリ名(&N):", left, 8);
  const DWORD nameStyle = WS_TABSTOP | ES_AUTOHSCROLL | (options_ & sdAllowCreate ? 0 : ES_READONLY);
  nameEdit_ = CreateControl(font, dialog, "EDIT", "", nameStyle, left, 22, kColumnWidth, 20, WS_EX_CLIENTEDGE, fcNameEdit);
  addLabel("ディレクトリ(&D):", left, 50);
  const DWORD folderStyle = kListStyle | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY;
  folderList_ =
      CreateControl(font, dialog, "LISTBOX", "", folderStyle, left, 64, kColumnWidth, 146, WS_EX_CLIENTEDGE, fcFolderList);
  addLabel("ファイル(&F): (*.*)", right, 8);
  fileList_ = CreateControl(font, dialog, "LISTBOX", "", kListStyle | LBS_NOSEL, right, 22, kColumnWidth, 138,
                            WS_EX_CLIENTEDGE, fcFileList);
  addLabel("ドライブ(&R):", right, 172);
  const DWORD driveStyle = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
  driveList_ = CreateControl(font, dialog, "COMBOBOX", "", driveStyle, right, 186, kColumnWidth, 160, 0, fcDriveList);

  constexpr int kButtonTop = 222;
  constexpr int kButtonHeight = 25;
  if (connectionDialog_) {
    CreateControl(font, dialog, "BUTTON", "ネットワーク(&N)...", WS_TABSTOP | BS_PUSHBUTTON, left, kButtonTop, 110,
                  kButtonHeight, 0, fcNetwork);
  }
  // The buttons that are shown line up at the right edge.
  const int buttons = helpContext_ ? 3 : 2;
  int x = kClientWidth - kMargin - buttons * kButtonWidth - (buttons - 1) * kButtonGap;
  const auto addButton = [&](const char* text, DWORD style, int id) {
    CreateControl(font, dialog, "BUTTON", text, WS_TABSTOP | style, x, kButtonTop, kButtonWidth, kButtonHeight, 0, id);
    x += kButtonWidth + kButtonGap;
  };
  addButton("OK", BS_DEFPUSHBUTTON, IDOK);
  addButton("キャンセル", BS_PUSHBUTTON, IDCANCEL);
  if (helpContext_) addButton("ヘルプ(&H)", BS_PUSHBUTTON, fcHelp);
}

void TFolderChooser::FillDrives() {
  ComboBox_ResetContent(driveList_);
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    const char letter = static_cast<char>('A' + i);
    const std::string root{letter, ':', '\\'};
    std::string text = root.substr(0, 2);
    // Only local disks are asked for their label: a removable or network drive may keep the user
    // waiting.
    const UINT type = GetDriveTypeA(root.c_str());
    char label[MAX_PATH + 1] = "";
    if ((type == DRIVE_FIXED || type == DRIVE_RAMDISK) &&
        GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) && *label) {
      text += std::string(" [") + label + "]";
    }
    ComboBox_SetItemData(driveList_, ComboBox_AddString(driveList_, text.c_str()), letter);
  }
}

void TFolderChooser::MoveTo(const std::string& folder) {
  TNoDiskPrompts quiet;
  if (!SetCurrentDirectoryA(folder.c_str())) {
    Report((folder + " に移動できません。").c_str(), MB_ICONERROR);
  }
  ShowCurrentFolder();
}

// Shows the process's current folder in every list and in the name field.
void TFolderChooser::ShowCurrentFolder() {
  TNoDiskPrompts quiet;
  const std::string current = CurrentDirectory();
  const std::vector<std::string> levels = PathLevels(current);
  const int depth = static_cast<int>(levels.size());
  entries_.clear();
  for (int i = 0; i < depth; ++i) {
    const std::string& level = levels[i];
    entries_.push_back({level, i == 0 ? level : level.substr(LastDelimiter("\\", level) + 1), i, true});
  }
  currentEntry_ = depth - 1;
  std::vector<std::string> folders, files;
  ReadFolder(current, folders, files);
  for (const std::string& name : folders) entries_.push_back({AppendName(current, name), name, depth, false});

  SetWindowRedraw(folderList_, FALSE);
  ListBox_ResetContent(folderList_);
  for (const TEntry& entry : entries_) ListBox_AddString(folderList_, entry.Name.c_str());
  ListBox_SetCurSel(folderList_, currentEntry_);
  SetWindowRedraw(folderList_, TRUE);
  InvalidateRect(folderList_, nullptr, TRUE);

  SetWindowRedraw(fileList_, FALSE);
  ListBox_ResetContent(fileList_);
  for (const std::string& name : files) ListBox_AddString(fileList_, name.c_str());
  SetWindowRedraw(fileList_, TRUE);
  InvalidateRect(fileList_, nullptr, TRUE);

  const bool onDrive = current.size() >= 2 && current[1] == ':';
  const char drive = onDrive ? static_cast<char>(std::toupper(static_cast<unsigned char>(current[0]))) : 0;
  int driveIndex = -1;
  for (int i = 0; i < ComboBox_GetCount(driveList_); ++i) {
    if (static_cast<char>(ComboBox_GetItemData(driveList_, i)) == drive) driveIndex = i;
  }
  ComboBox_SetCurSel(driveList_, driveIndex);

  SetWindowTextA(nameEdit_, current.c_str());
  Edit_SetSel(nameEdit_, 0, -1);
}

void TFolderChooser::FolderListOpen() {
  const int index = ListBox_GetCurSel(folderList_);
  if (index >= 0 && index < static_cast<int>(entries_.size())) MoveTo(entries_[index].Path);
}

void TFolderChooser::DriveListChange() {
  const int index = ComboBox_GetCurSel(driveList_);
  if (index < 0) return;
  const char drive = static_cast<char>(ComboBox_GetItemData(driveList_, index));
  const std::string current = CurrentDirectory();
  if (current.size() >= 2 && current[1] == ':' && std::toupper(static_cast<unsigned char>(current[0])) == drive) return;
  // The drive alone: the system goes to the folder last used on it.
  MoveTo(std::string{drive, ':'});
}

void TFolderChooser::OkClick() {
  // Enter in the folder list opens the entry it points at, as a double click does.
  if (GetFocus() == folderList_) {
    const int index = ListBox_GetCurSel(folderList_);
    if (index >= 0 && index != currentEntry_) {
      FolderListOpen();
      return;
    }
  }
  const std::string name = WindowText(nameEdit_);
  if (!TWin32FolderSystem().IsFolder(name)) {
    if (!(options_ & sdAllowCreate)) {
      Report(kMissingFolder, MB_ICONERROR);
      return;
    }
    if ((options_ & sdPrompt) && Report(kCreatePrompt, MB_YESNO | MB_ICONQUESTION, kCreateCaption) != IDYES) return;
  }
  directory_ = name;
  EndDialog(Handle(), IDOK);
}

void TFolderChooser::NetworkClick() {
  const DWORD result = connectionDialog_(Handle(), kDiskResources);
  if (result == NO_ERROR) {
    FillDrives();  // a drive may have been connected
    ShowCurrentFolder();
  } else if (result != kConnectionCancelled) {
    Report(kNoNetworkDialog, MB_ICONERROR);
  }
}

void TFolderChooser::HelpClick() { Report(kNoHelp, MB_ICONINFORMATION); }

int TFolderChooser::Report(const char* text, UINT flags, const char* caption) {
  return MessageBoxA(Handle(), text, caption, flags);
}

void TFolderChooser::OnCommand(int id, UINT code) {
  switch (id) {
    case fcFolderList:
      if (code == LBN_DBLCLK) FolderListOpen();
      break;
    case fcDriveList:
      // Arrows in the closed list choose at once; in the open list only the final choice counts.
      if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !ComboBox_GetDroppedState(driveList_))) DriveListChange();
      break;
    case fcNetwork:
      NetworkClick();
      break;
    case fcHelp:
      HelpClick();
      break;
    case IDOK:
      OkClick();
      break;
    case IDCANCEL:
      EndDialog(Handle(), IDCANCEL);
      break;
  }
}

void TFolderChooser::OnMeasureItem(MEASUREITEMSTRUCT& item) { item.itemHeight = kItemHeight; }

void TFolderChooser::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const int index = static_cast<int>(item.itemID);
  if (item.CtlID == fcFolderList && index >= 0 && index < static_cast<int>(entries_.size())) {
    const TEntry& entry = entries_[index];
    DrawListItem(item.hDC, item.rcItem, entry.Name, entry.Level * kIndentStep,
                 entry.Open ? TGlyph::OpenFolder : TGlyph::ClosedFolder, item.itemState);
  } else if (item.CtlID == fcDriveList && index >= 0) {
    std::string text(ComboBox_GetLBTextLen(driveList_, index) + 1, '\0');
    text.resize(std::max(0, ComboBox_GetLBText(driveList_, index, text.data())));
    DrawListItem(item.hDC, item.rcItem, text, 0, TGlyph::Drive, item.itemState);
  } else {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  }
}

// The file list is there for orientation only, so its names are grey.
HBRUSH TFolderChooser::OnCtlColorListBox(HDC dc, HWND list) {
  if (list != fileList_) return nullptr;
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace

bool SelectDirectory(HWND owner, std::string& directory, unsigned options, unsigned helpContext) {
  TFolderChooser chooser(directory, options, helpContext);
  return chooser.Run(owner);
}
