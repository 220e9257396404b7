#pragma once

#include <windows.h>

#include <exception>
#include <string>

// The application's error box, shared by every window of the program: the title as caption, an
// error icon, one OK button, the text with "." appended.
void ShowErrorBox(HWND owner, const std::string& text);

// A handler's failure worded for the user.
std::string DescribeError(const std::exception& error);

// The words for a failure that is no std::exception.
extern const char kUnexpectedError[];
