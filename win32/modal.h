#pragma once

#include <windows.h>

#include <functional>

// What the window being shown modally adds to the message loop.
struct TModalLoop {
  // Sees each message before it is dispatched; true when it took care of it, and then the message
  // is not dispatched.
  std::function<bool(const MSG& message)> Before;
  // Sees each message once it has been dispatched.
  std::function<void(const MSG& message)> After;
};

// Shows `window` and runs the thread's messages until `ended` says so or the window is gone;
// until then `owner` and the thread's other visible windows take no input. Afterwards exactly the
// windows it disabled are enabled again (one disabled already, by a showing further out, stays
// so), and then, while `window` still stands, the owner is activated and `window` hidden:
// otherwise the system would pass activation to whichever window stands next below it, which
// need not be the owner. A request to quit ends the showing and is posted again for the loop
// outside.
void RunModal(HWND window, HWND owner, const std::function<bool()>& ended, const TModalLoop& loop = {});
