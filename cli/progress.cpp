#include "cli/progress.h"

namespace {

constexpr auto kInterval = std::chrono::milliseconds(100);

std::string Duration(double seconds) {
  const long long whole = static_cast<long long>(seconds + 0.5);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

TProgress::TProgress(std::FILE* out, std::size_t total, bool enabled)
    : out_(out), total_(total), enabled_(enabled), start_(TClock::now()), next_(start_ + kInterval) {}

std::string TProgress::Text(std::size_t done, std::size_t total, double elapsed) {
  std::string text = std::to_string(done) + "/" + std::to_string(total);
  if (elapsed <= 0 || done == 0) return text;
  const double rate = done / elapsed;
  char rateText[32];
  std::snprintf(rateText, sizeof rateText, "  %.0f/s", rate);
  return text + rateText + "  " + Duration((total - done) / rate) + " left";
}

void TProgress::Update(std::size_t done) {
  if (!enabled_) return;
  const TClock::time_point now = TClock::now();
  if (now < next_) return;
  next_ = now + kInterval;
  const std::string text = Text(done, total_, std::chrono::duration<double>(now - start_).count());
  // Spaces over what a longer line before left.
  const std::size_t pad = shownLength_ > text.size() ? shownLength_ - text.size() : 0;
  std::fprintf(out_, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
  std::fflush(out_);
  shownLength_ = text.size();
}

void TProgress::Clear() {
  if (!enabled_ || shownLength_ == 0) return;
  std::fprintf(out_, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(out_);
  shownLength_ = 0;
  next_ = TClock::now();
}
