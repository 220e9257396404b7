// Times the preview window under Wine against what it shows: each figure is set beside a
// baseline measured in the same program run, in pairs, so both see the same machine.
//
// - Opening: from the call until the list is painted for the first time, against generating the
//   same names (MakeFileNames) just before, for 10,000, 1,000,000 and 5,000,000 names.
// - Resizing the preview of 1,000,000 names: the median of 20 resizes, each until painted.
// - Ctrl+A then Ctrl+C over 1,000,000 names (the text on the clipboard), against generating them.
// - Memory the preview adds while open (the process's committed private memory), against what the
//   list of names takes.
// - The old comparison: the preview against a bare multi-line edit with the old preview's styles,
//   given the same text, at 10,000 names only: the edit takes tens of seconds for a million.
// - What the edit's messages cost at 1,000,000 names, as a screen reader or a script asks them:
//   the first questions of a fresh preview, which sum the names' sizes and count the lines, and
//   then each message at places spread over the list; on the names as they are and with the
//   preview so narrow that every name wraps and each is laid out. Alone with "messages".
//
// Prints medians of the times and of the paired ratios, since windows under Wine vary by a tenth
// from one repetition to the next.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/program_font_win32.h"
#include "naming/generation.h"
#include "naming/rule_tree.h"
#include "naming/text_lines.h"
#include "preview/preview_window_win32.h"

namespace {

using TClock = std::chrono::steady_clock;

const char kBareClassName[] = "TandeloBareEdit";
// The old preview's list: a read-only multi-line edit that wraps, without scroll bars.
constexpr DWORD kBareEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;

double Milliseconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double CommittedMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage / (1024.0 * 1024.0);
}

// Lets whatever a closed window left in the queue go by, so the next measurement starts clean.
void DrainMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// A visible top-level window standing for the main window that owns the preview.
class TOwnerWindow {
 public:
  TOwnerWindow()
      : handle_(CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 487, 365, nullptr,
                                nullptr, nullptr, nullptr)) {}
  ~TOwnerWindow() { DestroyWindow(handle_); }
  TOwnerWindow(const TOwnerWindow&) = delete;
  TOwnerWindow& operator=(const TOwnerWindow&) = delete;

  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

// A plain top-level window of the preview's size holding a bare edit with the old preview's styles.
class TBareWindow {
 public:
  TBareWindow(POINT at, HFONT font) {
    handle_ = CreateWindowExA(0, kBareClassName, "bare", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x, at.y,
                              TForm2::kWidth, TForm2::kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    RECT client;
    GetClientRect(handle_, &client);
    edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", kBareEditStyle, 0, 0, client.right, client.bottom, handle_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ~TBareWindow() { DestroyWindow(handle_); }
  TBareWindow(const TBareWindow&) = delete;
  TBareWindow& operator=(const TBareWindow&) = delete;

  HWND Handle() const { return handle_; }
  HWND Edit() const { return edit_; }

 private:
  HWND handle_;
  HWND edit_;
};

void RegisterBareClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kBareClassName;
  RegisterClassExA(&windowClass);
}

// The example of a million names: a number rule 0 to 999 with a number rule 0 to 999 below it;
// other counts change the upper rule's range.
std::vector<std::string> Generate(int count, double& milliseconds) {
  const int lowerCount = count >= 1000000 ? 1000 : 100;
  TRuleTree tree;
  TRuleNode& upper = tree.AddRule(tree.Root());
  upper.Data()->NumTo = count / lowerCount - 1;
  TRuleNode& lower = tree.AddRule(upper);
  lower.Data()->NumTo = lowerCount - 1;
  const auto start = TClock::now();
  std::vector<std::string> names = MakeFileNames(tree, false, "source.txt", TEncoding::ShiftJis);
  milliseconds = Milliseconds(start, TClock::now());
  if (names.size() != static_cast<std::size_t>(count)) std::fprintf(stderr, "made %zu names\n", names.size());
  return names;
}

// Presses a key in the preview's list with Ctrl held.
void PressWithControl(HWND view, UINT key) {
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE held[256];
  std::copy(keys, keys + 256, held);
  held[VK_CONTROL] = 0x80;
  SetKeyboardState(held);
  SendMessageA(view, WM_KEYDOWN, key, 1);
  SendMessageA(view, WM_KEYUP, key, 0xC0000001);
  SetKeyboardState(keys);
}

std::size_t ClipboardTextSize(HWND owner) {
  std::size_t size = 0;
  if (!OpenClipboard(owner)) return 0;
  if (const HANDLE data = GetClipboardData(CF_TEXT)) {
    size = std::strlen(static_cast<const char*>(GlobalLock(data)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return size;
}

struct TPreviewRun {
  double Open = 0;           // ms from the call to the first paint
  double Memory = 0;         // MiB the open preview added
  double CopyAll = 0;        // ms for Ctrl+A then Ctrl+C
  std::vector<double> Resizes;  // ms each, until painted
};

// Opens the preview of `names`; with `more`, also resizes it 20 times and copies all of it.
TPreviewRun TimePreview(HWND owner, const std::vector<std::string>& names, bool more) {
  TPreviewRun run;
  TClock::time_point painted{};
  const TGdiObject<HFONT> font(CreateProgramFont());
  const double before = CommittedMiB();
  const auto start = TClock::now();
  ShowPreviewWindow(owner, font.Get(), names, [&](HWND preview) {
    painted = TClock::now();
    run.Memory = CommittedMiB() - before;
    const HWND view = GetWindow(preview, GW_CHILD);
    if (more) {
      for (int i = 0; i < 20; ++i) {
        const int width = TForm2::kWidth + (i % 2 ? 0 : 37 + i);
        const auto from = TClock::now();
        SetWindowPos(preview, nullptr, 0, 0, width, TForm2::kHeight + (i % 2 ? 0 : 29), SWP_NOMOVE | SWP_NOZORDER);
        UpdateWindow(preview);
        UpdateWindow(view);
        run.Resizes.push_back(Milliseconds(from, TClock::now()));
      }
      const auto from = TClock::now();
      PressWithControl(view, 'A');
      PressWithControl(view, 'C');
      run.CopyAll = Milliseconds(from, TClock::now());
      if (ClipboardTextSize(owner) != static_cast<std::size_t>(GetWindowTextLengthA(view))) {
        std::fprintf(stderr, "the clipboard does not hold the whole list\n");
      }
    }
    PostMessageA(preview, WM_CLOSE, 0, 0);
  });
  DrainMessages();
  run.Open = Milliseconds(start, painted);
  return run;
}

double TimeBare(POINT at, const std::string& text) {
  const auto start = TClock::now();
  TClock::time_point painted{};
  {
    const TGdiObject<HFONT> font(CreateProgramFont());
    const TBareWindow bare(at, font.Get());
    SendMessageA(bare.Edit(), EM_SETLIMITTEXT, 0, 0);
    SetWindowTextA(bare.Edit(), text.c_str());
    ShowWindow(bare.Handle(), SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (message.message == WM_PAINT && message.hwnd == bare.Edit()) break;
    }
    painted = TClock::now();
  }
  DrainMessages();
  return Milliseconds(start, painted);
}

// The preview against generating its names, in pairs.
void MeasureAgainstGeneration(HWND owner, int count, int repetitions) {
  std::vector<double> generation, open, openRatio, copyRatio, copy, resizes, memory, listMemory;
  for (int r = 0; r <= repetitions; ++r) {
    double made = 0;
    const double before = CommittedMiB();
    const std::vector<std::string> names = Generate(count, made);
    const double list = CommittedMiB() - before;
    const TPreviewRun run = TimePreview(owner, names, count == 1000000);
    if (r == 0) continue;  // the first of each loads fonts and classes, and warms the heap
    generation.push_back(made);
    open.push_back(run.Open);
    openRatio.push_back(run.Open / made);
    memory.push_back(run.Memory);
    listMemory.push_back(list);
    if (!run.Resizes.empty()) {
      copy.push_back(run.CopyAll);
      copyRatio.push_back(run.CopyAll / made);
      resizes.insert(resizes.end(), run.Resizes.begin(), run.Resizes.end());
    }
  }
  std::printf("%-9d %16.1f %13.1f %17.4f %14.1f %12.1f\n", count, Median(generation), Median(open), Median(openRatio),
              Median(memory), Median(listMemory));
  if (!copy.empty()) {
    std::printf("  resize of the open preview, median of %zu: %.2f ms (longest %.2f ms)\n", resizes.size(),
                Median(resizes), *std::max_element(resizes.begin(), resizes.end()));
    std::printf("  Ctrl+A, Ctrl+C: %.1f ms, %.4f x generation\n", Median(copy), Median(copyRatio));
  }
}

// The preview against the bare edit, in pairs, alternating which goes first.
void MeasureAgainstBareEdit(HWND owner, int count, int repetitions) {
  double made = 0;
  const std::vector<std::string> names = Generate(count, made);
  const std::string text = JoinLines(names, TLineBreaks::Between);
  RECT around;
  GetWindowRect(owner, &around);
  const POINT at{around.left + (around.right - around.left - TForm2::kWidth) / 2,
                 around.top + (around.bottom - around.top - TForm2::kHeight) / 2};
  TimePreview(owner, names, false);
  TimeBare(at, text);
  std::vector<double> preview, bare, ratios;
  for (int r = 0; r < repetitions; ++r) {
    double p, b;
    if (r % 2 == 0) {
      p = TimePreview(owner, names, false).Open;
      b = TimeBare(at, text);
    } else {
      b = TimeBare(at, text);
      p = TimePreview(owner, names, false).Open;
    }
    preview.push_back(p);
    bare.push_back(b);
    ratios.push_back(b / p);
  }
  std::printf("%-9d %14.1f %12.1f %20.1f\n", count, Median(preview), Median(bare), Median(ratios));
}

// Each message's time, in microseconds, for every call made.
using TMessageTimes = std::vector<std::pair<const char*, std::vector<double>>>;

void TimeCall(TMessageTimes& times, std::size_t row, const char* name, const std::function<void()>& call) {
  if (times.size() <= row) times.push_back({name, {}});
  const auto from = TClock::now();
  call();
  times[row].second.push_back(Milliseconds(from, TClock::now()) * 1000);
}

// Opens a fresh preview of `names` (`width` pixels wide) and times the messages in it; returns
// the number of display lines.
long TimeMessages(HWND owner, const std::vector<std::string>& names, int width, TMessageTimes& times) {
  const TGdiObject<HFONT> font(CreateProgramFont());
  LRESULT lines = 0;
  ShowPreviewWindow(owner, font.Get(), names, [&](HWND preview) {
    SetWindowPos(preview, nullptr, 0, 0, width, TForm2::kHeight, SWP_NOMOVE | SWP_NOZORDER);
    const HWND view = GetWindow(preview, GW_CHILD);
    const auto send = [view](UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
      return SendMessageA(view, message, wParam, lParam);
    };
    std::size_t row = 0;
    LRESULT length = 0;
    TimeCall(times, row++, "first WM_GETTEXTLENGTH", [&] { length = send(WM_GETTEXTLENGTH); });
    TimeCall(times, row++, "first EM_GETLINECOUNT", [&] { lines = send(EM_GETLINECOUNT); });
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    TimeCall(times, row++, "WM_GETTEXT, all of it", [&] { send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())); });
    for (int i = 0; i <= 100; ++i) {
      const WPARAM offset = static_cast<WPARAM>(length / 100 * i), line = static_cast<WPARAM>(lines / 100 * i);
      char buffer[256];
      *reinterpret_cast<WORD*>(buffer) = 255;
      std::size_t at = row;
      TimeCall(times, at++, "WM_GETTEXTLENGTH", [&] { send(WM_GETTEXTLENGTH); });
      TimeCall(times, at++, "EM_GETLINECOUNT", [&] { send(EM_GETLINECOUNT); });
      TimeCall(times, at++, "EM_LINEINDEX", [&] { send(EM_LINEINDEX, line); });
      TimeCall(times, at++, "EM_LINELENGTH", [&] { send(EM_LINELENGTH, offset); });
      TimeCall(times, at++, "EM_GETLINE", [&] { send(EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer)); });
      TimeCall(times, at++, "EM_LINEFROMCHAR", [&] { send(EM_LINEFROMCHAR, offset); });
      TimeCall(times, at++, "EM_SETSEL", [&] { send(EM_SETSEL, offset, offset + 5); });
      TimeCall(times, at++, "EM_GETSEL", [&] { send(EM_GETSEL); });
      TimeCall(times, at++, "EM_SCROLLCARET", [&] { send(EM_SCROLLCARET); });
      TimeCall(times, at++, "EM_GETFIRSTVISIBLELINE", [&] { send(EM_GETFIRSTVISIBLELINE); });
      TimeCall(times, at++, "EM_LINESCROLL", [&] { send(EM_LINESCROLL, 0, i % 2 ? -3 : 3); });
      TimeCall(times, at++, "EM_POSFROMCHAR", [&] { send(EM_POSFROMCHAR, offset); });
      TimeCall(times, at++, "EM_CHARFROMPOS", [&] { send(EM_CHARFROMPOS, 0, MAKELPARAM(20, 40)); });
      TimeCall(times, at++, "EM_GETRECT", [&] { RECT rect; send(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect)); });
      if (i == 100) row = at;
    }
    // A new width counts the lines again, from the first question that needs them.
    SetWindowPos(preview, nullptr, 0, 0, width + 40, TForm2::kHeight, SWP_NOMOVE | SWP_NOZORDER);
    TimeCall(times, row++, "EM_LINEFROMCHAR at the end after a resize", [&] { send(EM_LINEFROMCHAR, length); });
    PostMessageA(preview, WM_CLOSE, 0, 0);
  });
  DrainMessages();
  return static_cast<long>(lines);
}

// The messages at a million names: a fresh preview each repetition, medians over all of them.
void MeasureMessages(HWND owner, int repetitions) {
  double made = 0;
  const std::vector<std::string> names = Generate(1000000, made);
  // The same names behind Japanese wider than the narrowest preview: every one wraps.
  std::vector<std::string> wide;
  wide.reserve(names.size());
  for (const std::string& name : names) wide.push_back("複製予定ファイル名一覧 " + name);
  TMessageTimes plain, wrapped;
  long plainLines = 0, wrappedLines = 0;
  for (int r = 0; r < repetitions; ++r) {
    plainLines = TimeMessages(owner, names, TForm2::kWidth, plain);
    wrappedLines = TimeMessages(owner, wide, GetSystemMetrics(SM_CXMINTRACK), wrapped);
  }
  std::printf("\nthe edit's messages at 1,000,000 names (median microseconds; %d fresh previews each):\n"
              "names such as \"%s\" (%ld display lines), and with Japanese before them in the narrowest\n"
              "preview, each laid out (%ld display lines)\n",
              repetitions, names.back().c_str(), plainLines, wrappedLines);
  std::printf("%-44s %14s %14s\n", "message", "as they are", "all wrapped");
  for (std::size_t i = 0; i < plain.size(); ++i) {
    std::printf("%-44s %14.1f %14.1f\n", plain[i].first, Median(plain[i].second), Median(wrapped[i].second));
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterBareClass();
  const TOwnerWindow owner;
  DrainMessages();
  if (argc > 1 && std::strcmp(argv[1], "messages") == 0) {
    MeasureMessages(owner.Handle(), 5);
    return 0;
  }
  std::printf("preview against generating the same names (goal at 1,000,000: preview / generation <= 0.2)\n");
  std::printf("%-9s %16s %13s %17s %14s %12s\n", "names", "generation (ms)", "preview (ms)", "preview / gen.",
              "preview (MiB)", "list (MiB)");
  MeasureAgainstGeneration(owner.Handle(), 10000, 11);
  MeasureAgainstGeneration(owner.Handle(), 1000000, 5);
  MeasureAgainstGeneration(owner.Handle(), 5000000, 3);
  std::printf("\npreview against a bare multi-line edit given the same text (10,000 names only: the edit\n"
              "takes tens of seconds for a million)\n");
  std::printf("%-9s %14s %12s %20s\n", "names", "preview (ms)", "bare (ms)", "bare / preview");
  MeasureAgainstBareEdit(owner.Handle(), 10000, 11);
  MeasureMessages(owner.Handle(), 5);
  return 0;
}
