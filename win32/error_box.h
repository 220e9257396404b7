#pragma once

#include <windows.h>

#include <exception>
#include <string>

// The application's error box, shared by every window of the program: the program's title as
// caption, an error icon, one OK button, the text with "." appended.
void ShowErrorBox(HWND owner, const std::string& text);
// The caption of every error box from now on; the program gives its title once at start.
void SetErrorBoxTitle(const std::string& title);

// A handler's failure worded for the user.
std::string DescribeError(const std::exception& error);

// The words for a failure that is no std::exception.
extern const char kUnexpectedError[];
