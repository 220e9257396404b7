// A job on a system whose code page is not Japanese: the driver runs under such a locale (its own
// manifest keeps its Shift-JIS texts right), and so does the program it starts.
#include <cstring>

#include "tests/e2e/harness_win32.h"

namespace e2e {

namespace {

// The names in `folder`, read through the Unicode interface: the names on disk, whatever any
// code page makes of them.
std::vector<std::wstring> WideNames(const std::string& folder) {
  std::wstring pattern(folder.size() + 2, L'\0');
  pattern.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, folder.data(), static_cast<int>(folder.size()),
                                                              pattern.data(), static_cast<int>(pattern.size()))));
  pattern += L"\\*";
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..") names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Puts `text` on the clipboard as Unicode. Typed, a character reaches a window of the program in
// the code page of the keyboard's language, which here is not Japanese (a user typing Japanese
// would use a Japanese input method); pasted, it arrives as the characters themselves.
void PutOnClipboard(const std::wstring& text) {
  Require(OpenClipboard(nullptr) != FALSE, "the clipboard cannot be opened");
  EmptyClipboard();
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory) {
    std::memcpy(GlobalLock(memory), text.c_str(), size);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

}  // namespace

// A fixed rule "報告" made into a copy named 報告.txt, in a folder with a Japanese name.
void JapaneseNameUnderAnyCodePage(const TTempFolder& temp) {
  Require(GetACP() == 932, "the driver does not run with code page 932");
  const std::string source = temp.Path() + "\\report.txt";
  const std::string output = temp.Path() + "\\出力";
  PutFile(source, kSourceContent);

  WithProgram([&](TUser& user, const TMainWindow& w) {
    Log("add a rule and make it the fixed text 報告");
    SelectRow(user, w, 0, 0, "the root");
    user.ClickOn(w.RuleMenuButton);
    ChooseAdd(user, WaitForRuleMenu(w.ProcessId));
    Require(WaitUntil([&] { return TreeCount(w.Tree) == 2; }), "choosing \"add\" added no rule");
    SelectRow(user, w, 1, 1, "the rule");
    user.ClickOn(w.KindList);
    const HWND dropDown = WaitForTop(w.ProcessId, kDropDownClass, nullptr, "drop-down list of kinds");
    user.Press(w.Form, VK_DOWN);
    user.Press(w.Form, VK_DOWN);
    user.Press(w.Form, VK_RETURN);
    WaitGone(dropDown, "the drop-down list of kinds");
    std::vector<HWND> fields;
    Require(WaitUntil([&] { return (fields = ShownFields(w.ParamPanel)).size() == 1; }),
            "the fixed kind shows no text field");
    PutOnClipboard(L"報告");
    user.ClickOn(fields[0]);
    Require(WaitUntil([&] { return FocusOf(w.Thread) == fields[0]; }), "the fixed text field has no focus");
    user.Chord(w.Form, {VK_CONTROL, 'V'});
    Require(WaitUntil([&] { return TextOf(fields[0]) == "報告"; }),
            "the fixed text field shows \"" + Ascii(TextOf(fields[0])) + "\"");

    user.ClickOn(w.SourceButton);
    AnswerOpenDialog(user, w, source);
    user.ClickOn(w.FolderButton);
    AnswerFolderChooser(user, w, output);

    Log("run the copy");
    Require(WaitUntil([&] { return IsWindowEnabled(w.RunButton) != FALSE; }), "the run button is disabled");
    user.ClickOn(w.RunButton);
    const HWND doneBox = WaitForBox(w.ProcessId, kTitle, kCopyDone, "the message of a finished copy");
    user.Press(doneBox, VK_RETURN);
    WaitGone(doneBox, "the message of a finished copy");
    const std::vector<std::wstring> names = WideNames(output);
    Require(names == std::vector<std::wstring>{L"報告.txt"}, "the copy is not named 報告.txt");
    Require(FileContent(output + "\\報告.txt") == kSourceContent, "the copy does not hold the source's bytes");
  });
}

}  // namespace e2e
