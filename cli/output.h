#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "naming/validation.h"
#include "cli/text_encoding.h"

// Thrown when the output is gone (a closed pipe): the command ends quietly.
struct TOutputClosed {};
// Thrown when the output cannot be written for another reason (a full disk): the command ends
// with the reason.
struct TOutputFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Lines of engine text (Shift-JIS) to a stream, in the chosen encoding. Lines are gathered into
// large blocks, so a million names cost a few dozen writes; a block always ends at a line end,
// and LF is never the second byte of a Shift-JIS character, so no character is cut in two.
class TLineWriter {
 public:
  TLineWriter(std::FILE* file, TEncoding encoding) : file_(file), encoding_(encoding) {}
  ~TLineWriter();
  TLineWriter(const TLineWriter&) = delete;
  TLineWriter& operator=(const TLineWriter&) = delete;

  // Engine text, converted, ended by the line end (a NUL for --null).
  void Line(std::string_view text);
  void SetLineEnd(char end) { end_ = end; }
  // Writes each line as it comes, so that the first line that cannot be written stops what is
  // being done (a copy or an undo) at once, not a block of lines later.
  void SetEachLineAtOnce() { atOnce_ = true; }
  // Text already in the output's encoding (paths as given, the command's own words).
  void RawLine(std::string_view text);
  void Flush();  // throws TOutputClosed, or TOutputFailed for another write error

 private:
  void Write(const std::string& bytes);

  std::FILE* file_;
  TEncoding encoding_;
  char end_ = '\n';
  bool atOnce_ = false;
  std::string buffer_;
};

// A writer in the engine's own encoding converts nothing: for bytes already as they are to go out
// (JSON, which is UTF-8 on every platform; paths as the platform gave them).
inline constexpr TEncoding kAsItIs = TEncoding::ShiftJis;

// The command's reports on standard error, each starting with "tandelo-cli: " and written at once.
class TReporter : public IMessageSink {
 public:
  explicit TReporter(TEncoding encoding) : encoding_(encoding), err_(stderr, encoding) {}
  // An engine message (Shift-JIS).
  void ShowMessage(const std::string& text) override;
  // The command's own words; paths in them as the platform gave them.
  void Say(const std::string& text);
  // `place` (the platform's text, as a path and line) then ": " and an engine message.
  void SayAbout(const std::string& place, const std::string& text);

 private:
  TEncoding encoding_;
  TLineWriter err_;
};

// Engine text in the output's encoding.
std::string Shown(std::string_view text, TEncoding encoding);

// The exit status when the output was closed under the command (as a shell reports SIGPIPE).
constexpr int kOutputClosedStatus = 141;
