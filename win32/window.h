#pragma once

#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <functional>
#include <string>

#include "win32/error_box.h"
#include "win32/owned_handle.h"

// A window's text (an edit's contents, a button's caption).
std::string WindowText(HWND window);
// Sets a window's text only when it differs, so setting the same text raises no change event.
void SetWindowTextIfChanged(HWND window, const std::string& text);

// A subclass a control gets as it is made, before it hears of its font: the system's subclass
// procedure with the id and data that SetWindowSubclass hands it.
struct TControlSubclass {
  SUBCLASSPROC Proc = nullptr;
  UINT_PTR Id = 0;
  DWORD_PTR Data = 0;
};

// The one way to make a control of a system class (owner-drawn ones with their BS_OWNERDRAW or
// like style). A child is made visible with WS_CHILD and WS_VISIBLE added to `style`, and `id` is
// what its notifications and GetDlgItem know it by. A pop-up (WS_POPUP in `style`, a tooltip) is
// made as `style` says, owned by `parent`'s top-level window, which destroys it. `subclass`, when
// it has a procedure, is put in front of the control's own; `font`, when not null, is then sent to
// it. Throws, with the system's reason when it gives one, when the control cannot be made or
// subclassed; nothing is left behind then.
HWND CreateControl(HFONT font, HWND parent, const char* className, const std::string& text, DWORD style, int x, int y,
                   int width, int height, DWORD exStyle = 0, int id = 0, const TControlSubclass& subclass = {});

// What a window class gives its windows before they paint: class style bits, cursor and the
// brush that erases the background (null: the window paints all of it itself).
struct TWindowClassLook {
  UINT Style = 0;
  const char* Cursor = reinterpret_cast<const char*>(IDC_ARROW);
  HBRUSH Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

// A control's messages as a window subclasses them; what it leaves alone goes on to
// DefSubclassProc.
using TControlProc = std::function<LRESULT(HWND control, UINT message, WPARAM wParam, LPARAM lParam)>;

// The base of the program's windows: the window procedure finds the object through
// GWLP_USERDATA (stored at WM_NCCREATE) and forwards every message to HandleMessage. It is also
// the boundary that no exception crosses, for the window and for the controls it subclasses: what
// a handler throws is reported with ReportError and the message counts as handled.
class TWindow {
 public:
  TWindow() = default;
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return window_.Get(); }

  // The object behind a window made by this class, or null.
  static TWindow* FromHandle(HWND window);
  // For a system control that this class did not make (a subclassed button), from inside its
  // catch block: reports the failure being handled through the nearest window of this class that
  // holds `control`, or in the error box when there is none.
  static void ReportCurrentFailure(HWND control);

 protected:
  // Registers `className` (once) with this class's window procedure and creates the window.
  void Create(const char* className, DWORD exStyle, const char* title, DWORD style, int x, int y, int width,
              int height, HWND parent, HMENU menu = nullptr, const TWindowClassLook& look = TWindowClassLook());

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The failure policy: what escaped a handler, worded for the user. By default it is shown in
  // the application's error box, over the top-level window.
  virtual void ReportError(const std::string& text);
  // Puts `proc` in front of `control`'s window procedure until the control goes, inside this
  // window's boundary.
  void SubclassControl(HWND control, TControlProc proc);

  // Destroys the window now. A class whose handlers use its own members calls it first in its
  // destructor, so the window's last messages reach the whole object rather than this base.
  void Destroy() { window_.Reset(); }

  // For a window the system made for this object with a procedure of its own (a dialog): ties
  // the object to `window`, or unties it with null, which destroys nothing.
  void Attach(HWND window) {
    window_.Release();
    window_.Reset(window);
  }
  // Runs `handler` inside the boundary: what it throws is reported with ReportError, and the
  // result is then 0.
  template <typename THandler>
  LRESULT Guarded(THandler&& handler) {
    try {
      return handler();
    } catch (const std::exception& error) {
      ReportError(DescribeError(error));
    } catch (...) {
      ReportError(DescribeUnexpectedError());
    }
    return 0;
  }

 private:
  struct TSubclass;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR subclass);

  TWindowHandle window_;
};
