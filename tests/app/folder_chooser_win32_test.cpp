#include "app/folder_chooser_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/folder_system_win32.h"
#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/temp_folder_win32.h"
#include "tests/support/windows_win32.h"
#include "win32/window.h"

namespace {

const std::string kCaption = "ディレクトリの選択";
constexpr unsigned kOptions = sdAllowCreate | sdPerformCreate | sdPrompt;
constexpr unsigned kHelpContext = 1000;

std::string CurrentFolder() {
  char path[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, path);
  return path;
}

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
    char item[MAX_PATH] = "";
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
    items.push_back(item);
  }
  return items;
}

// What the chooser shows: the name field (wholly selected), the folder list with its selected
// entry, and the file list.
void ExpectShown(HWND dialog, const std::string& name, const std::vector<std::string>& folders,
                 const std::string& selected, const std::vector<std::string>& files) {
  HWND field = GetDlgItem(dialog, fcNameEdit);
  EXPECT_EQ(WindowText(field), name);
  DWORD start = 1, end = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_GE(end, static_cast<DWORD>(GetWindowTextLengthW(field)));  // Wine counts characters
  HWND list = GetDlgItem(dialog, fcFolderList);
  const std::vector<std::string> entries = ListItems(list);
  EXPECT_EQ(entries, folders);
  const auto index = static_cast<std::size_t>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(index < entries.size() ? entries[index] : "", selected);
  EXPECT_EQ(ListItems(GetDlgItem(dialog, fcFileList)), files);
}

void Command(HWND dialog, int id, int code = BN_CLICKED) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void OpenFolderEntry(HWND dialog, const std::string& name, bool byEnter) {
  HWND list = GetDlgItem(dialog, fcFolderList);
  const int index = static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name.c_str())));
  ASSERT_GE(index, 0) << name;
  SendMessageA(list, LB_SETCURSEL, index, 0);
  if (byEnter) {
    SetFocus(list);
    Command(dialog, IDOK);  // what the dialog manager sends for Enter
  } else {
    Command(dialog, fcFolderList, LBN_DBLCLK);
  }
}

// Runs the chooser with a script that plays the user: called once, from the chooser's own message
// loop, as soon as the chooser is on the screen; the script ends it with OK or Cancel. A chooser the script
// left open is cancelled, and the test fails.
class TChooserRun {
 public:
  explicit TChooserRun(std::function<void(HWND)> script) : script_(std::move(script)) {}

  bool Run(std::string& directory, unsigned options = kOptions, unsigned helpContext = kHelpContext) {
    active_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    const bool confirmed = SelectDirectory(nullptr, directory, options, helpContext);
    KillTimer(nullptr, timer);
    active_ = nullptr;
    EXPECT_TRUE(ran_) << "the chooser did not show";
    EXPECT_FALSE(leftOpen_) << "the chooser was still open after the script";
    return confirmed;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TChooserRun* run = active_;
    if (!run || run->running_) return;  // the script's own message boxes run this loop too
    const HWND dialog = FindThreadWindow(
        GetCurrentThreadId(), [](HWND window) { return HasClass(window, "#32770") && WindowText(window) == kCaption; });
    if (!dialog || !IsWindowVisible(dialog)) return;
    if (run->ran_) {
      run->leftOpen_ = true;
      EndDialog(dialog, IDCANCEL);
      return;
    }
    run->ran_ = run->running_ = true;
    run->script_(dialog);
    run->running_ = false;
  }

  static inline TChooserRun* active_ = nullptr;
  std::function<void(HWND)> script_;
  bool ran_ = false;
  bool running_ = false;
  bool leftOpen_ = false;
};

class FolderChooserTest : public testing::Test {
 protected:
  void SetUp() override {
    MakeFolder(temp_ / "b");
    MakeFolder(temp_ / "a");
    MakeFolder(temp_ / "a\\inner");
    PutFile(temp_ / "g.txt", "");
    PutFile(temp_ / "f.txt", "");
    ASSERT_TRUE(SetCurrentDirectoryA(temp_.Path().c_str()));
    start_ = CurrentFolder();
  }
  // The chooser leaves the current folder inside the temp folder, which could not be removed then.
  void TearDown() override { SetCurrentDirectoryA("C:\\"); }

  // The folder list's entries from the root down to the temp folder, then `below`.
  std::vector<std::string> Entries(std::vector<std::string> below) const {
    std::vector<std::string> entries{start_.substr(0, 3)};  // "C:\"
    std::string rest = start_.substr(3);
    for (std::size_t cut; (cut = rest.find('\\')) != std::string::npos; rest.erase(0, cut + 1)) {
      entries.push_back(rest.substr(0, cut));
    }
    entries.push_back(rest);
    entries.insert(entries.end(), below.begin(), below.end());
    return entries;
  }

  TTempFolder temp_;
  std::string start_;
};

TEST_F(FolderChooserTest, OpensAtTheCurrentFolderWithItsContents) {
  std::string directory;
  EXPECT_FALSE(TChooserRun([&](HWND dialog) {
                 EXPECT_EQ(WindowText(dialog), kCaption);
                 RECT client{}, window{};
                 GetClientRect(dialog, &client);
                 EXPECT_EQ(client.right, 424);
                 EXPECT_EQ(client.bottom, 255);
                 GetWindowRect(dialog, &window);
                 EXPECT_NEAR(window.left + window.right, GetSystemMetrics(SM_CXSCREEN), 1);
                 // Another program on the same display may hold the activation, and with it the
                 // focus of every window here.
                 if (GetFocus()) {
                   EXPECT_EQ(GetFocus(), GetDlgItem(dialog, fcFolderList));
                 }
                 ExpectShown(dialog, start_, Entries({"a", "b"}), Entries({}).back(), {"f.txt", "g.txt"});
                 EXPECT_EQ(WindowText(GetDlgItem(dialog, fcDriveList)).substr(0, 2), start_.substr(0, 2));
                 HMODULE network = GetModuleHandleA("mpr.dll");
                 EXPECT_EQ(GetDlgItem(dialog, fcNetwork) != nullptr, network && GetProcAddress(network, "WNetConnectionDialog"));
                 EXPECT_NE(GetDlgItem(dialog, fcHelp), nullptr);
                 EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
                 Command(dialog, IDCANCEL);
               }).Run(directory));
  EXPECT_EQ(directory, "");
}

struct TMoveCase {
  const char* Name;
  bool ByEnter;
};

void PrintTo(const TMoveCase& c, std::ostream* os) { *os << c.Name; }

class FolderChooserMoveTest : public FolderChooserTest, public testing::WithParamInterface<TMoveCase> {};

TEST_P(FolderChooserMoveTest, MovesTheCurrentFolderDownAndUpAndKeepsItAfterCancel) {
  const bool byEnter = GetParam().ByEnter;
  std::string directory;
  EXPECT_FALSE(TChooserRun([&](HWND dialog) {
                 OpenFolderEntry(dialog, "a", byEnter);
                 EXPECT_EQ(CurrentFolder(), start_ + "\\a");
                 ExpectShown(dialog, start_ + "\\a", Entries({"a", "inner"}), "a", {});
                 OpenFolderEntry(dialog, Entries({}).back(), byEnter);
                 ExpectShown(dialog, start_, Entries({"a", "b"}), Entries({}).back(), {"f.txt", "g.txt"});
                 OpenFolderEntry(dialog, "b", byEnter);
                 Command(dialog, IDCANCEL);
               }).Run(directory));
  EXPECT_EQ(CurrentFolder(), start_ + "\\b") << "the chooser leaves the current folder where its list was";
  EXPECT_EQ(directory, "");
}

INSTANTIATE_TEST_SUITE_P(Ways, FolderChooserMoveTest, testing::Values(TMoveCase{"DoubleClick", false}, TMoveCase{"Enter", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FolderChooserTest, OkOnAnExistingFolderReturnsItWithoutAsking) {
  std::string directory;
  std::optional<TMessageBoxWatcher> watcher;
  EXPECT_TRUE(TChooserRun([&](HWND dialog) {
                watcher.emplace(std::vector<int>{});
                OpenFolderEntry(dialog, "b", false);
                Command(dialog, IDOK);
              }).Run(directory));
  EXPECT_EQ(directory, start_ + "\\b");
  EXPECT_TRUE(watcher->Seen().empty());
}

TEST_F(FolderChooserTest, OkOnAMissingFolderAsksAndKeepsTheTypedText) {
  const std::string typed = "new\\sub\\";
  std::string directory = "unchanged";
  std::optional<TMessageBoxWatcher> watcher;
  EXPECT_TRUE(TChooserRun([&](HWND dialog) {
                // Made only now: the watcher takes every dialog box that comes after it for a
                // message box.
                watcher.emplace(std::vector<int>{IDNO, IDYES});
                SetDlgItemTextA(dialog, fcNameEdit, typed.c_str());
                Command(dialog, IDOK);
                EXPECT_EQ(WindowText(GetDlgItem(dialog, fcNameEdit)), typed);
                EXPECT_TRUE(IsWindowVisible(dialog)) << "still open: a dialog that ends is hidden at once";
                Command(dialog, IDOK);
              }).Run(directory));
  EXPECT_EQ(directory, typed);
  EXPECT_FALSE(FileExists(temp_ / "new")) << "creating is the caller's business";
  ASSERT_EQ(watcher->Seen().size(), 2u);
  const TMessageBoxSeen& box = watcher->Seen()[0];
  EXPECT_EQ(box.Caption, "確認");
  EXPECT_EQ(box.Text, "指定されたディレクトリが存在しません。作成しますか？");
  EXPECT_EQ(box.Buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(box.DefaultButton, IDYES);
  EXPECT_TRUE(box.IconShown);
}

// The second bytes of 表 and ソ are 0x5C, the byte of "\".
TEST_F(FolderChooserTest, EntersFoldersWhoseNamesEndInTheSeparatorByte) {
  MakeFolder(temp_ / "表");
  MakeFolder(temp_ / "表\\ソ");
  PutFile(temp_ / "表\\ソ\\表.txt", "");
  const std::string folder = start_ + "\\表\\ソ";
  std::string directory;
  EXPECT_TRUE(TChooserRun([&](HWND dialog) {
                OpenFolderEntry(dialog, "表", false);
                OpenFolderEntry(dialog, "ソ", false);
                ExpectShown(dialog, folder, Entries({"表", "ソ"}), "ソ", {"表.txt"});
                Command(dialog, IDOK);
              }).Run(directory));
  EXPECT_EQ(directory, folder);
  EXPECT_EQ(CurrentFolder(), folder);
}

TEST_F(FolderChooserTest, ChoosingADriveMovesTheListThere) {
  std::string directory;
  TChooserRun([&](HWND dialog) {
    HWND drives = GetDlgItem(dialog, fcDriveList);
    const auto index = SendMessageA(drives, CB_FINDSTRING, -1, reinterpret_cast<LPARAM>("Z:"));
    ASSERT_GE(index, 0) << "Wine maps Z: to the machine's root";
    SendMessageA(drives, CB_SETCURSEL, index, 0);
    Command(dialog, fcDriveList, CBN_SELENDOK);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, fcNameEdit)).substr(0, 3), "Z:\\");
    EXPECT_EQ(ListItems(GetDlgItem(dialog, fcFolderList)).at(0), "Z:\\");
    EXPECT_EQ(WindowText(drives).substr(0, 2), "Z:");
    Command(dialog, IDCANCEL);
  }).Run(directory);
  EXPECT_EQ(CurrentFolder().substr(0, 3), "Z:\\");
}

struct TCreateCase {
  const char* Name;
  std::string Path;  // below the temp folder
  const char* File;  // a file made there first, or null
  bool Result;
};

const TCreateCase kCreateCases[] = {
    {"ThreeMissingLevels", "a\\b\\c", nullptr, true},
    {"TrailingSeparator", "a\\b\\", nullptr, true},
    {"FileInTheWay", "f\\x", "f", false},
    {"FileOfTheName", "f", "f", false},
    {"JapaneseLevels", "表\\ソフト\\ソ", nullptr, true},
    {"JapaneseFileInTheWay", "表\\ソ\\x", "表", false},
};

void PrintTo(const TCreateCase& c, std::ostream* os) { *os << c.Name; }

class ForceDirectoriesOnDiskTest : public testing::TestWithParam<TCreateCase> {};

TEST_P(ForceDirectoriesOnDiskTest, CreatesRealFolders) {
  const TCreateCase& c = GetParam();
  TTempFolder temp;
  if (c.File) PutFile(temp / c.File, "x");
  TWin32FolderSystem folders;
  EXPECT_EQ(ForceDirectories(temp / c.Path, folders), c.Result);
  EXPECT_EQ(folders.IsFolder(temp / c.Path), c.Result);
  if (c.File) {
    EXPECT_EQ(FileContent(temp / c.File), "x");
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, ForceDirectoriesOnDiskTest, testing::ValuesIn(kCreateCases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
