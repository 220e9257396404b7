#pragma once

#include <windows.h>

#include <exception>
#include <string>

// What the error box says that is the program's own. The program gives its words once at start,
// before any window can fail; until then every word is empty.
struct TErrorBoxWords {
  std::string Title;        // the caption of every box
  std::string End;          // appended to every text
  std::string OutOfMemory;  // for std::bad_alloc
  std::string Unexpected;   // for a failure that is no std::exception
};
void SetErrorBoxWords(const TErrorBoxWords& words);

// The application's error box, shared by every window of the program: the title as caption, an
// error icon, one OK button, the text with the end appended.
void ShowErrorBox(HWND owner, const std::string& text);

// A failure worded for the user: what the exception says, or the program's words for running out
// of memory.
std::string DescribeError(const std::exception& error);
// The program's words for a failure that is no std::exception.
std::string DescribeUnexpectedError();
