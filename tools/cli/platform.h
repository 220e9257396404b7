#pragma once

#include <memory>
#include <string>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"

// What the command needs of the platform; paths are the platform's bytes.
extern const char kPathSeparator;

std::unique_ptr<IFileCopier> MakeFileCopier(ICopyWitness* witness);
std::unique_ptr<IFileRemover> MakeFileRemover();
std::unique_ptr<IJournalFile> MakeJournalFile(const std::string& path);  // throws std::runtime_error

// `path` from the root, so that a journal works from any folder; empty with `problem` set when
// the system cannot say.
std::string AbsolutePath(const std::string& path, std::string& problem);
bool PathExists(const std::string& path);
// Why `path` is not a folder to copy into; empty when it is one.
std::string FolderProblem(const std::string& path);
bool IsTerminal(int fd);
// Standard input and output as bytes, and a closed pipe reported as an error rather than a signal.
void PrepareStandardStreams();
