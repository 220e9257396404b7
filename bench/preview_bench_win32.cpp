// Times the preview window against a bare multi-line edit given the same text, in one program run:
// each from creating the window until its list has been painted for the first time. The bare
// edit has the preview's styles, font and size and stands in a plain top-level window; its text
// is joined beforehand, while the preview's time includes joining the names. The two are
// alternated so both see the same machine. Prints the medians of the times and of the paired
// ratios, since windows under Wine vary by a tenth from one repetition to the next.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "preview/preview_window_win32.h"

namespace {

using TClock = std::chrono::steady_clock;

const char kBareClassName[] = "TandeloBareEdit";

double Milliseconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
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

// A plain top-level window of the preview's size holding a bare edit with the preview's styles.
class TBareWindow {
 public:
  TBareWindow(POINT at, HFONT font) {
    handle_ = CreateWindowExA(0, kBareClassName, "bare", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x, at.y,
                              TForm2::kWidth, TForm2::kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    RECT client;
    GetClientRect(handle_, &client);
    edit_ = CreateWindowExA(TForm2::kMemoExStyle, "EDIT", "", TForm2::kMemoStyle, 0, 0, client.right, client.bottom,
                            handle_, nullptr, GetModuleHandleA(nullptr), nullptr);
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

double TimePreview(HWND owner, const std::vector<std::string>& names, std::size_t textSize) {
  TClock::time_point painted{};
  const auto start = TClock::now();
  ShowPreviewWindow(owner, names, [&](HWND preview) {
    painted = TClock::now();
    if (static_cast<std::size_t>(GetWindowTextLengthA(GetWindow(preview, GW_CHILD))) != textSize) {
      std::fprintf(stderr, "the preview lost text\n");
    }
    PostMessageA(preview, WM_CLOSE, 0, 0);
  });
  DrainMessages();
  return Milliseconds(start, painted);
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
    if (static_cast<std::size_t>(GetWindowTextLengthA(bare.Edit())) != text.size()) {
      std::fprintf(stderr, "the bare edit lost text\n");
    }
  }
  DrainMessages();
  return Milliseconds(start, painted);
}

struct TTimes {
  double Preview;
  double Bare;
  double Ratio;  // median over the repetitions of preview / bare, each pair measured back to back
};

TTimes Measure(HWND owner, int count, int repetitions) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) names.push_back("copy" + std::to_string(i) + ".txt");
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : "\r\n") + name;

  // Where the preview opens, so that both windows stand on the same pixels.
  RECT around;
  GetWindowRect(owner, &around);
  const POINT at{around.left + (around.right - around.left - TForm2::kWidth) / 2,
                 around.top + (around.bottom - around.top - TForm2::kHeight) / 2};

  // One of each first, not counted: the first window of a kind loads fonts and classes.
  TimePreview(owner, names, text.size());
  TimeBare(at, text);

  std::vector<double> preview, bare;
  for (int r = 0; r < repetitions; ++r) {
    // Alternate which goes first, so neither always runs on a machine the other has warmed.
    if (r % 2 == 0) {
      preview.push_back(TimePreview(owner, names, text.size()));
      bare.push_back(TimeBare(at, text));
    } else {
      bare.push_back(TimeBare(at, text));
      preview.push_back(TimePreview(owner, names, text.size()));
    }
  }
  std::vector<double> ratios;
  for (std::size_t i = 0; i < preview.size(); ++i) ratios.push_back(preview[i] / bare[i]);
  return {Median(preview), Median(bare), Median(ratios)};
}

}  // namespace

int main() {
  RegisterBareClass();
  const TOwnerWindow owner;
  DrainMessages();
  std::printf("%-8s %14s %12s %16s\n", "names", "preview (ms)", "bare (ms)", "preview / bare");
  for (const int count : {10000, 100000}) {
    const TTimes t = Measure(owner.Handle(), count, 11);
    std::printf("%-8d %14.1f %12.1f %16.3f\n", count, t.Preview, t.Bare, t.Ratio);
  }
  return 0;
}
