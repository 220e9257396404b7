#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/preview_showing_win32.h"

namespace {

// What an assistive tool reads of a window through the accessibility layer, asking from a thread
// of its own as another program asks; the window's thread goes on answering meanwhile.
struct TRead {
  HWND Window = nullptr;
  long Role = 0, State = 0;
  std::wstring Value, Name, Shortcut;
};

std::wstring Take(BSTR text) {
  const std::wstring taken(text, SysStringLen(text));
  SysFreeString(text);
  return taken;
}

DWORD WINAPI ReadAccessible(void* data) {
  TRead& read = *static_cast<TRead*>(data);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* object = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(read.Window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object)))) {
    VARIANT self{}, answer{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    if (SUCCEEDED(object->get_accRole(self, &answer))) read.Role = answer.lVal;
    if (SUCCEEDED(object->get_accState(self, &answer))) read.State = answer.lVal;
    BSTR text = nullptr;
    if (object->get_accValue(self, &text) == S_OK) read.Value = Take(text);
    if (object->get_accName(self, &text) == S_OK) read.Name = Take(text);
    if (object->get_accKeyboardShortcut(self, &text) == S_OK) read.Shortcut = Take(text);
    read.Window = nullptr;
    WindowFromAccessibleObject(object, &read.Window);
    object->Release();
  }
  CoUninitialize();
  return 0;
}

TRead ReadFromAnotherThread(HWND window) {
  TRead read;
  read.Window = window;  // the window to read; the reader puts the one behind the object here
  const HANDLE reader = CreateThread(nullptr, 0, ReadAccessible, &read, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &reader, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  CloseHandle(reader);
  return read;
}

// A system that does not take the list for an edit by its hint.
WNDPROC gViewProc;

LRESULT CALLBACK WithoutTheHint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_QUERYCLASSNAMEIDX) return 0;
  return CallWindowProcA(gViewProc, window, message, wParam, lParam);
}

std::vector<std::pair<DWORD, HWND>> gEvents;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
  if (object == OBJID_CLIENT) gEvents.push_back({event, window});
}

int CountEvents(DWORD event, HWND window) {
  return static_cast<int>(std::count(gEvents.begin(), gEvents.end(), std::make_pair(event, window)));
}

// With the hint taken the system's own edit support reads the list; without it the list's object.
// A screen reader speaks what the user moves over from the events; a magnifier follows the caret.
class NameViewAccessibility : public testing::TestWithParam<bool> {};

TEST_P(NameViewAccessibility, ReadsAsAReadOnlyEditNamedByItsLabelAndAnnouncesItsSelection) {
  gEvents.clear();
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_TEXTSELECTIONCHANGED, nullptr,
                                             RecordEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), {"表示1.txt", "ソフト"}, [](HWND preview) {
    const HWND view = Memo1Of(preview);
    // Just before the list among its siblings, as a label made before it is.
    const HWND label = CreateWindowExA(0, "STATIC", "&Names:", WS_CHILD, 0, 0, 60, 20, preview, nullptr, nullptr, nullptr);
    SetWindowPos(label, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!GetParam()) {
      gViewProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WithoutTheHint)));
    }
    const TRead read = ReadFromAnotherThread(view);
    if (!GetParam()) SetWindowLongPtrA(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gViewProc));
    EXPECT_EQ(read.Role, ROLE_SYSTEM_TEXT);
    // Focused too, but only while the preview is the foreground window, which a test running
    // beside this one may hold.
    const long state = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    EXPECT_EQ(read.State & state, state);
    EXPECT_EQ(read.Value, L"表示1.txt\r\nソフト");
    EXPECT_EQ(read.Name, L"Names:");
    EXPECT_EQ(read.Window, view);
    if (GetParam()) {
      EXPECT_EQ(SendMessageA(view, WM_GETOBJECT, 0, OBJID_CLIENT), 0) << "left to the system";
    } else {
      EXPECT_EQ(read.Shortcut, L"Alt+N");  // Wine's own edit support gives none
    }
    EXPECT_EQ(CountEvents(EVENT_OBJECT_VALUECHANGE, view), 1) << "the list shown";
    // Tests running beside this one may take the focus, and with it the caret, while this one
    // runs its messages: the caret is read before they run again.
    SetFocus(view);
    const int before = CountEvents(EVENT_OBJECT_TEXTSELECTIONCHANGED, view);
    SendMessageA(view, WM_KEYDOWN, VK_DOWN, 1);
    SendMessageA(view, WM_KEYDOWN, VK_RIGHT, 1);
    SendMessageA(view, EM_LINESCROLL, 0, 1);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
    EXPECT_EQ(info.hwndCaret, view);
    const LRESULT caret = SendMessageA(view, EM_POSFROMCHAR, HIWORD(SendMessageA(view, EM_GETSEL, 0, 0)), 0);
    EXPECT_EQ(info.rcCaret.left, static_cast<short>(LOWORD(caret)));
    EXPECT_EQ(info.rcCaret.top, static_cast<short>(HIWORD(caret)));
    PumpFor(50);
    EXPECT_EQ(CountEvents(EVENT_OBJECT_TEXTSELECTIONCHANGED, view), before + 2) << "two moves, and a scroll";
  });
  UnhookWinEvent(hook);
}

INSTANTIATE_TEST_SUITE_P(Hint, NameViewAccessibility, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Taken" : "NotTaken"; });

}  // namespace
