// Bitmaps larger than the image they are read into: BLoad decodes only the corner the image
// holds, exactly as SDL decodes that corner of the whole file, and a texture keeps only the
// 64 x 64 square that the renderer reads, in memory of that size whatever the file claims.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/engine/world_fixture.h"
#include "tests/hardening/allocation_meter.h"
#include "tests/hardening/bitmap_file.h"

namespace {

using testbitmap::Bitmap;

constexpr int kSide = 64;

// Pseudo-random pixel rows for a bitmap of the given shape, in file order.
std::string RandomRows(const Bitmap& b) {
  const size_t stride = (static_cast<size_t>(b.width) * b.bits + 31) / 32 * 4;
  std::string rows(stride * static_cast<size_t>(b.height < 0 ? -b.height : b.height), '\0');
  uint32_t state = 12345;
  for (char& byte : rows) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 16);
  }
  return rows;
}

// The top-left 64 x 64 pixels of a picture as SDL decodes the whole file; empty when it refuses.
std::vector<uint32_t> WholeFileCorner(const std::string& bytes) {
  SDL_Surface* loaded =
      SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
  if (loaded == nullptr) return {};
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  std::vector<uint32_t> corner;
  for (int y = 0; y < kSide; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                        y * argb->pitch);
    corner.insert(corner.end(), row, row + kSide);
  }
  SDL_FreeSurface(argb);
  return corner;
}

// The pixels BLoad gives a 64 x 64 image; empty when it refuses the file.
std::vector<uint32_t> LoadedCorner(const std::string& path) {
  platform::IMAGE* image = platform::ImageCreate(kSide, kSide);
  std::vector<uint32_t> corner;
  if (platform::BLoad(path, image) == 0) {
    for (int y = 0; y < kSide; ++y)
      corner.insert(corner.end(), image->Row(y), image->Row(y) + kSide);
  }
  platform::ImageDestroy(image);
  return corner;
}

using BigBitmaps = testsupport::WorldTest;

TEST_F(BigBitmaps, DecodeTheirCornerAsTheWholeFileWould) {
  // Pictures of 100 x 70 pixels; (99, 69), the last pixel of the first row a bottom-up file
  // stores, lies outside the corner.
  const size_t outside = 99;
  struct Case {
    const char* what;
    Bitmap bitmap;
    void (*fix)(std::string& rows) = nullptr;  // changes the random rows
    bool refused = false;                      // SDL refuses the whole file
  };
  const Case cases[] = {
      {"1-bit", {.width = 100, .height = 70, .bits = 1}},
      {"4-bit, top row first", {.width = 100, .height = -70, .bits = 4}},
      {"8-bit, 200 colours",
       {.width = 100, .height = 70, .bits = 8, .colours = 200},
       [](std::string& rows) {
         for (char& c : rows) c = static_cast<char>(static_cast<uint8_t>(c) % 200);
       }},
      {"8-bit, an index past the palette outside the corner",
       {.width = 100, .height = 70, .bits = 8, .colours = 200},
       [](std::string& rows) {
         for (char& c : rows) c = static_cast<char>(static_cast<uint8_t>(c) % 200);
         rows[outside] = static_cast<char>(250);
       },
       true},
      {"16-bit 5-6-5 bit fields",
       {.width = 100, .height = 70, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x1F}}},
      {"32-bit with alpha", {.width = 100, .height = 70, .bits = 32}},
      {"32-bit, alpha only outside the corner",
       {.width = 100, .height = 70, .bits = 32},
       [](std::string& rows) {
         for (size_t i = 3; i < rows.size(); i += 4) rows[i] = 0;
         rows[outside * 4 + 3] = static_cast<char>(0x80);
       }},
      {"32-bit without alpha",
       {.width = 100, .height = 70, .bits = 32},
       [](std::string& rows) {
         for (size_t i = 3; i < rows.size(); i += 4) rows[i] = 0;
       }},
      {"32-bit bit fields with an alpha mask",
       {.width = 100,
        .height = 70,
        .bits = 32,
        .compression = 3,
        .info_size = 56,
        .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}},
  };
  for (const Case& c : cases) {
    Bitmap bitmap = c.bitmap;
    bitmap.pixels = RandomRows(bitmap);
    if (c.fix != nullptr) c.fix(bitmap.pixels);
    const std::string bytes = bitmap.Bytes();
    testsupport::WriteFile("f.bmp", bytes);
    const std::vector<uint32_t> whole = WholeFileCorner(bytes);
    EXPECT_EQ(whole.empty(), c.refused) << c.what;
    EXPECT_EQ(LoadedCorner("f.bmp"), whole) << c.what;
  }
}

TEST_F(BigBitmaps, ThreeLinesNamingA16384SquareBitmapKeepThreeSmallTextures) {
  // A 1-bit bitmap of 16384 x 16384 pixels: 32 MiB of zero pixels, left sparse on the disk.
  const Bitmap big{.width = 16384, .height = 16384, .bits = 1, .pixels = std::string(4, '\0')};
  const std::string headers = big.Bytes();
  testsupport::WriteFile("big.bmp", headers);
  ASSERT_EQ(truncate("big.bmp", static_cast<off_t>(headers.size() - 4 + (size_t{32} << 20))), 0);
  testsupport::WriteFile("list", "a=big.bmp\nb=big.bmp\nc=big.bmp\n");
  OpenDefaultWindow();
  allocmeter::Start();
  LOADTEXTUREDB("list");
  const size_t peak = allocmeter::Peak();
  ASSERT_EQ(TEXTUREDB.Count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(TEXTUREDB[i].IMAGE->WIDTH, 640u);
    EXPECT_EQ(TEXTUREDB[i].IMAGE->HEIGHT, 480u);
  }
  // The three textures cut to the 640 x 480 page (1.2 MB each), and what loading one of them
  // needs for a moment.
  EXPECT_LT(peak, size_t{6} << 20);
  std::printf("loading it three times held at most %zu bytes at once\n", peak);
}

}  // namespace
