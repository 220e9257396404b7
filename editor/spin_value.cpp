#include "editor/spin_value.h"

#include <algorithm>
#include <climits>

int ReadSpinValue(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return kSpinMin;
  // Accumulated negatively, so INT_MIN itself still reads.
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return kSpinMin;
    value = value * 10 - (c - '0');
    if (value < INT_MIN) return kSpinMin;
  }
  if (!negative) {
    value = -value;
    if (value > INT_MAX) return kSpinMin;
  }
  return static_cast<int>(value);
}

int ClampSpinValue(int value) { return std::clamp(value, kSpinMin, kSpinMax); }

int StepSpinValue(int value, int delta) {
  const long long moved = static_cast<long long>(value) + delta;
  return static_cast<int>(std::clamp<long long>(moved, kSpinMin, kSpinMax));
}

bool AcceptsSpinChar(char c, char decimalSeparator) {
  if (c >= '0' && c <= '9') return true;
  if (c == '+' || c == '-' || c == decimalSeparator) return true;
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 && c != '\r';
}
