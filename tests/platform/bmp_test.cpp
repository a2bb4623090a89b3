#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

// A bitmap to encode: pixels as 0xAARRGGBB, top row first.
struct Picture {
  int32_t width;
  int32_t height;  // negative: stored top row first
  int bits;        // 24 or 32
  std::vector<uint32_t> pixels;
};

void Put16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

// A file header and a 40-byte information header for a picture of the given size.
std::string Headers(int32_t width, int32_t height, int bits, size_t pixel_bytes) {
  std::string s(54, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(54 + pixel_bytes));
  Put32(s, 10, 54);
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(width));
  Put32(s, 22, static_cast<uint32_t>(height));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<uint32_t>(bits));
  Put32(s, 34, static_cast<uint32_t>(pixel_bytes));
  return s;
}

// An uncompressed 24- or 32-bit bitmap file.
std::string Encode(const Picture& p) {
  const int rows = std::abs(p.height);
  const size_t stride = (static_cast<size_t>(p.width) * p.bits / 8 + 3) / 4 * 4;
  std::string data(stride * rows, '\0');
  for (int y = 0; y < rows; ++y) {
    const int file_row = p.height < 0 ? y : rows - 1 - y;  // bottom-up unless the height is < 0
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = p.pixels[static_cast<size_t>(y) * p.width + x];
      char* out = &data[file_row * stride + static_cast<size_t>(x) * p.bits / 8];
      out[0] = static_cast<char>(c & 0xFF);
      out[1] = static_cast<char>((c >> 8) & 0xFF);
      out[2] = static_cast<char>((c >> 16) & 0xFF);
      if (p.bits == 32) out[3] = static_cast<char>(c >> 24);
    }
  }
  return Headers(p.width, p.height, p.bits, data.size()) + data;
}

// A w x h picture whose pixels all differ, with the given alpha byte.
Picture Gradient(int32_t width, int32_t height, int bits, uint32_t alpha) {
  Picture p{width, height, bits, {}};
  for (int y = 0; y < std::abs(height); ++y)
    for (int x = 0; x < width; ++x)
      p.pixels.push_back(alpha << 24 | static_cast<uint32_t>(x * 40) << 16 |
                         static_cast<uint32_t>(y * 50) << 8 | static_cast<uint32_t>(x + y + 1));
  return p;
}

class BLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/maze-bmp-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    for (platform::IMAGE* image : images_) platform::ImageDestroy(image);
    std::filesystem::remove_all(dir_);
  }
  std::string File(const std::string& bytes) {
    const std::string path = dir_ + "/f" + std::to_string(files_++) + ".bmp";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  platform::IMAGE* Image(int width, int height) {
    images_.push_back(platform::ImageCreate(width, height));
    return images_.back();
  }
  // Loads bytes into a fresh image of the given size and returns the result code.
  int Load(const std::string& bytes, int width = 8, int height = 8) {
    return platform::BLoad(File(bytes), Image(width, height));
  }
  // Expects the image to hold the picture's pixels (with alpha replaced when given) in its
  // top-left corner and the mask colour elsewhere.
  static void ExpectPixels(const platform::IMAGE* image, const Picture& p, bool opaque) {
    for (uint32_t y = 0; y < image->HEIGHT; ++y) {
      for (uint32_t x = 0; x < image->WIDTH; ++x) {
        uint32_t want = platform::kMaskColour;
        if (x < static_cast<uint32_t>(p.width) && y < static_cast<uint32_t>(std::abs(p.height))) {
          want = p.pixels[y * p.width + x];
          if (opaque) want |= 0xFF000000u;
        }
        ASSERT_EQ(image->Row(y)[x], want) << "pixel " << x << "," << y;
      }
    }
  }

  std::string dir_;
  int files_ = 0;
  std::vector<platform::IMAGE*> images_;
};

TEST_F(BLoad, ReadsBottomUpAndTopDownFilesWithTheTopRowFirst) {
  for (int32_t height : {5, -5}) {
    // 24-bit rows of 3 pixels need padding; alpha bits in the picture are not stored.
    const Picture p = Gradient(3, height, 24, 0);
    platform::IMAGE* image = Image(3, 5);
    ASSERT_EQ(platform::BLoad(File(Encode(p)), image), 0) << height;
    ExpectPixels(image, p, true);
  }
}

TEST_F(BLoad, KeepsAnAlphaChannelAndMakesAMissingOneOpaque) {
  Picture alpha = Gradient(4, 4, 32, 0x80);
  alpha.pixels[5] = 0x00102030;
  alpha.pixels[6] = 0xFF102030;
  platform::IMAGE* image = Image(4, 4);
  ASSERT_EQ(platform::BLoad(File(Encode(alpha)), image), 0);
  ExpectPixels(image, alpha, false);

  // A 32-bit file whose fourth bytes are all zero carries no alpha.
  const Picture none = Gradient(4, -4, 32, 0);
  image = Image(4, 4);
  ASSERT_EQ(platform::BLoad(File(Encode(none)), image), 0);
  ExpectPixels(image, none, true);
}

TEST_F(BLoad, ClipsToTheImage) {
  const Picture p = Gradient(6, 5, 24, 0);
  platform::IMAGE* small = Image(2, 3);
  ASSERT_EQ(platform::BLoad(File(Encode(p)), small), 0);
  ExpectPixels(small, p, true);
  platform::IMAGE* large = Image(9, 7);  // outside the bitmap the image keeps its fill
  ASSERT_EQ(platform::BLoad(File(Encode(p)), large), 0);
  ExpectPixels(large, p, true);
  // The widest accepted bitmap.
  const Picture wide = Gradient(platform::kMaxImageSide, 1, 24, 0);
  EXPECT_EQ(Load(Encode(wide), 4, 1), 0);
}

TEST_F(BLoad, ReportsMissingFilesAndNullImages) {
  EXPECT_EQ(platform::BLoad(dir_ + "/missing.bmp", Image(2, 2)), 2);
  EXPECT_EQ(platform::BLoad(dir_, Image(2, 2)), 2);  // a directory
  EXPECT_EQ(platform::BLoad("", Image(2, 2)), 2);
  EXPECT_EQ(platform::BLoad(File(Encode(Gradient(2, 2, 24, 0))), nullptr), 1);
  EXPECT_EQ(platform::BLoad(dir_ + "/missing.bmp", nullptr), 1);
}

TEST_F(BLoad, RefusesTruncatedAndMalformedFiles) {
  const std::string good = Encode(Gradient(3, 3, 24, 0));
  ASSERT_EQ(Load(good), 0);
  EXPECT_EQ(Load(""), 1);
  EXPECT_EQ(Load("BM"), 1);
  EXPECT_EQ(Load(good.substr(0, 53)), 1);               // short of the information header
  EXPECT_EQ(Load(good.substr(0, 54)), 1);               // no pixels
  EXPECT_EQ(Load(good.substr(0, good.size() - 1)), 1);  // one byte short
  std::string bad = good;
  bad[0] = 'X';
  EXPECT_EQ(Load(bad), 1);
  bad = good;
  Put32(bad, 14, 12);  // the old 12-byte header has 16-bit sizes
  EXPECT_EQ(Load(bad), 1);
  bad = good;
  Put16(bad, 26, 2);  // planes
  EXPECT_EQ(Load(bad), 1);
  bad = good;
  Put16(bad, 28, 7);  // bits per pixel
  EXPECT_EQ(Load(bad), 1);
  bad = good;
  Put32(bad, 30, 1);  // run-length compression
  EXPECT_EQ(Load(bad), 1);
  bad = good;
  Put32(bad, 10, 20);  // pixels inside the headers
  EXPECT_EQ(Load(bad), 1);
  bad = good;
  Put32(bad, 10, 0xFFFFFFFFu);  // pixels far past the end
  EXPECT_EQ(Load(bad), 1);
}

TEST_F(BLoad, RefusesAbsurdSizesBeforeReadingPixels) {
  const std::string good = Encode(Gradient(3, 3, 24, 0));
  // The last size is legal, but the file holds far fewer pixels.
  const std::vector<std::pair<int32_t, int32_t>> sizes = {
      {0, 3},     {-3, 3},     {3, 0},         {INT32_MIN, 3}, {3, INT32_MIN}, {16385, 1},
      {1, 16385}, {1, -16385}, {INT32_MAX, 1}, {1, INT32_MAX}, {16384, 16384}};
  for (const auto& [width, height] : sizes) {
    std::string bad = good;
    Put32(bad, 18, static_cast<uint32_t>(width));
    Put32(bad, 22, static_cast<uint32_t>(height));
    EXPECT_EQ(Load(bad), 1) << width << " x " << height;
  }
}

}  // namespace
