// Malformed bitmaps, made here field by field from a well-formed one: each must be refused on the
// documented path (BLoad answers 1, BMP_LOAD gives null, and a texture list naming the file stops
// with runtime error 1 at TEXTUREROTATE), and refusing it must not ask for more than kCap bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/engine/world_fixture.h"
#include "tests/hardening/allocation_meter.h"
#include "tests/hardening/bitmap_file.h"

namespace {

using testbitmap::Bitmap;
using testbitmap::Put;

// The most a refusal may ask for: well above the texts and file buffers of one load, far below
// any picture that a malformed header claims.
constexpr size_t kCap = 64 * 1024;

struct Case {
  const char* what;
  std::string bytes;
  bool in_pixels = false;  // the fault lies in the pixel array, past what the header check reads
};

std::string WithField(std::string s, size_t at, uint32_t v, int bytes = 4) {
  Put(s, at, v, bytes);
  return s;
}

// One row of RLE8 codes that paints 255 pixels into a row 4 wide, then ends the picture.
std::string OverrunningRle8() {
  return std::string("\xff\x01\x00\x00\xff\x02\x00\x01", 8);
}
// RLE4: a run of 255 pixels, then a delta that jumps far past the picture.
std::string OverrunningRle4() {
  return std::string("\xff\x12\x00\x02\xff\xff\x00\x01", 8);
}

std::vector<Case> Cases() {
  const std::string good = Bitmap{}.Bytes();
  Bitmap pal8{.bits = 8, .colours = 2};
  pal8.pixels = std::string(16, '\xc8');  // index 200 in a palette of 2
  Bitmap pal4{.bits = 4, .colours = 3};
  pal4.pixels = std::string(16, '\xff');  // index 15 in a palette of 3
  Bitmap pal1{.bits = 1, .colours = 1};
  pal1.pixels = std::string(16, '\xff');  // index 1 in a palette of 1
  const auto masked = [](uint32_t bits, std::vector<uint32_t> masks) {
    return Bitmap{.bits = bits, .compression = 3, .masks = std::move(masks)}.Bytes();
  };
  return {
      {"16384 x 16384 in a small file",
       Bitmap{.width = 16384, .height = 16384, .pixels = std::string(16, '\0')}.Bytes()},
      {"width 16385", WithField(good, 18, 16385)},
      {"width INT_MAX", WithField(good, 18, INT32_MAX)},
      {"negative width", WithField(good, 18, static_cast<uint32_t>(-4))},
      {"width 0", WithField(good, 18, 0)},
      {"height INT_MIN", WithField(good, 22, static_cast<uint32_t>(INT32_MIN))},
      {"height -16385", WithField(good, 22, static_cast<uint32_t>(-16385))},
      {"height 0", WithField(good, 22, 0)},
      {"empty file", ""},
      {"signature only", "BM"},
      {"header cut at 30 bytes", good.substr(0, 30)},
      {"header cut at 53 bytes", good.substr(0, 53)},
      {"a 124-byte header in a 54-byte file", WithField(good.substr(0, 54), 14, 124)},
      {"pixels one byte short", good.substr(0, good.size() - 1)},
      {"pixels half missing", good.substr(0, 54 + 24)},
      {"pixel offset at the file's end", WithField(good, 10, static_cast<uint32_t>(good.size()))},
      {"pixel offset 0xFFFFFFFF", WithField(good, 10, 0xFFFFFFFFu)},
      {"pixel offset INT_MAX", WithField(good, 10, INT32_MAX)},
      {"pixel offset inside the headers", WithField(good, 10, 20)},
      {"depth 0", WithField(good, 28, 0, 2)},
      {"depth 3", WithField(good, 28, 3, 2)},
      {"depth 64", WithField(good, 28, 64, 2)},
      {"RLE8 overrunning its row",
       Bitmap{.bits = 8, .compression = 1, .pixels = OverrunningRle8()}.Bytes()},
      {"RLE4 overrunning its row",
       Bitmap{.bits = 4, .compression = 2, .pixels = OverrunningRle4()}.Bytes()},
      {"32-bit masks all zero", masked(32, {0, 0, 0})},
      {"16-bit masks all zero", masked(16, {0, 0, 0})},
      {"32-bit masks overlapping", masked(32, {0x00FF0000, 0x00FFFF00, 0x000000FF})},
      {"16-bit masks overlapping", masked(16, {0xF800, 0x0FE0, 0x001F})},
      {"a 32-bit-wide red mask", masked(32, {0xFFFFFFFF, 0x0000FF00, 0x000000FF})},
      {"a 16-bit mask past the pixel", masked(16, {0xFFFF0000, 0x07E0, 0x001F})},
      {"16-bit 6-5-5 masks, a format SDL does not know", masked(16, {0xFC00, 0x03E0, 0x001F})},
      {"32-bit 10-10-10 masks without alpha", masked(32, {0x3FF00000, 0x000FFC00, 0x3FF})},
      {"8-bit index past the palette", pal8.Bytes(), true},
      {"4-bit index past the palette", pal4.Bytes(), true},
      {"1-bit index past the palette", pal1.Bytes(), true},
  };
}

class MalformedBitmaps : public testsupport::WorldTest {};

TEST_F(MalformedBitmaps, TheWellFormedOriginalsLoad) {
  const std::vector<std::string> originals = {
      Bitmap{}.Bytes(),
      Bitmap{.bits = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}}.Bytes(),
      Bitmap{.bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}}.Bytes(),
      Bitmap{.bits = 32, .compression = 3, .info_size = 56, .masks = {0xFF0000, 0xFF00, 0xFF, 0}}
          .Bytes(),
      Bitmap{.bits = 8, .colours = 2}.Bytes(),
      Bitmap{.bits = 4, .colours = 3}.Bytes(),
      Bitmap{.bits = 1, .colours = 1}.Bytes(),
  };
  for (size_t i = 0; i < originals.size(); ++i) {
    testsupport::WriteFile("f.bmp", originals[i]);
    EXPECT_EQ(platform::BLoadCheck("f.bmp"), 0) << "original " << i;
    platform::IMAGE* image = BMP_LOAD("f.bmp");
    ASSERT_NE(image, nullptr) << "original " << i;
    EXPECT_EQ(image->WIDTH, 4u);
    EXPECT_EQ(image->HEIGHT, 4u);
    EXPECT_EQ(image->Row(3)[3] >> 24, 0xFFu) << "original " << i;
    platform::ImageDestroy(image);
  }
}

TEST_F(MalformedBitmaps, AreRefusedWithinTheAllocationCap) {
  platform::IMAGE* image = platform::ImageCreate(64, 64);
  const long images = platform::LiveImageCount();
  size_t most = 0;
  for (const Case& c : Cases()) {
    testsupport::WriteFile("f.bmp", c.bytes);
    EXPECT_EQ(platform::BLoadCheck("f.bmp"), c.in_pixels ? 0 : 1) << c.what;
    allocmeter::Start();
    EXPECT_EQ(platform::BLoad("f.bmp", image), 1) << c.what;
    EXPECT_LE(allocmeter::Bytes(), kCap) << c.what;
    most = std::max(most, allocmeter::Bytes());
    allocmeter::Start();
    EXPECT_EQ(BMP_LOAD("f.bmp"), nullptr) << c.what;
    EXPECT_LE(allocmeter::Bytes(), kCap) << c.what << ": largest " << allocmeter::Largest();
    most = std::max(most, allocmeter::Bytes());
    EXPECT_EQ(platform::LiveImageCount(), images) << c.what;
  }
  platform::ImageDestroy(image);
  std::printf("the costliest refusal asked for %zu bytes (cap %zu)\n", most, kCap);
}

TEST_F(MalformedBitmaps, StopTheTextureLoaderWithError1AtTexturerotate) {
  testsupport::WriteFile("list.property", "t=f.bmp\n");
  for (const Case& c : Cases()) {
    testsupport::WriteFile("f.bmp", c.bytes);
    EXPECT_EXIT(
        {
          platform::SetQuietErrors(false);
          OpenDefaultWindow();
          LOADTEXTUREDB("list.property");
        },
        testing::ExitedWithCode(1),
        "^[^\n]+\n\nAborting due to runtime error 1 \\(illegal function call\\) at line [0-9]+ of "
        "engine/Textures::TEXTUREROTATE\\(\\)\n\n$")
        << c.what;
  }
}

}  // namespace
