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

// Lines to a stream, in the encoding its text is in: as they are to a file or a pipe, through the
// console's Unicode interface to a Windows console. Lines are gathered into large blocks, so a
// million names cost a few dozen writes; a block always ends at a line end, and a line end is
// never a byte of a character of several bytes, so no character is cut in two.
class TLineWriter {
 public:
  TLineWriter(std::FILE* file, TEncoding encoding) : file_(file), encoding_(encoding) {}
  ~TLineWriter();
  TLineWriter(const TLineWriter&) = delete;
  TLineWriter& operator=(const TLineWriter&) = delete;

  // A line, ended by the line end (a NUL for --null).
  void Line(std::string_view text);
  void SetLineEnd(char end) { end_ = end; }
  // Writes each line as it comes, so that the first line that cannot be written stops what is
  // being done (a copy or an undo) at once, not a block of lines later.
  void SetEachLineAtOnce() { atOnce_ = true; }
  // Text written at once, after what waits: a line ended by "\n", or a question, whose answer
  // follows on the same line.
  void Now(std::string_view text);
  void Flush();  // throws TOutputClosed, or TOutputFailed for another write error

 private:
  void Write(const std::string& bytes);

  std::FILE* file_;
  TEncoding encoding_;
  char end_ = '\n';
  bool atOnce_ = false;
  std::string buffer_;
};

// The command's reports on standard error, each starting with "tandelo-cli: " and written at once,
// in the run's text.
class TReporter : public IMessageSink {
 public:
  explicit TReporter(TEncoding encoding) : encoding_(encoding), err_(stderr, encoding) {}
  TEncoding Encoding() const { return encoding_; }
  // A message of the program's (its words, Shift-JIS).
  void ShowMessage(const std::string& text) override;
  // The command's own words, in the run's text (a path in them as PathText shows it).
  void Say(const std::string& text);
  // `place` (the run's text, as a path and line) then ": " and a message of the program's.
  void SayAbout(const std::string& place, const std::string& text);
  // A question, in the run's text, left open on its line for the answer.
  void Ask(const std::string& text);

 private:
  TEncoding encoding_;
  TLineWriter err_;
};

// The program's words (Shift-JIS) in the run's text.
std::string ProgramWords(std::string_view text, TEncoding encoding);

// Every message of the command starts with this.
inline constexpr char kMessagePrefix[] = "tandelo-cli: ";

