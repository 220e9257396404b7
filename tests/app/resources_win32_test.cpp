#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/res/resource.h"
#include "app/resources_win32.h"
#include "tests/support/canvas_win32.h"
#include "tests/support/version_info_win32.h"

namespace {

// A colour no picture uses, so that every pixel showing it is one the picture left transparent.
constexpr COLORREF kBackground = RGB(0, 128, 128);

bool IsRed(COLORREF c) { return GetRValue(c) >= 180 && GetGValue(c) <= 80 && GetBValue(c) <= 80; }
bool IsWhite(COLORREF c) { return GetRValue(c) >= 240 && GetGValue(c) >= 240 && GetBValue(c) >= 240; }
// Leather browns, from the cover's shadow to its light: red above green above blue, all muted.
bool IsBrown(COLORREF c) {
  int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  return r >= 60 && r <= 210 && r > g + 25 && g > b + 10;
}

template <typename Predicate>
int CountPixels(const TCanvas& canvas, int width, int height, Predicate predicate) {
  int count = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (predicate(canvas.Pixel(x, y))) ++count;
  return count;
}

HINSTANCE ThisModule() { return GetModuleHandleA(nullptr); }

// --- The program's icon ----------------------------------------------------------------------------

class AppIconTest : public ::testing::TestWithParam<int> {};

TEST_P(AppIconTest, LoadsAtTheAskedSizeWithATransparentMask) {
  const int size = GetParam();
  TIcon icon = LoadAppIcon(ThisModule(), size);
  ASSERT_NE(icon.Get(), nullptr);

  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
  BITMAP colour = {}, mask = {};
  GetObjectA(info.hbmColor, sizeof(colour), &colour);
  GetObjectA(info.hbmMask, sizeof(mask), &mask);
  EXPECT_TRUE(info.fIcon);
  EXPECT_EQ(colour.bmWidth, size);
  EXPECT_EQ(colour.bmHeight, size);
  EXPECT_EQ(mask.bmWidth, size);

  // The mask, one bit a pixel: set where the icon lets the background through.
  std::vector<uint8_t> bits(4 * size * size);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } maskInfo = {};
  maskInfo.header.biSize = sizeof(maskInfo.header);
  maskInfo.header.biWidth = size;
  maskInfo.header.biHeight = size;
  maskInfo.header.biPlanes = 1;
  maskInfo.header.biBitCount = 1;
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, info.hbmMask, 0, size, bits.data(), reinterpret_cast<BITMAPINFO*>(&maskInfo),
                       DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ASSERT_EQ(rows, size);
  const int stride = (size + 31) / 32 * 4;
  int transparent = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (bits[y * stride + x / 8] & (0x80 >> (x % 8))) ++transparent;
  EXPECT_GT(transparent, 0) << "the mask is all opaque";
  EXPECT_LT(transparent, size * size / 2) << "the icon is mostly transparent";
}

// Drawn on a plain background: the corner is transparent, the pages are white and the arrow red,
// each a fair share of the icon.
TEST_P(AppIconTest, DrawsPagesAndTheArrowOverTheBackground) {
  const int size = GetParam();
  TIcon icon = LoadAppIcon(ThisModule(), size);
  ASSERT_NE(icon.Get(), nullptr);
  TCanvas canvas(size, size, kBackground);
  ASSERT_TRUE(canvas.Valid());
  ASSERT_TRUE(DrawIconEx(canvas.Dc(), 0, 0, icon.Get(), size, size, 0, nullptr, DI_NORMAL));

  EXPECT_EQ(canvas.Pixel(0, 0), kBackground);
  const int share = size * size / 16;
  EXPECT_GE(CountPixels(canvas, size, size, IsWhite), share);
  EXPECT_GE(CountPixels(canvas, size, size, IsRed), share);
}

// Windows scales the nearest image for a size the icon lacks, blurred: each size the shell shows
// is drawn, 256 (written as 0) for the largest views of Explorer.
TEST(AppIconTest, HoldsAnImageForEachSizeTheShellShows) {
#pragma pack(push, 2)
  struct TGroupEntry {
    BYTE Width, Height, Colours, Reserved;
    WORD Planes, BitCount;
    DWORD Bytes;
    WORD Id;
  };
#pragma pack(pop)
  HRSRC found = FindResourceA(ThisModule(), MAKEINTRESOURCEA(IDI_APPICON), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr);
  const auto* group = static_cast<const WORD*>(LockResource(LoadResource(ThisModule(), found)));
  ASSERT_NE(group, nullptr);
  const auto* entries = reinterpret_cast<const TGroupEntry*>(group + 3);
  std::vector<int> sizes;
  for (int i = 0; i < group[2]; ++i) sizes.push_back(entries[i].Width == 0 ? 256 : entries[i].Width);
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, AppIconTest, ::testing::Values(256, 48, 32, 16));

// --- The rule tree's pictures ----------------------------------------------------------------------

TEST(RuleImagesTest, HoldsTwoSixteenPixelPictures) {
  TImageList list = CreateRuleImageList(ThisModule());
  ASSERT_NE(list.Get(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list.Get()), 2);
  int width = 0, height = 0;
  ASSERT_TRUE(ImageList_GetIconSize(list.Get(), &width, &height));
  EXPECT_EQ(width, kRuleImageSize);
  EXPECT_EQ(height, kRuleImageSize);
}

struct TPictureCase {
  const char* Name;
  int Index;
  bool (*Characteristic)(COLORREF);  // the colour the picture is mostly made of
  bool (*Foreign)(COLORREF);         // a colour it must not show
};

void PrintTo(const TPictureCase& picture, std::ostream* out) { *out << picture.Name; }

class RuleImageTest : public ::testing::TestWithParam<TPictureCase> {};

// The left corners are transparent in both pictures: a list without its mask would show them
// magenta or black instead of the background.
TEST_P(RuleImageTest, DrawsMaskedWithItsOwnColours) {
  const TPictureCase& picture = GetParam();
  TImageList list = CreateRuleImageList(ThisModule());
  ASSERT_NE(list.Get(), nullptr);
  TCanvas canvas(kRuleImageSize, kRuleImageSize, kBackground);
  ASSERT_TRUE(canvas.Valid());
  ASSERT_TRUE(ImageList_Draw(list.Get(), picture.Index, canvas.Dc(), 0, 0, ILD_NORMAL));

  EXPECT_EQ(canvas.Pixel(0, 0), kBackground);
  EXPECT_EQ(canvas.Pixel(0, kRuleImageSize - 1), kBackground);
  EXPECT_EQ(CountPixels(canvas, kRuleImageSize, kRuleImageSize,
                        [](COLORREF c) { return c == RGB(255, 0, 255); }),
            0);
  EXPECT_GE(CountPixels(canvas, kRuleImageSize, kRuleImageSize, picture.Characteristic), 48);
  EXPECT_EQ(CountPixels(canvas, kRuleImageSize, kRuleImageSize, picture.Foreign), 0);
}

INSTANTIATE_TEST_SUITE_P(Pictures, RuleImageTest,
                         ::testing::Values(TPictureCase{"BrownBook", kRootImage, IsBrown, IsWhite},
                                           TPictureCase{"WhiteSheets", kRuleImage, IsWhite, IsBrown}),
                         [](const auto& info) { return std::string(info.param.Name); });

// --- Version information ---------------------------------------------------------------------------

class VersionInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(info_.Empty()) << "no version resource"; }

  std::string Text(const char* name) { return info_.Text(name); }
  std::wstring WideText(const wchar_t* name) { return info_.WideText(name); }

  TVersionInfo info_{ProgramPath()};
};

TEST_F(VersionInfoTest, NumbersComeFromTheProjectVersion) {
  const VS_FIXEDFILEINFO* fixed = info_.Fixed();
  ASSERT_NE(fixed, nullptr);
  ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD expected = MAKELONG(TANDELO_TEST_VERSION_MINOR, TANDELO_TEST_VERSION_MAJOR);
  EXPECT_EQ(fixed->dwFileVersionMS, expected);
  EXPECT_EQ(fixed->dwProductVersionMS, expected);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(Text("FileVersion"), TANDELO_TEST_VERSION_TEXT);
  EXPECT_EQ(Text("ProductVersion"), TANDELO_TEST_VERSION_TEXT);
}

TEST_F(VersionInfoTest, AnnouncesJapaneseInCodePage932) {
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info_.data_.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 932);
}

// The ANSI strings are Shift-JIS bytes (the literals here are compiled to them); the wide ones
// are what Explorer shows, so they must be the right characters and not misread UTF-8.
TEST_F(VersionInfoTest, NamesTheProductInJapanese) {
  EXPECT_EQ(Text("ProductName"), "Tandelo(仮)");
  EXPECT_EQ(Text("FileDescription"), "ファイル複製ツール");
  EXPECT_EQ(Text("OriginalFilename"), "Tandelo.exe");
  EXPECT_EQ(WideText(L"ProductName"), L"Tandelo(\u4eee)");
  EXPECT_EQ(WideText(L"FileDescription"), L"\u30d5\u30a1\u30a4\u30eb\u8907\u88fd\u30c4\u30fc\u30eb");
}

// Explorer's properties show these beside the version: the licence's own copyright line.
TEST_F(VersionInfoTest, CarriesTheLicencesCopyright) {
  EXPECT_EQ(Text("LegalCopyright"), TANDELO_TEST_COPYRIGHT);
  EXPECT_EQ(WideText(L"CompanyName"), L"Tandelo(\u4eee) developers");
}

// --- Manifest --------------------------------------------------------------------------------------

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Version 6 of the common controls is not in the system folder but in the side-by-side store, and
// only the manifest makes the loader pick it. (Its DllGetVersion cannot tell: under Wine it reports
// 5.81 either way.)
TEST(ManifestTest, LoadsVersionSixOfTheCommonControls) {
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_TREEVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&init));
  HMODULE controls = GetModuleHandleA("comctl32.dll");
  ASSERT_NE(controls, nullptr);
  char path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(controls, path, MAX_PATH), 0u);
  const std::string lower = LowerCase(path);
  EXPECT_NE(lower.find("\\winsxs\\"), std::string::npos) << path;
  EXPECT_NE(lower.find("microsoft.windows.common-controls"), std::string::npos) << path;
  EXPECT_NE(lower.find("_6."), std::string::npos) << path;
}

// Without the systems listed, Windows 7 and later run the program with the behaviour of Vista.
TEST(ManifestTest, ListsTheSupportedSystemsFromVistaToEleven) {
  HRSRC found = FindResourceA(ThisModule(), CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(ThisModule(), found))),
                             SizeofResource(ThisModule(), found));
  for (const char* id : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                         "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                         "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
    EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + id + "}\"/>"), std::string::npos) << id;
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
