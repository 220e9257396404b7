// tandelo-cli.exe carries the program's version information under its own name, as Explorer's
// properties and installers read it.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/version_info_win32.h"

namespace {

TEST(CommandVersionInfo, NamesTheCommandWithTheProgramsVersion) {
  TVersionInfo info(ProgramPath("tandelo-cli.exe"));
  ASSERT_FALSE(info.Empty()) << "no version resource in tandelo-cli.exe";
  const VS_FIXEDFILEINFO* fixed = info.Fixed();
  ASSERT_NE(fixed, nullptr);
  const DWORD version = MAKELONG(TANDELO_TEST_VERSION_MINOR, TANDELO_TEST_VERSION_MAJOR);
  EXPECT_EQ(fixed->dwFileVersionMS, version);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(info.Text("FileVersion"), TANDELO_TEST_VERSION_TEXT);
  EXPECT_EQ(info.Text("OriginalFilename"), "tandelo-cli.exe");
  EXPECT_EQ(info.Text("ProductName"), "Tandelo(仮)");
  // "ファイル複製ツール（コマンドライン版）" as Explorer shows it.
  EXPECT_EQ(info.WideText(L"FileDescription"), L"\u30d5\u30a1\u30a4\u30eb\u8907\u88fd\u30c4\u30fc\u30eb"
                                               L"\uff08\u30b3\u30de\u30f3\u30c9\u30e9\u30a4\u30f3\u7248\uff09");
}

}  // namespace
