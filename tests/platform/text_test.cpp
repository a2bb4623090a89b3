#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

constexpr uint32_t kInk = 0xFF3FFF3F;

bool SameGlyph(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a, b, 8) == 0;
}

// True when the 8x8 cell at (left, top) of the work page shows the byte's glyph in `ink` on 0.
bool CellShows(int left, int top, uint8_t byte, uint32_t ink) {
  const uint8_t* rows = platform::Glyph(byte);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c)
      if (platform::Point(nullptr, left + c, top + r) != ((rows[r] & (0x80 >> c)) ? ink : 0u))
        return false;
  return true;
}

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetPlatform();
    platform::Color(kInk);
  }
  void TearDown() override { testsupport::ResetPlatform(); }
  // A window of columns x rows cells (plus extra pixels), work page 1, filled with `fill`.
  static void Open(int columns, int rows, uint32_t fill = 0x12345678, int extra = 0) {
    ASSERT_EQ(platform::ScreenRes(columns * 8 + extra, rows * 8 + extra, 32, 2, 0), 0);
    platform::PageSet(1, 0);
    platform::Line(nullptr, 0, 0, INT_MAX, INT_MAX, fill, platform::kFilledBox);
  }
  static void ExpectCursor(int row, int column) {
    EXPECT_EQ(platform::CursorRow(), row);
    EXPECT_EQ(platform::CursorColumn(), column);
  }
};

TEST_F(Text, EveryPrintableByteHasItsOwnGlyphAndTheRestShareABox) {
  const uint8_t* box = platform::Glyph(0);
  std::set<std::vector<uint8_t>> seen;
  for (int b = 0; b < 256; ++b) {
    const uint8_t* g = platform::Glyph(static_cast<uint8_t>(b));
    if (b >= 32 && b <= 126) {
      EXPECT_FALSE(SameGlyph(g, box)) << b;
      EXPECT_TRUE(seen.insert(std::vector<uint8_t>(g, g + 8)).second) << "duplicate " << b;
      const bool blank = std::vector<uint8_t>(g, g + 8) == std::vector<uint8_t>(8, 0);
      EXPECT_EQ(blank, b == ' ') << b;
    } else {
      EXPECT_TRUE(SameGlyph(g, box)) << b;
    }
  }
  // The placeholder is visible: its frame has set pixels on all four sides.
  EXPECT_NE(box[0], 0);
  EXPECT_NE(box[6], 0);
  for (int r = 0; r < 7; ++r) EXPECT_TRUE(box[r] & 0x80) << r;
}

TEST_F(Text, DrawStringWritesOnlyTheSetPixelsAndClips) {
  platform::IMAGE* image = platform::ImageCreate(20, 10, 0x11111111);
  ASSERT_EQ(platform::DrawString(image, 3, 1, "A\x1b", kInk), 0);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      uint32_t want = 0x11111111;
      const int gx = x - 3, gy = y - 1;
      if (gx >= 0 && gx < 16 && gy >= 0 && gy < 8) {
        const uint8_t* g = platform::Glyph(gx < 8 ? 'A' : 27);
        if (g[gy] & (0x80 >> (gx % 8))) want = kInk;
      }
      ASSERT_EQ(platform::Point(image, x, y), want) << x << "," << y;
    }
  }

  // Far off to the left, only the glyphs reaching into the image draw.
  platform::IMAGE* clip = platform::ImageCreate(8, 8, 0);
  const std::string long_text(1 << 20, 'M');
  ASSERT_EQ(platform::DrawString(clip, INT_MIN, 0, long_text, kInk), 0);
  ASSERT_EQ(platform::DrawString(clip, -8 * 1000 - 4, 0, std::string(1000, ' ') + "H", kInk), 0);
  const uint8_t* h = platform::Glyph('H');
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(platform::Point(clip, x, y), x < 4 && (h[y] & (0x80 >> (x + 4))) ? kInk : 0u);
  platform::IMAGE* empty = platform::ImageCreate(8, 8, 0);
  for (auto [x, y] : std::vector<std::pair<int, int>>{
           {INT_MAX, 0}, {0, INT_MAX}, {0, INT_MIN}, {8, 0}, {0, 8}, {-16, 0}, {0, -8}})
    EXPECT_EQ(platform::DrawString(empty, x, y, "WW", kInk), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(platform::Point(empty, x, y), 0u);

  EXPECT_EQ(platform::DrawString(nullptr, 0, 0, "x", kInk), 1);  // no window
  platform::ImageDestroy(image);
  platform::ImageDestroy(clip);
  platform::ImageDestroy(empty);
}

TEST_F(Text, PrintPaintsCellsAndMovesTheCursor) {
  Open(5, 3);
  platform::Print("Hi", false);
  ExpectCursor(1, 3);
  EXPECT_TRUE(CellShows(0, 0, 'H', kInk));
  EXPECT_TRUE(CellShows(8, 0, 'i', kInk));
  EXPECT_EQ(platform::Point(nullptr, 16, 0), 0x12345678u);  // the next cell is untouched
  platform::Print("!");
  ExpectCursor(2, 1);
  EXPECT_TRUE(CellShows(16, 0, '!', kInk));
  platform::Print("");
  ExpectCursor(3, 1);
  // Control bytes are shown, not obeyed.
  platform::Print("\r\n\x1b", false);
  ExpectCursor(3, 4);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(CellShows(8 * i, 16, 1, kInk)) << i;

  platform::Locate(2, 4);
  ExpectCursor(2, 4);
  platform::Color(0xFF0000FF);
  platform::Print(" ", false);
  EXPECT_TRUE(CellShows(24, 8, ' ', 0xFF0000FF));  // a blank clears its cell to 0
  EXPECT_EQ(platform::CurrentColor(), 0xFF0000FFu);
}

TEST_F(Text, PrintWritesPlainlyWhereDrawStringBlends) {
  ASSERT_EQ(platform::ScreenRes(16, 8, 32, 2, 64), 0);
  platform::Color(0x80FF0000);
  platform::Print("#", false);
  EXPECT_TRUE(CellShows(0, 0, '#', 0x80FF0000));
  platform::DrawString(nullptr, 8, 0, "#", 0x80FF0000);
  EXPECT_EQ(platform::Point(nullptr, 9, 0), 0x407F0000u);  // '#' row 0 has its pixel 1 set
}

TEST_F(Text, PrintWrapsAtTheRightEdgeWithoutAnEmptyRow) {
  Open(4, 3);
  platform::Print("abcd", false);
  ExpectCursor(1, 5);  // past the last column until the next byte
  platform::Print("ef", false);
  ExpectCursor(2, 3);
  EXPECT_TRUE(CellShows(0, 8, 'e', kInk));
  platform::Print("gh");  // fills row 2 exactly; the line end goes to row 3, not row 4
  ExpectCursor(3, 1);
  EXPECT_TRUE(CellShows(24, 8, 'h', kInk));
  EXPECT_EQ(platform::Point(nullptr, 0, 16), 0x12345678u);
  // A prompt's spinner in the last column: one column left is back on it.
  platform::Print("wxyz", false);
  platform::Locate(platform::CursorRow(), platform::CursorColumn() - 1);
  ExpectCursor(3, 4);
}

TEST_F(Text, PrintScrollsTheWholePageAtTheBottom) {
  Open(3, 2, 0x12345678, 3);  // 27 x 19 pixels: three columns, two rows, a margin
  platform::Print("ab");
  platform::Print("cd", false);
  ExpectCursor(2, 3);
  EXPECT_EQ(platform::Point(nullptr, 26, 18), 0x12345678u);
  platform::Print("");  // the line end on the last row scrolls
  ExpectCursor(2, 1);
  EXPECT_TRUE(CellShows(0, 0, 'c', kInk));
  EXPECT_TRUE(CellShows(8, 0, 'd', kInk));
  EXPECT_EQ(platform::Point(nullptr, 26, 0), 0x12345678u);  // the margin moved up too
  EXPECT_EQ(platform::Point(nullptr, 26, 10), 0x12345678u);
  for (int y = 11; y < 19; ++y)
    for (int x = 0; x < 27; ++x) ASSERT_EQ(platform::Point(nullptr, x, y), 0u) << x << "," << y;
  // Wrapping past the bottom scrolls as well.
  platform::Print("efgh", false);
  ExpectCursor(2, 2);
  EXPECT_TRUE(CellShows(0, 0, 'e', kInk));
  EXPECT_TRUE(CellShows(0, 8, 'h', kInk));
}

TEST_F(Text, LocateClampsAndANewWindowOrClsHomesTheCursor) {
  Open(10, 4);
  const std::vector<std::tuple<int, int, int, int>> cases = {{3, 7, 3, 7},
                                                             {0, 0, 1, 1},
                                                             {-5, 99, 1, 10},
                                                             {4, 10, 4, 10},
                                                             {5, 11, 4, 10},
                                                             {INT_MIN, INT_MAX, 1, 10},
                                                             {INT_MAX, INT_MIN, 4, 1}};
  for (auto [row, column, want_row, want_column] : cases) {
    platform::Locate(row, column);
    ExpectCursor(want_row, want_column);
  }
  platform::Cls();
  ExpectCursor(1, 1);
  platform::Locate(3, 3);
  Open(2, 2);
  ExpectCursor(1, 1);
  // A window smaller than a cell still has one cell, clipped.
  ASSERT_EQ(platform::ScreenRes(5, 3, 32, 1, 0), 0);
  platform::Print("ab");
  ExpectCursor(1, 1);
  platform::Screen(0);
  platform::Print("no window");
  ExpectCursor(1, 1);
}

}  // namespace
