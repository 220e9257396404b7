#include "app/message_box_win32.h"

#include <windows.h>

#include "app/app_title.h"

// Both boxes go without an owner and with MB_TASKMODAL: the system then disables every top-level
// window of this thread, which is every window of the program, and centres the box on the
// screen instead of over one window.

void TPlainMessage::ShowMessage(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_TASKMODAL);
}

int TCopyPrompt::Ask(const std::string& text, const std::string& caption, unsigned flags) {
  // The modality bits are ours: combined with another mode MB_TASKMODAL would mean something else.
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), (flags & ~MB_MODEMASK) | MB_TASKMODAL);
}
