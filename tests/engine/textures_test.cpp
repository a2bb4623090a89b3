#include <gtest/gtest.h>

#include <string>

#include "engine/Engine.h"
#include "tests/engine/world_fixture.h"

static constexpr char MODULE_NAME[] = "tests/textures";

namespace {

using testsupport::MakeBmp;
using testsupport::TestTexel;
using testsupport::WriteFile;

// An opaque texel after the blend over opaque black: each colour channel c becomes c * 255 / 256.
uint32_t OverBlack(uint32_t c) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) out |= ((c >> shift & 0xFF) * 255 / 256) << shift;
  return out;
}

class Textures : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    OpenDefaultWindow();
  }

  static const platform::IMAGE* ImageOf(const std::string& label) {
    return PROPERTY_GET(TEXTUREDB, label).IMAGE;
  }
};

TEST_F(Textures, EachTextureIsStoredTransposedAndBlendedOverBlack) {
  for (int bits : {24, 32}) {
    for (bool top_down : {false, true}) {
      RESETGLOBALS();
      OpenDefaultWindow();
      WriteFile("t.bmp", MakeBmp(64, 64, bits, top_down, [](int x, int y) {
                  return x == 5 && y == 9 ? 0xFF102030u : TestTexel(1, x, y);
                }));
      WriteFile("list", "brick=t.bmp");
      LOADTEXTUREDB("list");
      const std::string what = std::to_string(bits) + (top_down ? " top-down" : " bottom-up");
      const platform::IMAGE* image = ImageOf("brick");
      ASSERT_NE(image, nullptr) << what;
      EXPECT_EQ(image->WIDTH, 64u);
      EXPECT_EQ(image->HEIGHT, 64u);
      EXPECT_EQ(platform::Point(image, 9, 5), 0xFF0F1F2Fu) << what;
      EXPECT_EQ(platform::Point(image, 3, 40), OverBlack(TestTexel(1, 40, 3))) << what;
      EXPECT_EQ(platform::Point(image, 63, 0), OverBlack(TestTexel(1, 0, 63))) << what;
      EXPECT_EQ(PROPERTY_GET(TEXTUREDB, "brick").VALUE, rt::StrAddress(image)) << what;
    }
  }
}

TEST_F(Textures, TheLabelEndsAtTheFirstEqualsSign) {
  WriteFile("b=c.bmp", MakeBmp(64, 64, 24, false, [](int, int) { return 0xFFFFFFFFu; }));
  WriteFile("list", "a=b=c.bmp\n");
  LOADTEXTUREDB("list");
  ASSERT_EQ(TEXTUREDB.Count(), 1);
  EXPECT_EQ(TEXTUREDB[0].LABEL, "a");
  EXPECT_EQ(FILEMODE.At(TEXTUREMODE, RT_HERE).FILENAME, "list");
}

TEST_F(Textures, ASecondListAddsAndReplacesAndDropsTheEmptyLabel) {
  WriteTextures({"", "b", "c"}, "first");
  LOADTEXTUREDB("first");
  ASSERT_EQ(TEXTUREDB.Count(), 3);
  EXPECT_EQ(TEXTUREDB[0].LABEL, "");
  const platform::IMAGE* old_c = ImageOf("c");
  WriteFile("second", "c=t0.bmp\nd=t1.bmp\n");
  LOADTEXTUREDB("second");
  ASSERT_EQ(TEXTUREDB.Count(), 3);
  EXPECT_EQ(TEXTUREDB[0].LABEL, "b");
  EXPECT_EQ(TEXTUREDB[2].LABEL, "d");
  EXPECT_NE(ImageOf("c"), old_c);
  EXPECT_EQ(platform::Point(ImageOf("c"), 7, 3), OverBlack(TestTexel(0, 3, 7)));
}

TEST_F(Textures, OnlyTheTopLeftSquareOfAnotherSizeIsTransposedAndKept) {
  WriteFile("wide.bmp",
            MakeBmp(80, 40, 24, false, [](int x, int y) { return TestTexel(2, x, y); }));
  WriteFile("list", "w=wide.bmp");
  LOADTEXTUREDB("list");
  const platform::IMAGE* image = ImageOf("w");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->WIDTH, 80u);
  EXPECT_EQ(image->HEIGHT, 40u);
  EXPECT_EQ(platform::Point(image, 30, 10), OverBlack(TestTexel(2, 10, 30)));
  // Image pixel (10, 39) reads bitmap row 10, column 39; (39, 10) would read row 39 of 40.
  EXPECT_EQ(platform::Point(image, 10, 39), OverBlack(TestTexel(2, 39, 10)));
  // Image columns 40 to 63 read bitmap rows 40 to 63, outside it: opaque white, blended.
  EXPECT_EQ(platform::Point(image, 50, 0), 0xFFFEFEFEu);
  // The columns past the square stay as the bitmap has them.
  EXPECT_EQ(platform::Point(image, 70, 20), TestTexel(2, 70, 20));
}

// A bitmap is kept and shown whole up to the 640 x 480 page; only what lies past it is cut.
TEST_F(Textures, ABitmapIsKeptWholeUpToThePageItIsShownOn) {
  struct Row {
    int width, height;
    uint32_t kept_width, kept_height;
  };
  for (const Row& row : {Row{128, 96, 128, 96}, Row{700, 30, 640, 30}, Row{10, 600, 10, 480}}) {
    RESETGLOBALS();
    OpenDefaultWindow();
    WriteFile("big.bmp", MakeBmp(row.width, row.height, 24, false,
                                 [](int x, int y) { return TestTexel(3, x, y); }));
    WriteFile("list", "b=big.bmp");
    LOADTEXTUREDB("list");
    const platform::IMAGE* image = ImageOf("b");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->WIDTH, row.kept_width) << row.width;
    EXPECT_EQ(image->HEIGHT, row.kept_height) << row.width;
    EXPECT_EQ(image->PITCH, (row.kept_width * 4 + 15) / 16 * 16) << row.width;
    // The page shows the last pixel kept, blended once over black, and black past it.
    const int x = static_cast<int>(row.kept_width) - 1, y = static_cast<int>(row.kept_height) - 1;
    EXPECT_EQ(platform::Point(nullptr, x, y), OverBlack(TestTexel(3, x, y))) << row.width;
    if (row.kept_width < 640) {
      EXPECT_EQ(platform::Point(nullptr, x + 1, y), 0xFF000000u) << row.width;
    }
  }
}

TEST_F(Textures, EachLineWaitsForOneKeyAndShowsTheTextureOnBlack) {
  WriteTextures({"a", "b", "c"});
  const long before = platform::headless::AutoAnswerCount();
  const long shown = platform::headless::PresentCount();
  LOADTEXTUREDB("textures.property");
  EXPECT_EQ(platform::headless::AutoAnswerCount() - before, 3);
  EXPECT_EQ(platform::headless::PresentCount() - shown, 3);
  EXPECT_EQ(platform::Point(nullptr, 100, 100), 0xFF000000u);
  EXPECT_EQ(platform::Point(nullptr, 7, 3), OverBlack(OverBlack(TestTexel(2, 3, 7))));
}

TEST_F(Textures, ABitmapThatCannotBeLoadedIsAnIllegalFunctionCall) {
  WriteFile("bad.bmp", "BM this is no bitmap at all");
  WriteFile("huge.bmp", MakeBmp(1, 1, 24, false, [](int, int) {
                          return 0u;
                        }).replace(18, 4, std::string("\xff\xff\xff\x7f", 4)));
  WriteFile("short.bmp", "BM");
  for (const char* line :
       {"a=missing.bmp", "a=bad.bmp", "a=huge.bmp", "a=short.bmp", "\n", "nolabel"}) {
    WriteFile("list", line);
    EXPECT_EXIT(
        LOADTEXTUREDB("list"), testing::ExitedWithCode(1),
        "^[^\n]+\n\nAborting due to runtime error 1 \\(illegal function call\\) at line [0-9]+ of "
        "engine/Textures::TEXTUREROTATE\\(\\)\n\n$")
        << line;
  }
}

TEST_F(Textures, BitmapSizesThatCannotBeImagesGiveNoImage) {
  for (uint32_t height : {0u, 0x80000000u, 0x80000001u, 16385u}) {
    std::string bmp = MakeBmp(64, 64, 24, false, [](int, int) { return 0u; });
    bmp.replace(22, 4, std::string(reinterpret_cast<const char*>(&height), 4));
    WriteFile("odd.bmp", bmp);
    const long images = platform::LiveImageCount();
    EXPECT_EQ(BMP_LOAD("odd.bmp"), nullptr) << height;
    EXPECT_EQ(platform::LiveImageCount(), images) << height;
  }
}

}  // namespace
