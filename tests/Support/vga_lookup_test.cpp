#include "Support/VGA Lookup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/Support/console_files.h"
#include "tests/test_support.h"

static constexpr char MODULE_NAME[] = "tests/vga_lookup";

namespace {

using supporttest::WriteFile;

class VgaLookup : public testing::Test {
 protected:
  void TearDown() override { testsupport::ResetPlatform(); }
  supporttest::ScratchDir scratch;
  rt::Array<std::string> table;
};

TEST_F(VgaLookup, ReadsEntriesAsUnsignedNumbers) {
  struct Case {
    std::string line;
    uint64_t value;
  };
  for (const Case& c : {Case{"\"&HFFFF0000\"", 0xFFFF0000u}, Case{"4294901760", 0xFFFF0000u},
                        Case{"\"\"\"\"12\"\"", 12}, Case{" 12", 12}, Case{"12 ABC", 12},
                        Case{"ABC", 0}, Case{"1\"2", 1}, Case{"&hfFz", 255}, Case{"&o17", 15},
                        Case{"&B1012", 5}, Case{"&HFFFFFFFFFFFFFFFF", UINT64_MAX}}) {
    WriteFile("p", c.line);
    rt::Array<std::string> fresh;
    EXPECT_EQ(VGA_LOOKUP2(fresh, 0, "p"), c.value) << c.line;
  }
}

TEST_F(VgaLookup, SplitsAtCrLfOnly) {
  struct Case {
    std::string bytes;
    int32_t ubound, index;
    uint64_t value;
  };
  for (const Case& c :
       {Case{"1\r\n2\r\n3", 2, 2, 3}, Case{"1\r\n2\r\n3", 2, 3, 3}, Case{"1\r\n2\r\n", 1, 1, 2},
        Case{"1\r\n\r\n3", 2, 1, 0}, Case{"5\n6\r7", 0, 0, 5}}) {
    WriteFile("p", c.bytes);
    VGA_LOAD(table, "p");
    EXPECT_EQ(table.UBound(), c.ubound) << c.bytes;
    EXPECT_EQ(VGA_LOOKUP2(table, c.index, "p"), c.value) << c.bytes;
  }
}

TEST_F(VgaLookup, EmptyTableIsReadAgainAndAFilledOneKept) {
  EXPECT_EQ(VGA_LOOKUP2(table, 15, "p"), 15u);  // no file
  EXPECT_EQ(table.LBound(), -1);
  EXPECT_EQ(table.UBound(), -1);
  WriteFile("p", "&H10\r\n2");
  EXPECT_EQ(VGA_LOOKUP2(table, 0, "p"), 16u);
  WriteFile("p", "&H20");
  EXPECT_EQ(VGA_LOOKUP2(table, 0, "p"), 16u);
  EXPECT_EQ(VGA_LOOKUP2(table, 256, "p"), 256u);
  EXPECT_EQ(VGA_LOOKUP2(table, -1, "p"), UINT64_MAX);  // sign-extended
  WriteFile(VGA_TABLE_FILE, "0\r\n7");
  EXPECT_EQ(VGA_LOOKUP(1), 7u);
  WriteFile(VGA_TABLE_FILE, "0\r\n8");
  EXPECT_EQ(VGA_LOOKUP(1), 8u);  // a fresh table every call
}

TEST_F(VgaLookup, TestImageFadesEachColumn) {
  WriteFile(VGA_TABLE_FILE, "\"&HFFFF0000\"\r\n&H12345678");
  platform::ScreenRes(320, 200, 32, 2, 64);  // blending primitives must not alter the pixels
  platform::IMAGE* image = VGA_TEST(table);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(platform::Point(image, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(platform::Point(image, 0, 255), 0x00FF0000u);
  EXPECT_EQ(platform::Point(image, 1, 128), 0x7F345678u);
  EXPECT_EQ(platform::Point(image, 255, 0), 0xFF0000FFu);  // past the file: the index
  platform::ImageDestroy(image);
}

TEST(VgaShippedPalette, HoldsTheOpaqueDefaultPalette) {
  rt::Array<std::string> table;
  VGA_LOAD(table, std::string(MAZE_DATA_DIR) + "/" + VGA_TABLE_FILE);
  ASSERT_EQ(table.UBound(), 255);
  for (int32_t i = 0; i <= 255; ++i) EXPECT_EQ(rt::ValULongInt(table.At(i, RT_HERE)) >> 24, 255u);
  const uint64_t expected[][2] = {{1, 0xFF0000AA},  {6, 0xFFAA5500},  {15, 0xFFFFFFFF},
                                  {16, 0xFF000000}, {40, 0xFFFF0000}, {104, 0xFF000071},
                                  {248, 0xFF000000}};
  for (const auto& [index, colour] : expected)
    EXPECT_EQ(rt::ValULongInt(table.At(static_cast<int32_t>(index), RT_HERE)), colour) << index;
}

}  // namespace
