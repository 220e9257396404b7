#include "win32/error_box.h"

#include <new>

namespace {

std::string& Title() {
  static std::string title;
  return title;
}

}  // namespace

const char kUnexpectedError[] = "予期しないエラーが発生しました";

void SetErrorBoxTitle(const std::string& title) { Title() = title; }

void ShowErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, (text + ".").c_str(), Title().c_str(), MB_OK | MB_ICONERROR);
}

std::string DescribeError(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "メモリが不足しています";
  return error.what();
}
