#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/program_font_win32.h"
#include "editor/panel_win32.h"
#include "tests/support/canvas_win32.h"
#include "widgets/button_ex_win32.h"
#include "win32/gdi.h"

// The flat button as its tests meet it: the program's size and font, in a real panel of a host
// window that counts its clicks, painted into memory bitmaps on request.

constexpr int kW = 25, kH = 16;  // the program's button
const COLORREF kPrior = RGB(10, 200, 30);  // what lies in the bitmap before a paint
constexpr COLORREF kBlack = RGB(0, 0, 0);

inline COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }

inline bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class ButtonExTest : public testing::Test {
 protected:
  ButtonExTest() {
    host_ = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 100, 50, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetWindowSubclass(host_, HostProc, 1, reinterpret_cast<DWORD_PTR>(this));
    panel_ = std::make_unique<TPanel>(host_, 0, 0, 100, 50, pbNone);
  }
  ~ButtonExTest() override {
    button_.reset();
    panel_.reset();
    RemoveWindowSubclass(host_, HostProc, 1);
    DestroyWindow(host_);
  }

  TButtonEx& Make(TButtonStyle style, bool transparent = false) {
    button_ = std::make_unique<TButtonEx>(panel_->Handle(), "▼", 10, 10, kW, kH, 0, transparent);
    button_->SetButtonStyle(style);
    SendMessageA(button_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return *button_;
  }
  std::unique_ptr<TCanvas> Paint(UINT itemState) {
    auto canvas = std::make_unique<TCanvas>(kW, kH, kPrior);
    button_->PaintFace(canvas->Dc(), itemState);
    return canvas;
  }

  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) ++reinterpret_cast<ButtonExTest*>(data)->clicks_;
    return DefSubclassProc(window, message, wParam, lParam);
  }

  TGdiObject<HFONT> font_{CreateProgramFont()};
  HWND host_ = nullptr;
  std::unique_ptr<TPanel> panel_;
  std::unique_ptr<TButtonEx> button_;
  int clicks_ = 0;
};
