#include "win32/window.h"

#include <stdexcept>
#include <utility>

#include "win32/system_error.h"

struct TWindow::TSubclass {
  TWindow& Owner;
  TControlProc Proc;
};

namespace {

// Some refusals leave no reason: a window procedure's own at WM_NCCREATE or WM_CREATE.
[[noreturn]] void ThrowNotMade(const char* className) {
  const DWORD error = GetLastError();
  std::string text = "CreateWindowEx failed for ";
  text += IS_INTRESOURCE(className) ? "a class atom" : className;
  if (error != ERROR_SUCCESS) text += ": " + SystemErrorText(error);
  throw std::runtime_error(text);
}

}  // namespace

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetWindowTextIfChanged(HWND window, const std::string& text) {
  if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
}

HWND CreateControl(HFONT font, HWND parent, const char* className, const std::string& text, DWORD style, int x, int y,
                   int width, int height, DWORD exStyle, int id, const TControlSubclass& subclass) {
  const bool popup = (style & WS_POPUP) != 0;
  SetLastError(ERROR_SUCCESS);
  TWindowHandle control(CreateWindowExA(exStyle, className, text.c_str(), popup ? style : WS_CHILD | WS_VISIBLE | style,
                                        x, y, width, height, parent,
                                        popup ? nullptr : reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        GetModuleHandleA(nullptr), nullptr));
  if (!control.Get()) ThrowNotMade(className);
  if (subclass.Proc && !SetWindowSubclass(control.Get(), subclass.Proc, subclass.Id, subclass.Data)) {
    throw std::runtime_error(std::string("SetWindowSubclass failed for ") + className);
  }
  if (font) SendMessageA(control.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control.Release();
}

TWindow::~TWindow() {
  if (window_.Get()) {
    // The object is going: what the window hears from now on is the system's alone.
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
    window_.Reset();
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
  SetLastError(ERROR_SUCCESS);
  if (!CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, this)) {
    ThrowNotMade(className);
  }
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(Handle(), message, wParam, lParam);
}

void TWindow::ReportError(const std::string& text) { ShowErrorBox(GetAncestor(Handle(), GA_ROOT), text); }

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
    ShowErrorBox(GetAncestor(control, GA_ROOT), DescribeUnexpectedError());
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
    self->window_.Reset(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_.Release();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->Guarded([&] { return self->HandleMessage(message, wParam, lParam); });
}
