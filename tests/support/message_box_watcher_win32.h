#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a message box showed, read once the box had laid itself out.
struct TMessageBoxSeen {
  std::string Caption;
  std::string Text;                 // the box's text control, id 0xFFFF
  std::vector<int> Buttons;         // ids of the buttons shown, left to right
  int DefaultButton = 0;            // the button shown as the default, 0 when none
  bool IconShown = false;
  RECT Rect{};                      // on the screen
  HWND Owner = nullptr;             // the window the box stands over
  bool OwnerEnabled = false;        // whether the user could still reach it
  int OtherWindows = 0;             // visible top-level windows of the thread besides the box
  int EnabledOtherWindows = 0;      // how many of those the user could still reach
};

// Answers the message boxes shown on this thread while it exists by clicking one button per box,
// in order, and records what each box showed. Every dialog box (class #32770) created on the
// thread is taken for a message box. A box that lacks the answer's button, or comes when no
// answer is left, or is still up a second after its answer, is ended with 0: the test then fails
// instead of waiting for a person. Nothing depends on the keyboard focus or on activation, which
// another program on the same display can take at any moment. One watcher per thread at a time.
class TMessageBoxWatcher {
 public:
  explicit TMessageBoxWatcher(std::vector<int> answers);
  ~TMessageBoxWatcher();
  TMessageBoxWatcher(const TMessageBoxWatcher&) = delete;
  TMessageBoxWatcher& operator=(const TMessageBoxWatcher&) = delete;

  const std::vector<TMessageBoxSeen>& Seen() const { return seen_; }

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK TimerProc(HWND box, UINT message, UINT_PTR timerId, DWORD time);
  void Created(HWND box);
  void ReadAndAnswer(HWND box);

  HHOOK hook_ = nullptr;
  std::vector<int> answers_;
  std::vector<TMessageBoxSeen> seen_;
  HWND answeredBox_ = nullptr;
};
