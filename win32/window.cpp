#include "win32/window.h"

#include <commctrl.h>

#include <stdexcept>
#include <utility>

struct TWindow::TSubclass {
  TWindow& Owner;
  TControlProc Proc;
};

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetWindowTextIfChanged(HWND window, const std::string& text) {
  if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
}

HWND CreateControl(HFONT font, HWND parent, const char* className, const std::string& text, DWORD style, int x, int y,
                   int width, int height, DWORD exStyle, int id) {
  const HWND control =
      CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!control) throw std::runtime_error("CreateWindowEx failed");
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

TWindow::~TWindow() {
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

void TWindow::Create(const char* className, DWORD exStyle, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, const TWindowClassLook& look) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExA(instance, className, &existing)) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = look.Style;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, look.Cursor);
    windowClass.hbrBackground = look.Background;
    windowClass.lpszClassName = className;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!RegisterClassExA(&windowClass)) throw std::runtime_error("RegisterClassEx failed");
  }
  if (!CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, this)) {
    throw std::runtime_error("CreateWindowEx failed");
  }
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(handle_, message, wParam, lParam);
}

void TWindow::ReportError(const std::string& text) { ShowErrorBox(GetAncestor(handle_, GA_ROOT), text); }

TWindow* TWindow::FromHandle(HWND window) {
  if (!window) return nullptr;
  const auto proc = static_cast<ULONG_PTR>(GetClassLongPtrA(window, GCLP_WNDPROC));
  if (proc != reinterpret_cast<ULONG_PTR>(&WindowProc)) return nullptr;
  return reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void TWindow::ReportCurrentFailure(HWND control) {
  for (HWND window = control; window; window = GetParent(window)) {
    if (TWindow* owner = FromHandle(window)) {
      owner->Guarded([]() -> LRESULT { throw; });
      return;
    }
  }
  try {
    throw;
  } catch (const std::exception& error) {
    ShowErrorBox(GetAncestor(control, GA_ROOT), DescribeError(error));
  } catch (...) {
    ShowErrorBox(GetAncestor(control, GA_ROOT), kUnexpectedError);
  }
}

void TWindow::SubclassControl(HWND control, TControlProc proc) {
  auto* subclass = new TSubclass{*this, std::move(proc)};
  if (!SetWindowSubclass(control, ControlProc, reinterpret_cast<UINT_PTR>(subclass),
                         reinterpret_cast<DWORD_PTR>(subclass))) {
    delete subclass;
    throw std::runtime_error("SetWindowSubclass failed");
  }
}

LRESULT CALLBACK TWindow::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data) {
  auto* subclass = reinterpret_cast<TSubclass*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, ControlProc, id);
    delete subclass;
    return DefSubclassProc(control, message, wParam, lParam);
  }
  return subclass->Owner.Guarded([&] { return subclass->Proc(control, message, wParam, lParam); });
}

LRESULT CALLBACK TWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->handle_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->Guarded([&] { return self->HandleMessage(message, wParam, lParam); });
}
