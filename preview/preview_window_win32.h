#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "preview/name_view_win32.h"
#include "win32/gdi.h"
#include "win32/window.h"

// The window class of every preview window; a test finds leftover previews by it.
inline constexpr char kPreviewClassName[] = "TForm2";

// Shows the names a run would make in a new preview window owned by `owner` (the main window),
// one name per line in `font`, and returns once the user has closed it: until then the owner and
// the thread's other windows take no input. The window is gone when this returns; the names are
// read until then, never copied. Throws std::runtime_error when the window cannot be made.
void ShowPreviewWindow(HWND owner, HFONT font, const std::vector<std::string>& names);

// The same, for timing: `afterFirstPaint` runs once, with the preview, as soon as the list has
// been painted for the first time; it may close the preview (WM_CLOSE) to end the showing.
void ShowPreviewWindow(HWND owner, HFONT font, const std::vector<std::string>& names,
                       const std::function<void(HWND preview)>& afterFirstPaint);

// The preview window: `Memo1`, a read-only view of the names filling the client area.
class TForm2 : public TWindow {
 public:
  static constexpr int kWidth = 427;
  static constexpr int kHeight = 413;

  // Creates the window hidden, centred on `owner` and kept on the owner's screen; the list shows
  // in `font`, which must outlive the window.
  TForm2(HWND owner, HFONT font);
  ~TForm2() override;

  HWND Memo1() const { return memo1_ ? memo1_->Handle() : nullptr; }

  // Shows `names`, which must stay unchanged while this window shows them.
  void SetNames(const std::vector<std::string>& names);
  // Shows the window modally and returns once the user has asked to close it; the window itself
  // stays until this object goes.
  void ShowModal(const std::function<void(HWND preview)>& afterFirstPaint);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Nothing is shown here: the failure ends the showing, and ShowModal throws it to its caller.
  void ReportError(const std::string& text) override;

 private:
  BOOL FormCreate(HWND hwnd, LPCREATESTRUCT create);
  void FormResize(HWND hwnd, UINT state, int width, int height);
  void FormSetFocus(HWND hwnd, HWND previous);
  void FormClose(HWND hwnd);

  HWND owner_;
  HFONT font_;
  std::unique_ptr<TNameView> memo1_;
  bool closeRequested_ = false;
  std::optional<std::string> failure_;  // the first of a showing, thrown once it has ended
};
