#include "widgets/error_box_win32.h"

#include <new>

#include "app/app_title.h"

const char kUnexpectedError[] = "予期しないエラーが発生しました";

void ShowErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, (text + ".").c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

std::string DescribeError(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "メモリが不足しています";
  return error.what();
}
