#pragma once

#include <string_view>

// The numeric spin field's rules, apart from its window: how its text reads as a number, the
// range a value is kept in, the characters typing may bring in, and the pace of a held arrow.

constexpr int kSpinMin = 0;
constexpr int kSpinMax = 999;
constexpr int kSpinMaxLength = 3;  // characters; typing and pasting stop there, text set by code does not

// A held arrow button steps once at once, again after kSpinRepeatDelay and then every
// kSpinRepeatInterval milliseconds.
constexpr unsigned kSpinRepeatDelay = 400;
constexpr unsigned kSpinRepeatInterval = 100;

// The text as a decimal integer with an optional sign. Anything else (empty, a lone sign, a
// fraction, blanks, letters, a number beyond int) reads as kSpinMin. Not clamped: "-5" is -5.
int ReadSpinValue(std::string_view text);

int ClampSpinValue(int value);

// The value that an arrow gives: `value` moved by `delta`, then clamped; never overflows.
int StepSpinValue(int value, int delta);

// Whether a typed character may go into the field: digits, the signs, the locale's decimal
// separator and the control characters (Backspace, the clipboard keys) except Enter.
bool AcceptsSpinChar(char c, char decimalSeparator);
