#include "cli/output.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

}  // namespace

std::string ProgramWords(std::string_view text, TEncoding encoding) {
  return Shown(text, TEncoding::ShiftJis, encoding);
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

void TLineWriter::Now(std::string_view text) {
  Flush();
  Write(std::string(text));
}

void TLineWriter::Flush() {
  if (buffer_.empty()) return;
  std::string block;
  block.swap(buffer_);
  Write(block);
}

void TLineWriter::Write(const std::string& bytes) {
  switch (WriteToConsole(file_, bytes, encoding_)) {
    case TConsoleWrite::Written:
      return;
    case TConsoleWrite::Failed:
      throw TOutputFailed("cannot write to the console");
    case TConsoleWrite::NotAConsole:
      break;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() && std::fflush(file_) == 0) return;
  // A closed pipe: EPIPE here (with SIGPIPE ignored), EINVAL from Wine's write to a closed pipe.
  if (errno == EPIPE || errno == EINVAL) throw TOutputClosed{};
  throw TOutputFailed(std::string("cannot write the output: ") + std::strerror(errno));
}

void TReporter::ShowMessage(const std::string& text) { Say(ProgramWords(text, encoding_)); }

void TReporter::Say(const std::string& text) { err_.Now(kMessagePrefix + text + "\n"); }

void TReporter::SayAbout(const std::string& place, const std::string& text) {
  Say(place + ": " + ProgramWords(text, encoding_));
}

void TReporter::Ask(const std::string& text) { err_.Now(kMessagePrefix + text); }
