#include "Support/VGA Lookup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

static constexpr char MODULE_NAME[] = "tests/vga_lookup";

namespace {

using supporttest::WriteFile;

class VgaLookup : public testing::Test {
 protected:
  void SetUp() override { testsupport::ResetPlatform(); }
  void TearDown() override { testsupport::ResetPlatform(); }

  // Entry `index` of a fresh table loaded from a file holding `bytes`.
  static uint64_t EntryOf(const std::string& bytes, int32_t index) {
    WriteFile("palette", bytes);
    rt::Array<std::string> table;
    return VGA_LOOKUP2(table, index, "palette");
  }

  supporttest::ScratchDir scratch;
};

TEST_F(VgaLookup, ReadsEachEntryAsAnUnsignedNumber) {
  struct Case {
    std::string line;
    uint64_t value;
  };
  for (const Case& c : {
           Case{"\"&HFFFF0000\"", 0xFFFF0000u},
           Case{"4294901760", 0xFFFF0000u},
           Case{"\"\"\"\"12\"\"", 12},  // every surrounding quote goes
           Case{" 12", 12},
           Case{"\" 7 \"", 7},  // blanks are kept, then skipped by the reading
           Case{"12 ABC", 12},
           Case{"ABC", 0},
           Case{"", 0},
           Case{"\"\"\"", 0},
           Case{"1\"2", 1},
           Case{"&hff", 255},
           Case{"&HFFz", 255},
           Case{"&O17", 15},
           Case{"&o17", 15},
           Case{"&B101", 5},
           Case{"&b1012", 5},
           Case{"&H", 0},
           Case{"&X12", 0},
           Case{"18446744073709551615", UINT64_MAX},
           Case{"&HFFFFFFFFFFFFFFFF", UINT64_MAX},
       }) {
    EXPECT_EQ(EntryOf(c.line, 0), c.value) << c.line;
  }
}

TEST_F(VgaLookup, SplitsAtCrLfOnly) {
  struct Case {
    std::string bytes;
    int32_t ubound;
    int32_t index;
    uint64_t value;
  };
  for (const Case& c : {
           Case{"1\r\n2\r\n3", 2, 2, 3},
           Case{"1\r\n2\r\n3", 2, 3, 3},  // past the table: the index itself
           Case{"1\r\n2\r\n", 1, 1, 2},   // a final CR LF adds no entry
           Case{"1\r\n\r\n3", 2, 1, 0},   // an empty line inside is an entry of 0
           Case{"1\r\n\r\n3", 2, 2, 3},
           Case{"5\n6\r7", 0, 0, 5},  // lone LF and CR do not end a line
           Case{"\r\n", 0, 0, 0},
       }) {
    WriteFile("palette", c.bytes);
    rt::Array<std::string> table;
    VGA_LOAD(table, "palette");
    EXPECT_EQ(table.LBound(), 0);
    EXPECT_EQ(table.UBound(), c.ubound);
    EXPECT_EQ(VGA_LOOKUP2(table, c.index, "palette"), c.value);
  }
}

TEST_F(VgaLookup, IndexOutsideThePaletteIsTheColourItself) {
  WriteFile("palette", "1\r\n2");
  rt::Array<std::string> table;
  EXPECT_EQ(VGA_LOOKUP2(table, 256, "palette"), 256u);
  EXPECT_EQ(VGA_LOOKUP2(table, -1, "palette"), UINT64_MAX);
  EXPECT_EQ(VGA_LOOKUP2(table, INT32_MIN, "palette"), 0xFFFFFFFF80000000u);
  EXPECT_EQ(VGA_LOOKUP2(table, 1, "palette"), 2u);
}

TEST_F(VgaLookup, EmptyTableIsReadAgainButAFilledOneIsKept) {
  rt::Array<std::string> table;
  EXPECT_EQ(VGA_LOOKUP2(table, 15, "palette"), 15u);  // no file
  EXPECT_EQ(table.LBound(), -1);
  EXPECT_EQ(table.UBound(), -1);
  WriteFile("palette", "");
  EXPECT_EQ(VGA_LOOKUP2(table, 0, "palette"), 0u);
  EXPECT_EQ(table.UBound(), -1);
  WriteFile("palette", "&H10");
  EXPECT_EQ(VGA_LOOKUP2(table, 0, "palette"), 16u);  // read again now that it has entries
  WriteFile("palette", "&H20");
  EXPECT_EQ(VGA_LOOKUP2(table, 0, "palette"), 16u);  // a filled table is not reloaded
  VGA_LOAD(table, "missing");
  EXPECT_EQ(table.UBound(), -1);  // loading replaces the content
}

TEST_F(VgaLookup, LookupReadsTheFileOnEveryCall) {
  EXPECT_EQ(VGA_LOOKUP(15), 15u);
  WriteFile(VGA_TABLE_FILE, "0\r\n&HFF112233");
  EXPECT_EQ(VGA_LOOKUP(1), 0xFF112233u);
  WriteFile(VGA_TABLE_FILE, "0\r\n&HFF445566");
  EXPECT_EQ(VGA_LOOKUP(1), 0xFF445566u);
  EXPECT_EQ(VGA_LOOKUP(2), 2u);
}

TEST_F(VgaLookup, TestImageFadesEachColumnToTransparent) {
  WriteFile(VGA_TABLE_FILE, "\"&HFFFF0000\"\r\n&H12345678");
  // A window whose primitives blend must not change the stored pixels.
  platform::ScreenRes(320, 200, 32, 2, 64);
  rt::Array<std::string> table;
  platform::IMAGE* image = VGA_TEST(table);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->WIDTH, 256u);
  EXPECT_EQ(image->HEIGHT, 256u);
  EXPECT_EQ(platform::Point(image, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(platform::Point(image, 0, 255), 0x00FF0000u);
  EXPECT_EQ(platform::Point(image, 1, 0), 0xFF345678u);
  EXPECT_EQ(platform::Point(image, 1, 128), 0x7F345678u);
  EXPECT_EQ(platform::Point(image, 2, 0), 0xFF000002u);  // past the file: the index
  EXPECT_EQ(platform::Point(image, 255, 255), 0x000000FFu);
  EXPECT_EQ(table.UBound(), 1);
  platform::ImageDestroy(image);
}

TEST(VgaShippedPalette, HoldsTheStandardOpaquePalette) {
  rt::Array<std::string> table;
  VGA_LOAD(table, std::string(MAZE_DATA_DIR) + "/" + VGA_TABLE_FILE);
  ASSERT_EQ(table.LBound(), 0);
  ASSERT_EQ(table.UBound(), 255);
  for (int32_t i = 0; i <= 255; ++i) {
    EXPECT_EQ(rt::ValULongInt(table.At(i, RT_HERE)) >> 24, 0xFFu) << i;
  }
  struct Case {
    int32_t index;
    uint64_t colour;
  };
  for (const Case& c :
       {Case{0, 0xFF000000}, Case{1, 0xFF0000AA}, Case{6, 0xFFAA5500}, Case{7, 0xFFAAAAAA},
        Case{8, 0xFF555555}, Case{14, 0xFFFFFF55}, Case{15, 0xFFFFFFFF}, Case{16, 0xFF000000},
        Case{31, 0xFFFFFFFF}, Case{32, 0xFF0000FF}, Case{40, 0xFFFF0000}, Case{44, 0xFFFFFF00},
        Case{48, 0xFF00FF00}, Case{104, 0xFF000071}, Case{248, 0xFF000000},
        Case{255, 0xFF000000}}) {
    EXPECT_EQ(rt::ValULongInt(table.At(c.index, RT_HERE)), c.colour) << c.index;
  }
}

}  // namespace
