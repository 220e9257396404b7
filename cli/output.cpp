#include "cli/output.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;
const std::string kPrefix = "tandelo-cli: ";

}  // namespace

std::string Shown(std::string_view text, TEncoding encoding) {
  return encoding == TEncoding::Utf8 ? ShiftJisToUtf8Shown(text) : std::string(text);
}

TLineWriter::~TLineWriter() {
  try {
    Flush();
  } catch (...) {
    // Flushed explicitly on every path that reports; here only what an exception left behind.
  }
}

void TLineWriter::Line(std::string_view text) {
  buffer_.append(text).push_back(end_);
  if (atOnce_ || buffer_.size() >= kBlockSize) Flush();
}

void TLineWriter::RawLine(std::string_view text) {
  Flush();
  Write(std::string(text) + "\n");
}

void TLineWriter::Flush() {
  if (buffer_.empty()) return;
  const std::string block = encoding_ == TEncoding::Utf8 ? ShiftJisToUtf8Shown(buffer_) : std::move(buffer_);
  buffer_.clear();
  Write(block);
}

void TLineWriter::Write(const std::string& bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() && std::fflush(file_) == 0) return;
  // A closed pipe: EPIPE here (with SIGPIPE ignored), EINVAL from Wine's write to a closed pipe.
  if (errno == EPIPE || errno == EINVAL) throw TOutputClosed{};
  throw TOutputFailed(std::string("cannot write the output: ") + std::strerror(errno));
}

void TReporter::ShowMessage(const std::string& text) {
  err_.Line(kPrefix + text);
  err_.Flush();
}

void TReporter::Say(const std::string& text) { err_.RawLine(kPrefix + text); }

void TReporter::SayAbout(const std::string& place, const std::string& text) {
  err_.RawLine(kPrefix + place + ": " + Shown(text, encoding_));
}
