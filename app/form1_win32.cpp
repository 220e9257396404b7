#include "app/form1_win32.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/folder_levels.h"
#include "app/folder_system_win32.h"
#include "app/program_font_win32.h"
#include "app/resources_win32.h"
#include "tandelo_version.h"
#include "copy/file_copier_win32.h"
#include "preview/preview_window_win32.h"

namespace {

const char kCaption[] = TANDELO_CAPTION;
const char kCannotCreateFolder[] = "ディレクトリを作成できません";

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

// The window as a run's front end: a close request waiting in the queue is taken in after every
// copy and before every box, so the run stops before its next copy and shows nothing more.
// Without this, a request sent or posted during the copies would wait until the next box's
// message loop, and the copies would go on until then.
//
// The names are made and copied on this thread without a message loop. The system calls a window
// whose thread has not looked at its queue for five seconds hung, and offers to end the program
// in the middle of a copy: so the run looks at the queue, without taking anything out of it, now
// and then while the names are freed and made, between copies and between the chunks of one long
// copy, at most every kLookInterval.
class TForm1::TRunServices : public ICopyFront, public IMessageSink {
 public:
  // For a run that copies: its source and folder, as the fields show them, and its names.
  TRunServices(TForm1& form, std::string source = {}, std::string folder = {},
               const std::vector<std::string>* names = nullptr)
      : form_(form), source_(std::move(source)), folder_(std::move(folder)), names_(names) {}

  void NameDone(std::size_t, const TCopyOutcome&) override { form_.TakeCloseRequests(); }
  // The box the program has always asked with: Yes skips the name; No, Escape or a box that could
  // not be shown stops the run.
  TFailureAnswer NotCopied(std::size_t index, const TCopyOutcome& outcome) override {
    if (form_.TakeCloseRequests()) return TFailureAnswer::Stop;
    const std::string destination = ShownDestination(folder_, (*names_)[index], TNameForm{});
    const int answer = form_.dialogs_.Ask(FailurePrompt(source_, destination, outcome), kPromptCaption, MB_YESNO);
    return answer == IDYES ? TFailureAnswer::Skip : TFailureAnswer::Stop;
  }
  bool StopRequested() override { return form_.closeRequested_; }
  void ShowMessage(const std::string& text) override {
    if (!form_.TakeCloseRequests()) form_.dialogs_.ShowMessage(text);
  }

  void StillWorking() override {
    const DWORD now = GetTickCount();
    if (now - lastLook_ < kLookInterval) return;
    lastLook_ = now;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }

 private:
  static constexpr DWORD kLookInterval = 200;  // milliseconds

  TForm1& form_;
  std::string source_;
  std::string folder_;
  const std::vector<std::string>* names_;
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
TForm1::~TForm1() { Destroy(); }

// Controls are made parent by parent in their tab order: the creation order is the keyboard order.
void TForm1::CreateControls() {
  const HWND form = Handle();
  const HFONT font = font_.Get();
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;

  Panel2 = std::make_unique<TPanel>(form, 0, 0, 481, 65, pbNone);
  const HWND p2 = Panel2->Handle();
  Label1 = CreateControl(font, p2, "STATIC", "複製元ファイル：", SS_LEFT, 8, 12, 83, 12);
  Label2 = CreateControl(font, p2, "STATIC", "複製先フォルダ：", SS_LEFT, 8, 32, 85, 12);
  Edit1 = CreateControl(font, p2, "EDIT", "", edit | ES_READONLY, 96, 8, 353, 20, WS_EX_CLIENTEDGE);
  Button1 = CreateControl(font, p2, "BUTTON", "...", button, 450, 8, 25, 20);
  Edit2 = CreateControl(font, p2, "EDIT", "", edit | ES_READONLY, 96, 29, 353, 20, WS_EX_CLIENTEDGE);
  Button2 = CreateControl(font, p2, "BUTTON", "...", button, 450, 29, 25, 20);

  editor_ = std::make_unique<TRuleEditor>(form, 0, 65, static_cast<IRuleEditorHost&>(*this), font,
                                          CreateRuleImageList(GetModuleHandleA(nullptr)));

  Panel3 = std::make_unique<TPanel>(form, 0, 295, 481, 41, pbRaisedOuter);
  const HWND p3 = Panel3->Handle();
  Label5 = CreateControl(font, p3, "STATIC", "注意：固定文字列に関しては、旧ﾊﾞｰｼﾞｮﾝと互換性がありません", SS_LEFT, 2, 24, 318, 12);
  Button4 = CreateControl(font, p3, "BUTTON", "テスト表示", button, 324, 8, 75, 25);
  Button3 = CreateControl(font, p3, "BUTTON", "実行", button, 403, 8, 75, 25);
  keyboard_.SetPushButtons({Button1, Button2, Button3, Button4});
  CheckBox1 = CreateControl(font, p3, "BUTTON", "親情報で作成した名称をつなげる（旧Verﾕｰｻﾞｰ対応用）",
                            WS_TABSTOP | BS_AUTOCHECKBOX, 3, 3, 306, 17);

  for (TPanel* panel : {Panel2.get(), Panel3.get()}) {
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

void TForm1::FormCreate() { fileNames_ = std::make_unique<std::vector<std::string>>(); }

void TForm1::FormShow() {
  editor_->Start();
  UpdateControls();
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
  Destroy();
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
  const std::string source = WindowText(Edit1);
  const std::string folder = WindowText(Edit2);
  TRunServices run(*this, source, folder, fileNames_.get());
  TWin32FileCopier target(source, folder, [&run] { run.StillWorking(); });
  RunCopy(editor_->Rules(), Join(), source, *fileNames_, target, run, run);
}

void TForm1::Button4Click() {
  TRunServices run(*this);
  if (PrepareFileNames(editor_->Rules(), Join(), WindowText(Edit1), TEncoding::ShiftJis, *fileNames_, run,
                       [&run] { run.StillWorking(); }) &&
      !TakeCloseRequests()) {
    dialogs_.ShowPreview(*fileNames_);
  }
}

void TForm1::Edit1Change() { UpdateControls(); }
void TForm1::Edit2Change() { UpdateControls(); }

void TForm1::UpdateControls() {
  editor_->UpdateControls();
  const bool ready = !WindowText(Edit1).empty() && !WindowText(Edit2).empty() && editor_->HasRules();
  EnableWindow(Button3, ready);
  EnableWindow(Button4, ready);
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

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result; keyboard_.HandleMessage(Handle(), message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      if (lParam) WhileBusy([&] { OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam)); });
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
void TForm1::ShowError(const std::string& text) { dialogs_.ShowError(text); }
void TForm1::ShowMessage(const std::string& text) { dialogs_.ShowMessage(text); }
void TForm1::RulesChanged() { UpdateControls(); }
