#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/program_font_win32.h"
#include "preview/preview_window_win32.h"
#include "tests/support/windows_win32.h"
#include "win32/gdi.h"

// Showing the preview from a test, as the program does, and looking at it while it shows.

// The font the program gives its previews.
inline HFONT ProgramFont() {
  static const TGdiObject<HFONT> font(CreateProgramFont());
  return font.Get();
}

inline HWND FindPreview() { return FindThreadWindow(kPreviewClassName); }

inline HWND Memo1Of(HWND preview) { return GetWindow(preview, GW_CHILD); }

// How the user ends the showing, once the test has looked at the preview.
enum class TClose { SystemMenu, Escape, Quit };

inline const char* NameOf(TClose close) {
  return close == TClose::SystemMenu ? "SystemMenu" : close == TClose::Escape ? "Escape" : "Quit";
}

inline void PrintTo(TClose close, std::ostream* out) { *out << NameOf(close); }

// Shows the preview as the program does and calls `inspect` with it from a timer of the showing's
// own message loop. A preview still there a second after it was told to close is destroyed and
// the test fails, instead of waiting for a person.
class TInspection {
 public:
  TInspection(std::function<void(HWND preview)> inspect, TClose close) : inspect_(std::move(inspect)), close_(close) {}

  void Show(HWND owner, const std::vector<std::string>& names) {
    current_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    ShowPreviewWindow(owner, ProgramFont(), names);
    KillTimer(nullptr, timer);
    current_ = nullptr;
    EXPECT_TRUE(inspected_) << "the preview was never shown";
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { current_->Step(); }

  void Step() {
    const HWND preview = FindPreview();
    if (!preview || !IsWindowVisible(preview)) return;
    if (inspected_) {
      if (++ticksSinceClose_ == 50) {
        ADD_FAILURE() << "the preview did not close";
        DestroyWindow(preview);
      }
      return;
    }
    inspected_ = true;
    inspect_(preview);
    switch (close_) {
      case TClose::SystemMenu:
        SendMessageA(preview, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case TClose::Escape:
        PostMessageA(Memo1Of(preview), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case TClose::Quit:
        PostQuitMessage(7);
        break;
    }
  }

  static inline TInspection* current_ = nullptr;
  std::function<void(HWND)> inspect_;
  TClose close_;
  bool inspected_ = false;
  int ticksSinceClose_ = 0;
};

inline void ShowAndInspect(HWND owner, const std::vector<std::string>& names, std::function<void(HWND preview)> inspect,
                    TClose close = TClose::SystemMenu) {
  TInspection(std::move(inspect), close).Show(owner, names);
}

inline std::vector<std::string> NumberedNames(int count) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) names.push_back("copy" + std::to_string(i) + ".txt");
  return names;
}
