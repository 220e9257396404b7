#include "widgets/glyph_layout.h"

#include <gtest/gtest.h>

namespace {

struct TLayoutCase {
  const char* name;
  TGlyphExtent client;
  TGlyphExtent glyph;
  TGlyphExtent caption;
  int layout;
  int margin;
  int spacing;
  unsigned flags;
  TGlyphPlacement expected;
};

// A 16-pixel picture and a 30-pixel caption in a 100 by 20 face, unless a case says otherwise.
constexpr TGlyphExtent kFace = {100, 20};
constexpr TGlyphExtent kGlyph = {16, 16};
constexpr TGlyphExtent kCaption = {30, 12};

const TLayoutCase kCases[] = {
    {"EqualThirds", kFace, kGlyph, kCaption, lkGlyphLeft, -1, -1, 0, {18, 2, 52, 4}},
    {"CentredBlock", kFace, kGlyph, kCaption, lkGlyphLeft, -1, 4, 0, {25, 2, 45, 4}},
    {"SpacingFromMargin", kFace, kGlyph, kCaption, lkGlyphLeft, 5, -1, 0, {5, 2, 45, 4}},
    {"BothGiven", kFace, kGlyph, kCaption, lkGlyphLeft, 3, 7, 0, {3, 2, 26, 4}},
    {"GlyphRight", kFace, kGlyph, kCaption, lkGlyphRight, 5, 4, 0, {79, 2, 45, 4}},
    // Right-to-left text puts a left picture on the right, and the other way round.
    {"RightToLeftSwapsLeft", kFace, kGlyph, kCaption, lkGlyphLeft, 5, 4, kLayoutRightToLeft, {79, 2, 45, 4}},
    {"RightToLeftSwapsRight", kFace, kGlyph, kCaption, lkGlyphRight, 5, 4, kLayoutRightToLeft, {5, 2, 25, 4}},
    {"RightToLeftKeepsTop", {40, 60}, kGlyph, kCaption, lkGlyphTop, 5, 4, kLayoutRightToLeft, {12, 5, 5, 25}},
    {"GlyphTop", {40, 60}, kGlyph, kCaption, lkGlyphTop, -1, -1, 0, {12, 10, 5, 36}},
    // Odd room across: the half pixel goes to the left, (41 - 30 + 1) / 2 = 6.
    {"GlyphTopOddRoom", {41, 60}, kGlyph, kCaption, lkGlyphTop, -1, -1, 0, {13, 10, 6, 36}},
    {"GlyphBottom", {40, 60}, kGlyph, kCaption, lkGlyphBottom, 5, 4, 0, {12, 39, 5, 23}},
    // Too small a face: the free room is negative and divides toward zero, (-5 - 46) / 3 = -17 and
    // (10 - 12 + 1) / 2 = 0, not -1.
    {"NegativeThirds", {-5, 20}, kGlyph, kCaption, lkGlyphLeft, -1, -1, 0, {-17, 2, -18, 4}},
    {"NegativeCentred", {20, 10}, kGlyph, kCaption, lkGlyphLeft, -1, 4, 0, {-14, -2, 6, 0}},
    // No picture: spacing drops out (even a -1 one) and the caption is centred, (CW - TW + 1) / 2.
    {"CaptionOnly", {75, 23}, {0, 0}, {30, 12}, lkGlyphLeft, -1, 4, 0, {23, 12, 23, 6}},
    {"CaptionOnlyOddRoom", {74, 22}, {0, 0}, {30, 13}, lkGlyphLeft, -1, 4, 0, {22, 11, 22, 5}},
    {"NothingAtAll", {10, 10}, {0, 0}, {0, 0}, lkGlyphLeft, -1, -1, 0, {5, 5, 5, 5}},
};

class ComputeLayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(ComputeLayoutTest, PlacesPictureAndCaption) {
  const TLayoutCase& c = GetParam();
  const TGlyphPlacement p = ComputeLayout(c.client, c.glyph, c.caption, c.layout, c.margin, c.spacing, c.flags);
  EXPECT_EQ(p.glyphX, c.expected.glyphX);
  EXPECT_EQ(p.glyphY, c.expected.glyphY);
  EXPECT_EQ(p.captionX, c.expected.captionX);
  EXPECT_EQ(p.captionY, c.expected.captionY);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComputeLayoutTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TLayoutCase>& info) { return info.param.name; });

}  // namespace
