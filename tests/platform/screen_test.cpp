#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

using platform::IMAGE;

class Screen : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ResetPlatform(); }
  void TearDown() override { testsupport::ResetPlatform(); }
};

TEST_F(Screen, ImagesHaveTheFixedLayout) {
  EXPECT_EQ(offsetof(IMAGE, type), 0u);
  EXPECT_EQ(offsetof(IMAGE, BPP), 4u);
  EXPECT_EQ(offsetof(IMAGE, WIDTH), 8u);
  EXPECT_EQ(offsetof(IMAGE, HEIGHT), 12u);
  EXPECT_EQ(offsetof(IMAGE, PITCH), 16u);
  EXPECT_EQ(offsetof(IMAGE, reserved), 20u);
  const struct {
    int width;
    uint32_t pitch;
  } cases[] = {{1, 16}, {3, 16}, {4, 16}, {5, 32}, {64, 256}, {65, 272}, {16384, 65536}};
  const long live = platform::LiveImageCount();
  for (const auto& c : cases) {
    IMAGE* image = platform::ImageCreate(c.width, 2, 0x01020304);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(platform::LiveImageCount(), live + 1);
    EXPECT_EQ(image->type, 7u);
    EXPECT_EQ(image->BPP, 4);
    EXPECT_EQ(image->WIDTH, static_cast<uint32_t>(c.width));
    EXPECT_EQ(image->HEIGHT, 2u);
    EXPECT_EQ(image->PITCH, c.pitch) << c.width;
    for (uint8_t b : image->reserved) EXPECT_EQ(b, 0);
    // Pixel (x, y) lies at 32 + y * PITCH + x * 4, bytes B, G, R, X.
    platform::PSet(image, c.width - 1, 1, 0xAABBCCDD);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(image);
    const uint8_t* pixel = bytes + 32 + c.pitch + (c.width - 1) * 4;
    EXPECT_EQ(pixel[0], 0xDD);
    EXPECT_EQ(pixel[1], 0xCC);
    EXPECT_EQ(pixel[2], 0xBB);
    EXPECT_EQ(pixel[3], 0xAA);
    uint32_t first;
    std::memcpy(&first, bytes + 32, 4);
    EXPECT_EQ(first, 0x01020304u);
    platform::ImageDestroy(image);
  }
  EXPECT_EQ(platform::LiveImageCount(), live);
  IMAGE* masked = platform::ImageCreate(2, 2);
  EXPECT_EQ(platform::Point(masked, 1, 1), platform::kMaskColour);
  platform::ImageDestroy(masked);
  platform::ImageDestroy(nullptr);
}

TEST_F(Screen, ImpossibleImagesAndWindowsAreRefused) {
  for (auto [w, h] : std::vector<std::pair<int, int>>{
           {0, 1}, {1, 0}, {-1, 5}, {16385, 1}, {1, 16385}, {INT32_MIN, INT32_MIN}}) {
    EXPECT_EQ(platform::ImageCreate(w, h), nullptr) << w << " x " << h;
  }
  // Each side of a window is at most 16384, however few pixels it has.
  for (auto [w, h] : std::vector<std::pair<int, int>>{{0, 1},
                                                      {1, 0},
                                                      {-1, 5},
                                                      {INT32_MIN, INT32_MIN},
                                                      {INT32_MAX, INT32_MAX},
                                                      {65536, 65536},
                                                      {16385, 1},
                                                      {1, 16385},
                                                      {65536, 4},
                                                      {268435456, 1}})
    EXPECT_NE(platform::ScreenRes(w, h, 32, 1, 0), 0) << w << " x " << h;
  for (auto [w, h] : std::vector<std::pair<int, int>>{{16384, 1}, {1, 16384}})
    EXPECT_EQ(platform::ScreenRes(w, h, 32, 1, 0), 0) << w << " x " << h;
  platform::Screen(0);
  EXPECT_EQ(platform::ImageCreate(4, 4, 0, 24), nullptr);
  EXPECT_NE(platform::ScreenRes(4, 4, 16, 1, 0), 0);
  EXPECT_NE(platform::ScreenRes(4, 4, 32, 0, 0), 0);
  EXPECT_NE(platform::ScreenRes(4, 4, 32, 3, 0), 0);
  EXPECT_EQ(platform::ScreenPtr(), nullptr);
  EXPECT_EQ(platform::ScreenWidth(), 0);
  platform::headless::SetWindowFailure(true);
  EXPECT_NE(platform::ScreenRes(4, 4, 32, 1, 0), 0);
  EXPECT_FALSE(platform::headless::WindowOpen());
}

// The rule that fits a window to the screen and a page to the page limit: scaled down, its
// aspect kept, never below 1 a side.
TEST_F(Screen, SizesAreFittedWithTheirAspectKept) {
  const int rows[][6] = {{640, 480, 1024, 768, 640, 480},   {2000, 1000, 1024, 768, 1024, 512},
                         {1000, 2000, 1024, 768, 384, 768}, {5000, 1, 1024, 768, 1024, 1},
                         {1, 5000, 1024, 768, 1, 768},      {40000, 100, 16384, 16384, 16384, 40}};
  for (const auto& row : rows) {
    int width = row[0], height = row[1];
    platform::internal::FitInside(width, height, row[2], row[3]);
    EXPECT_EQ(width, row[4]) << row[0] << " x " << row[1];
    EXPECT_EQ(height, row[5]) << row[0] << " x " << row[1];
  }
}

TEST_F(Screen, PagesFlipAndClear) {
  ASSERT_EQ(platform::ScreenRes(3, 2, 32, 2, 0), 0);
  EXPECT_EQ(platform::ScreenWidth(), 3);
  EXPECT_EQ(platform::ScreenHeight(), 2);
  platform::PageSet(1, 0);
  platform::PIXEL* work = platform::ScreenPtr();
  ASSERT_NE(work, nullptr);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(work[i].U, 0u);
  platform::PSet(nullptr, 2, 1, 0xFF00FF00);
  EXPECT_EQ(work[1 * 3 + 2].U, 0xFF00FF00u);  // rows follow each other, pitch = width

  const long presents = platform::headless::PresentCount();
  platform::Flip();
  EXPECT_EQ(platform::headless::PresentCount(), presents + 1);
  platform::PageSet(0, 0);  // look at the visible page
  EXPECT_EQ(platform::Point(nullptr, 2, 1), 0xFF00FF00u);
  platform::PageSet(1, 0);
  platform::Cls();
  EXPECT_EQ(platform::Point(nullptr, 2, 1), 0u);
  platform::PageSet(0, 0);
  EXPECT_EQ(platform::Point(nullptr, 2, 1), 0xFF00FF00u);  // Cls clears the work page only
  platform::PIXEL* visible = platform::ScreenPtr();
  platform::PageSet(1, 0);
  EXPECT_NE(visible, platform::ScreenPtr()) << "two pages (Flip may exchange their addresses)";
  platform::PageSet(0, 0);
  platform::PageSet(5, -1);  // no such pages: ignored
  EXPECT_EQ(platform::ScreenPtr(), visible);
  EXPECT_EQ(platform::Screen(1), 1);
  EXPECT_EQ(platform::Screen(0), 0);
  EXPECT_EQ(platform::ScreenPtr(), nullptr);
  EXPECT_FALSE(platform::headless::WindowOpen());
}

// Flip without arguments copies the work page onto the visible page that PageSet chose. Pages
// exchanged or cleared lazily behind the scenes still read as eager copies and fills.
TEST_F(Screen, FlipFollowsPageSetAndPagesReadAsCopies) {
  ASSERT_EQ(platform::ScreenRes(2, 1, 32, 2, 0), 0);
  platform::PageSet(0, 1);
  platform::PSet(nullptr, 0, 0, 0x11);
  platform::Flip();
  platform::PageSet(1, 1);
  EXPECT_EQ(platform::Point(nullptr, 0, 0), 0x11u) << "work page 0 shown on page 1";

  platform::PageSet(1, 0);
  platform::PSet(nullptr, 1, 0, 0x22);
  platform::Flip(1, 0);
  EXPECT_EQ(platform::Point(nullptr, 1, 0), 0x22u) << "the work page keeps what it showed";
  platform::Cls();
  bool cleared = false;
  platform::PIXEL* page = platform::ScreenPtrToOverwrite(cleared);
  EXPECT_TRUE(cleared) << "a clear owed by Cls is handed over, not carried out";
  EXPECT_EQ(page, platform::ScreenPtr());
  platform::ScreenPtrToOverwrite(cleared);
  EXPECT_FALSE(cleared);
  platform::PageSet(0, 0);
  EXPECT_EQ(platform::Point(nullptr, 1, 0), 0x22u) << "Cls leaves the visible page alone";
}

TEST_F(Screen, InkeyHandsOutKeysInOrder) {
  for (const char* key : {"a", platform::kUp, platform::kEscape, platform::kClose, ""})
    platform::PushKey(key);
  EXPECT_EQ(platform::Inkey(), "a");
  EXPECT_EQ(platform::Inkey(), "\xffH");
  EXPECT_EQ(platform::Inkey(), "\x1b");
  EXPECT_EQ(platform::Inkey(), "\xffk");
  EXPECT_EQ(platform::Inkey(), "");  // an empty key text is never queued
  platform::PushKey("b");
  platform::ClearKeys();
  EXPECT_EQ(platform::Inkey(), "");
}

}  // namespace
