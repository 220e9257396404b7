// Program start: the main window and the event loop. Nothing is read at start and nothing is
// saved at the end.
#include <windows.h>

#include "app/code_page_win32.h"
#include "app/dialogs_win32.h"
#include "app/form1_win32.h"
#include "win32/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  // Under another code page every text would be garbled and every copy named wrongly.
  if (!HasJapaneseCodePage()) return 1;
  try {
    TWin32Dialogs dialogs;
    TForm1 form(dialogs);
    dialogs.Owner = form.Handle();
    form.QuitOnDestroy = true;
    form.Show(showCommand);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      // The dialog keys (Tab, arrows, mnemonics) for whichever window has them.
      const HWND root = GetAncestor(message.hwnd, GA_ROOT);
      if (root && IsDialogMessageA(root, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  } catch (const std::exception& error) {
    ShowErrorBox(nullptr, DescribeError(error));
    return 1;
  }
  return 0;
}
