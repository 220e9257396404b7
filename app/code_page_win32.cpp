#include "app/code_page_win32.h"

#include <windows.h>

#include <cwchar>

#include "tandelo_version.h"

namespace {

constexpr UINT kJapaneseCodePage = 932;

const wchar_t kNeedsJapanese[] =
    L"Tandelo(仮) は日本語の文字コード (コード ページ 932) で動きますが、この Windows のコード ページは %u"
    L" のため起動できません。\n"
    L"Windows 11 ではそのまま動きます。Windows 10 以前では、コントロール パネルの [地域] → [管理] → "
    L"[システム ロケールの変更] で「日本語 (日本)」を選び、「ベータ: ワールドワイド言語サポートで Unicode UTF-8 "
    L"を使用」のチェックを外して、Windows を再起動してください。\n\n"
    L"Tandelo(仮) works in the Japanese code page (932), but this Windows uses code page %u, so it cannot "
    L"start.\n"
    L"Windows 11 runs it as it is. On Windows 10 and earlier, open Control Panel > Region > Administrative > "
    L"Change system locale, choose \"Japanese (Japan)\", clear \"Beta: Use Unicode UTF-8 for worldwide "
    L"language support\", and restart Windows.";

}  // namespace

bool HasJapaneseCodePage() {
  const UINT codePage = GetACP();
  if (codePage == kJapaneseCodePage) return true;
  wchar_t text[sizeof kNeedsJapanese / sizeof kNeedsJapanese[0] + 32];
  std::swprintf(text, sizeof text / sizeof text[0], kNeedsJapanese, codePage, codePage);
  MessageBoxW(nullptr, text, L"" TANDELO_TITLE, MB_OK | MB_ICONERROR);
  return false;
}
