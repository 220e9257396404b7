#include "win32/error_box.h"

#include <new>

namespace {

TErrorBoxWords& Words() {
  static TErrorBoxWords words;
  return words;
}

}  // namespace

void SetErrorBoxWords(const TErrorBoxWords& words) { Words() = words; }

void ShowErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, (text + Words().End).c_str(), Words().Title.c_str(), MB_OK | MB_ICONERROR);
}

std::string DescribeError(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return Words().OutOfMemory;
  return error.what();
}

std::string DescribeUnexpectedError() { return Words().Unexpected; }
