#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

// One line on a terminal: names done of the total, the rate and the time left, redrawn at most
// ten times a second. Does nothing when not enabled.
class TProgress {
 public:
  using TClock = std::chrono::steady_clock;

  TProgress(std::FILE* out, std::size_t total, bool enabled);
  void Update(std::size_t done);
  // Erases the line, so that other output starts at the left edge; the next Update redraws it.
  void Clear();
  // Leaves `pause` out of the time the names took, as if the run had started that much later.
  void LeaveOut(TClock::duration pause) { start_ += pause; }

  // The line for `done` of `total` after `elapsed` seconds.
  static std::string Text(std::size_t done, std::size_t total, double elapsed);

 private:
  std::FILE* out_;
  std::size_t total_;
  bool enabled_;
  TClock::time_point start_;
  TClock::time_point next_;
  std::size_t shownLength_ = 0;
};
