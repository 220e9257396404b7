#include "win32/dialog.h"

#include <utility>

INT_PTR TDialog::ShowModal(HWND owner, DWORD style) {
  struct TTemplate {
    DLGTEMPLATE Header;
    WORD Menu, Class, Title;
  };
  alignas(4) TTemplate dialogTemplate{};
  dialogTemplate.Header.style = style;
  const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.Header, owner,
                                                 DialogProc, reinterpret_cast<LPARAM>(this));
  if (buildFailure_) std::rethrow_exception(std::exchange(buildFailure_, nullptr));
  return result;
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
    // Nothing may cross the dialog manager: the failure waits until it has returned. Ended
    // here, the dialog is never shown.
    try {
      return self->HandleDialogMessage(message, wParam, lParam);
    } catch (...) {
      self->buildFailure_ = std::current_exception();
      EndDialog(dialog, IDCANCEL);
      return FALSE;
    }
  }
  return self->Guarded([&]() -> LRESULT { return self->HandleDialogMessage(message, wParam, lParam); });
}
