#include "win32/dialog.h"

INT_PTR TDialog::ShowModal(HWND owner, DWORD style) {
  struct TTemplate {
    DLGTEMPLATE Header;
    WORD Menu, Class, Title;
  };
  alignas(4) TTemplate dialogTemplate{};
  dialogTemplate.Header.style = style;
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.Header, owner, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    reinterpret_cast<TDialog*>(lParam)->Attach(dialog);
  }
  auto* self = reinterpret_cast<TDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    self->Attach(nullptr);
    return FALSE;
  }
  if (message == WM_INITDIALOG) {
    bool built = false;
    const INT_PTR result = self->Guarded([&]() -> LRESULT {
      const INT_PTR answer = self->HandleDialogMessage(message, wParam, lParam);
      built = true;
      return answer;
    });
    if (!built) EndDialog(dialog, IDCANCEL);
    return result;
  }
  return self->Guarded([&]() -> LRESULT { return self->HandleDialogMessage(message, wParam, lParam); });
}
