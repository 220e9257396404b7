// tandelo-cli.exe beside the test, ended at many instants of a copy as a kill or a closed console
// ends it (TerminateProcess: nothing of the program runs after it), then undone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder_win32.h"
#include "tests/support/version_info_win32.h"
#include "win32/owned_handle.h"

namespace {

// Starts tandelo-cli.exe with `arguments` in `folder`, its output to the file `output` (or
// nowhere); the process, or null.
TKernelHandle Start(const std::string& arguments, const std::string& folder, const std::string& output = "NUL") {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const TKernelHandle out(CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                      CREATE_ALWAYS, 0, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.Get();
  startup.hStdError = out.Get();
  PROCESS_INFORMATION process{};
  std::string line = "\"" + ProgramPath("tandelo-cli.exe") + "\" " + arguments;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                      &startup, &process)) {
    return TKernelHandle();
  }
  CloseHandle(process.hThread);
  return TKernelHandle(process.hProcess);
}

DWORD Finish(const TKernelHandle& process) {
  WaitForSingleObject(process.Get(), 60000);
  DWORD status = 0;
  GetExitCodeProcess(process.Get(), &status);
  return status;
}

// The files in `folder` and its sub-folders aside, by name.
std::vector<std::string> Files(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  const TFindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (find.Get() == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(find.Get(), &found));
  return names;
}

// Killed at any instant, the copy leaves no part of a file at a name: at most a temporary file,
// which undo removes as the run's own, and a complete copy killed in the moment between its
// rename and its journal line, which undo keeps as unproven and lists. Undo leaves nothing else.
TEST(KilledCopyTest, NoNameEverHoldsAPartAndUndoLeavesTheFolderAsItWas) {
  TTempFolder base;
  std::string content(1 << 16, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7919 % 251);
  PutFile(base / "big.bin", content);
  PutFile(base / "many.rules", "number 1 500\n");
  const std::string out = base / "out";
  MakeFolder(out);
  PutFile(out + "\\7.bin", "mine");
  int undone = 0;
  for (int kill = 0; kill < 12; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    DeleteFileA((base / "j").c_str());
    const TKernelHandle copy =
        Start("copy --on-failure skip --quiet --journal j --source big.bin --into out many.rules", base.Path());
    ASSERT_TRUE(IsOpen(copy));
    // The first instants before the journal is made; the others spread over the copies.
    if (kill > 1) {
      for (int wait = 0; wait < 2000 && !FileExists(base / "j"); ++wait) Sleep(5);
    }
    Sleep(static_cast<DWORD>(kill * 61 % 307));
    TerminateProcess(copy.Get(), 9);
    Finish(copy);
    for (const std::string& name : Files(out)) {
      if (name.rfind(".tandelo-", 0) == 0) continue;
      EXPECT_EQ(FileContent(out + "\\" + name), name == "7.bin" ? "mine" : content) << name << " holds a part";
    }
    if (!FileExists(base / "j")) continue;
    ++undone;
    const DWORD status = Finish(Start("undo j", base.Path(), base / "undo.txt"));
    const std::string listed = FileContent(base / "undo.txt");
    for (const std::string& name : Files(out)) {
      if (name == "7.bin") continue;
      // Kept only as a whole copy stopped as it was named, and said so; then cleared for the next.
      EXPECT_NE(listed.find(name + ": the run was stopped as it named this file"), std::string::npos)
          << name << " left by undo:\n" << listed;
      EXPECT_EQ(FileContent(out + "\\" + name), content) << name;
      DeleteFileA((out + "\\" + name).c_str());
    }
    EXPECT_EQ(status, listed.find("kept ") == std::string::npos ? 0u : 1u) << listed;
    EXPECT_EQ(FileContent(out + "\\7.bin"), "mine");
  }
  EXPECT_GE(undone, 8) << "too few kills fell after the journal was started to prove anything";
}

}  // namespace
