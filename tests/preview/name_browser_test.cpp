#include "preview/name_browser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/mini_font.h"

namespace {

// A list to browse at 40 pixels (four letters) a line: the second name wraps onto three lines.
class NameBrowse : public testing::Test {
 protected:
  NameBrowse() : layout_(names_, MiniFontAdvance, kMiniFontWidest), browser_(layout_) { browser_.Resize(40, 2); }

  void Press(TCaretMove move, bool extend = false) { browser_.Move(move, extend); }
  std::string Selected() const {
    std::string text(browser_.SelectionSize(), '\0');
    text.resize(browser_.CopySelection(text.data(), text.size()));
    return text;
  }

  std::vector<std::string> names_ = {"ab", "abcdefghjk", "表.t", "x y", "end"};
  TNameLayout layout_;
  TNameBrowser browser_;
};

struct TStep {
  TCaretMove Move;
  bool Extend;
  TTextPos Caret;
  TDisplayLine Top;
};

TEST_F(NameBrowse, CaretKeysWalkTheDisplayLines) {
  // Each step from where the one before left the caret; rows: two lines on screen.
  const std::vector<TStep> steps = {
      {TCaretMove::CharRight, false, {0, 1}, {0, 0}},
      {TCaretMove::LineDown, false, {1, 1}, {0, 0}},
      {TCaretMove::LineDown, false, {1, 5}, {1, 0}},  // the same column on the wrapped line
      {TCaretMove::LineDown, false, {1, 9}, {1, 1}},
      {TCaretMove::LineDown, false, {2, 2}, {1, 2}},  // 表 is 20 pixels: its end is as near
      {TCaretMove::CharRight, false, {2, 3}, {1, 2}},
      {TCaretMove::CharLeft, false, {2, 2}, {1, 2}},
      {TCaretMove::CharLeft, false, {2, 0}, {1, 2}},  // over both bytes of 表, whose second is "\"
      {TCaretMove::CharLeft, false, {1, 10}, {1, 2}},  // to the end of the name before
      {TCaretMove::LineHome, false, {1, 8}, {1, 2}},
      {TCaretMove::LineUp, false, {1, 4}, {1, 1}},
      {TCaretMove::WordRight, false, {1, 10}, {1, 1}},
      {TCaretMove::WordRight, false, {2, 0}, {1, 2}},
      {TCaretMove::ListEnd, false, {4, 3}, {3, 0}},  // the last line at the bottom
      {TCaretMove::WordLeft, false, {4, 0}, {3, 0}},
      {TCaretMove::WordLeft, false, {3, 3}, {3, 0}},
      {TCaretMove::WordLeft, false, {3, 2}, {3, 0}},
      {TCaretMove::PageUp, false, {1, 10}, {1, 2}},  // view and caret two lines up
      {TCaretMove::PageUp, false, {1, 2}, {1, 0}},
      {TCaretMove::PageUp, false, {0, 2}, {0, 0}},
      {TCaretMove::PageDown, false, {1, 6}, {1, 1}},
      {TCaretMove::ListHome, false, {0, 0}, {0, 0}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    Press(steps[i].Move, steps[i].Extend);
    EXPECT_EQ(browser_.Caret(), steps[i].Caret) << "step " << i << ": caret at " << browser_.Caret().Name << ","
                                                << browser_.Caret().Byte;
    EXPECT_EQ(browser_.Top(), steps[i].Top) << "step " << i << ": top at " << browser_.Top().Name << ","
                                            << browser_.Top().Line;
  }
}

TEST_F(NameBrowse, EndStaysOnTheWrappedLine) {
  browser_.PlaceCaret({1, 0}, false, false);
  Press(TCaretMove::LineEnd);
  EXPECT_EQ(browser_.Caret(), (TTextPos{1, 4}));
  EXPECT_TRUE(browser_.CaretAtLineEnd());
  EXPECT_EQ(browser_.CaretLine(), (TDisplayLine{1, 0})) << "not at the start of the next line";
  Press(TCaretMove::LineEnd);
  EXPECT_EQ(browser_.CaretLine(), (TDisplayLine{1, 0})) << "End again goes nowhere";
  Press(TCaretMove::CharRight);
  EXPECT_EQ(browser_.Caret(), (TTextPos{1, 5}));
  EXPECT_EQ(browser_.CaretLine(), (TDisplayLine{1, 1}));
}

TEST_F(NameBrowse, ShiftKeysSelectAcrossNames) {
  browser_.PlaceCaret({0, 1}, false, false);
  Press(TCaretMove::LineDown, true);
  Press(TCaretMove::LineDown, true);
  EXPECT_EQ(Selected(), "b\r\nabcde");
  Press(TCaretMove::CharLeft, true);
  EXPECT_EQ(Selected(), "b\r\nabcd");
  Press(TCaretMove::ListHome, true);
  EXPECT_EQ(Selected(), "a") << "the anchor stays where the selection began";
  Press(TCaretMove::CharRight);
  EXPECT_FALSE(browser_.HasSelection());
}

TEST_F(NameBrowse, SelectAllCopiesTheListAsTheEditWould) {
  browser_.SelectAll();
  std::string copied(browser_.SelectionSize(), '?');
  EXPECT_EQ(browser_.CopySelection(copied.data(), copied.size()), copied.size());
  EXPECT_EQ(copied, "ab\r\nabcdefghjk\r\n表.t\r\nx y\r\nend");
  EXPECT_EQ(browser_.Top(), (TDisplayLine{0, 0})) << "selecting all does not scroll";
  char head[5];
  EXPECT_EQ(browser_.CopySelection(head, sizeof head), sizeof head);
  EXPECT_EQ(std::string(head, sizeof head), "ab\r\na") << "a short buffer takes the beginning";
}

TEST_F(NameBrowse, ADoubleClickSelectsTheWordUnderThePointerAndScrollsNothing) {
  // Row and x of the click: the right half of the space in "x y", 表 of "表.t", past the end of a
  // long word's last line below the view.
  const std::vector<std::pair<std::pair<long, int>, std::string>> clicks = {
      {{5, 15}, "x "}, {{4, 5}, "表"}, {{3, 300}, "abcdefghjk"}};
  for (const auto& [at, word] : clicks) {
    browser_.SelectWord(browser_.CharPlaceAt(at.first, at.second));
    EXPECT_EQ(Selected(), word);
    EXPECT_EQ(browser_.Caret(), browser_.Selection().second) << word;
    EXPECT_EQ(browser_.Top(), (TDisplayLine{0, 0})) << word;
  }
}

TEST_F(NameBrowse, APlacePastAWrappedLineIsItsEnd) {
  bool atLineEnd = false;
  EXPECT_EQ(browser_.PlaceAt(1, 300, atLineEnd), (TTextPos{1, 4}));
  EXPECT_TRUE(atLineEnd);
  EXPECT_EQ(browser_.PlaceAt(0, 300, atLineEnd), (TTextPos{0, 2}));
  EXPECT_FALSE(atLineEnd);
  EXPECT_EQ(browser_.PlaceAt(99, 0, atLineEnd), (TTextPos{4, 0})) << "below the list: its last line";
}

TEST_F(NameBrowse, AResizeKeepsTheFirstCharacterOnScreen) {
  browser_.Scroll(2);
  ASSERT_EQ(browser_.Top(), (TDisplayLine{1, 1}));  // "efgh"
  browser_.Resize(60, 2);                            // "abcdef", "ghij"
  EXPECT_EQ(browser_.Top(), (TDisplayLine{1, 0}));
  browser_.Resize(60, 20);
  EXPECT_EQ(browser_.Top(), (TDisplayLine{0, 0})) << "a view taller than the list shows all of it";
}

TEST(NameBrowseEmpty, AnEmptyListIsOneEmptyLine) {
  const std::vector<std::string> none;
  TNameLayout layout(none, MiniFontAdvance, kMiniFontWidest);
  TNameBrowser browser(layout);
  browser.Resize(100, 10);
  for (const TCaretMove move : {TCaretMove::CharRight, TCaretMove::LineDown, TCaretMove::PageDown,
                                TCaretMove::ListEnd, TCaretMove::WordLeft}) {
    browser.Move(move, true);
    EXPECT_EQ(browser.Caret(), (TTextPos{0, 0}));
  }
  browser.SelectAll();
  EXPECT_FALSE(browser.HasSelection());
  EXPECT_EQ(browser.SelectionSize(), 0u);
}

// A long list is browsed through the lines on screen only: the end is reached and shown with its
// last line at the bottom, whatever the length.
TEST(NameBrowseLong, TheEndOfAMillionNamesIsAtTheBottom) {
  std::vector<std::string> names(1000000, "ab");
  names.back() = "abcdefghjk";  // three lines at 40 pixels
  TNameLayout layout(names, MiniFontAdvance, kMiniFontWidest);
  TNameBrowser browser(layout);
  browser.Resize(40, 10);
  browser.Move(TCaretMove::ListEnd, false);
  EXPECT_EQ(browser.Top(), (TDisplayLine{names.size() - 8, 0}));
  EXPECT_EQ(browser.CaretRow(), 9);
  browser.Move(TCaretMove::PageUp, false);
  EXPECT_EQ(browser.Top(), (TDisplayLine{names.size() - 18, 0}));
  browser.Scroll(1000);
  EXPECT_EQ(browser.Top(), (TDisplayLine{names.size() - 8, 0})) << "no further than the last page";
}

}  // namespace
