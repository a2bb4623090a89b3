#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

using platform::IMAGE;

// Owns an image for the length of a test.
class Owned {
 public:
  Owned(int width, int height, uint32_t fill)
      : image_(platform::ImageCreate(width, height, fill)) {}
  ~Owned() { platform::ImageDestroy(image_); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  IMAGE* get() const { return image_; }
  uint32_t at(int x, int y) const { return platform::Point(image_, x, y); }

 private:
  IMAGE* image_;
};

// The coordinates of every pixel of `image` that differs from `background`.
std::set<std::pair<int, int>> Drawn(const Owned& image, uint32_t background) {
  std::set<std::pair<int, int>> pixels;
  for (uint32_t y = 0; y < image.get()->HEIGHT; ++y)
    for (uint32_t x = 0; x < image.get()->WIDTH; ++x)
      if (image.at(static_cast<int>(x), static_cast<int>(y)) != background) pixels.insert({x, y});
  return pixels;
}

class Draw : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ResetPlatform(); }
  void TearDown() override { testsupport::ResetPlatform(); }
};

TEST_F(Draw, PutBlendsEveryChannelWithTheSourceAlpha) {
  struct Case {
    uint32_t dst, src, want;
  };
  const Case cases[] = {
      {0x00000000, 0x80FF0000, 0x407F0000},  // 255 * 128 / 256 = 127.5 truncates to 127
      {0xFFFFFFFF, 0x80000000, 0xC0808080},  // -127.5 truncates toward zero: 255 - 127
      {0xFF000000, 0xFF102030, 0xFF0F1F2F},  // alpha 255 still takes 255/256 of the step
      {0x00000000, 0xFFFFFFFF, 0xFEFEFEFE},
      {0x12345678, 0x00ABCDEF, 0x12345678},  // alpha 0 leaves the target
      {0x80406080, 0x40C02010, 0x70605064},
  };
  for (const Case& c : cases) {
    Owned target(1, 1, c.dst), source(1, 1, c.src);
    ASSERT_EQ(platform::Put(target.get(), 0, 0, source.get()), 0);
    EXPECT_EQ(target.at(0, 0), c.want) << std::hex << c.dst << " " << c.src;
  }
}

TEST_F(Draw, PutClipsAtEveryEdge) {
  // A 3 x 2 source with distinct opaque-ish pixels (alpha 128 over 0 halves each channel).
  Owned source(3, 2, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      platform::PSet(source.get(), x, y, 0x80000000u | static_cast<uint32_t>(2 * (10 * y + x + 1)));
  struct Case {
    int x, y;
  };
  const Case cases[] = {{0, 0},
                        {-1, -1},
                        {3, 3},
                        {-2, 2},
                        {-3, 0},
                        {4, 0},
                        {0, -2},
                        {0, 4},
                        {INT_MAX, 0},
                        {0, INT_MAX},
                        {INT_MIN, 0},
                        {0, INT_MIN},
                        {INT_MAX, INT_MAX},
                        {2, 1}};
  for (const Case& c : cases) {
    Owned target(4, 4, 0);
    ASSERT_EQ(platform::Put(target.get(), c.x, c.y, source.get()), 0);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const int64_t sx = int64_t{x} - c.x, sy = int64_t{y} - c.y;
        uint32_t want = 0;
        if (sx >= 0 && sx < 3 && sy >= 0 && sy < 2)
          want = 0x40000000u | static_cast<uint32_t>(10 * sy + sx + 1);
        EXPECT_EQ(target.at(x, y), want) << c.x << "," << c.y << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(Draw, PutNeedsASourceAndATargetAndMayDrawAnImageOntoItself) {
  Owned image(3, 1, 0);
  EXPECT_EQ(platform::Put(image.get(), 0, 0, nullptr), 1);
  EXPECT_EQ(platform::Put(nullptr, 0, 0, image.get()), 1);  // no window, so no work page
  ASSERT_EQ(platform::ScreenRes(4, 4, 32, 2, 0), 0);
  platform::PageSet(1, 0);
  Owned red(1, 1, 0xFFFF0000);
  EXPECT_EQ(platform::Put(nullptr, 2, 3, red.get()), 0);
  EXPECT_EQ(platform::ScreenPtr()[3 * 4 + 2].U, 0xFEFE0000u);

  // Shifted onto itself, every pixel blends with the original, not an already drawn one.
  for (int x = 0; x < 3; ++x) platform::PSet(image.get(), x, 0, 0xFF000000u | (x + 1) * 64);
  ASSERT_EQ(platform::Put(image.get(), 1, 0, image.get()), 0);
  EXPECT_EQ(image.at(0, 0), 0xFF000040u);
  EXPECT_EQ(image.at(1, 0), 0xFF000041u);  // 128 + (64 - 128) * 255 / 256 = 128 - 63
  EXPECT_EQ(image.at(2, 0), 0xFF000081u);  // 192 + (128 - 192) * 255 / 256 = 192 - 63
}

TEST_F(Draw, PointAndPSetOutsideTheTarget) {
  Owned image(2, 2, 0x11111111);
  for (auto [x, y] : std::vector<std::pair<int, int>>{
           {-1, 0}, {0, -1}, {2, 0}, {0, 2}, {INT_MIN, INT_MIN}, {INT_MAX, 1}}) {
    platform::PSet(image.get(), x, y, 0xFFFFFFFF);
    EXPECT_EQ(image.at(x, y), 0xFFFFFFFFu);
  }
  EXPECT_EQ(Drawn(image, 0x11111111), (std::set<std::pair<int, int>>{}));
  EXPECT_EQ(platform::Point(nullptr, 0, 0), 0xFFFFFFFFu);  // no window
}

TEST_F(Draw, BoxesTakeTheirCornersInAnyOrder) {
  using Pixels = std::set<std::pair<int, int>>;
  const Pixels outline = {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}};
  Pixels filled = outline;
  filled.insert({2, 2});
  for (auto [x1, y1, x2, y2] : std::vector<std::tuple<int, int, int, int>>{
           {1, 1, 3, 3}, {3, 3, 1, 1}, {1, 3, 3, 1}, {3, 1, 1, 3}}) {
    Owned box(5, 5, 0), fill(5, 5, 0);
    platform::Line(box.get(), x1, y1, x2, y2, 7, platform::kBox);
    platform::Line(fill.get(), x1, y1, x2, y2, 7, platform::kFilledBox);
    EXPECT_EQ(Drawn(box, 0), outline);
    EXPECT_EQ(Drawn(fill, 0), filled);
  }
  Owned other(5, 5, 0);
  platform::Line(other.get(), 0, 0, 4, 4, 7, 3);  // no such kind
  EXPECT_EQ(Drawn(other, 0), Pixels{});
}

TEST_F(Draw, BoxesClipAndCoverHugeCornersQuickly) {
  Owned whole(4, 3, 0), frame(4, 3, 0), beyond(4, 3, 0), edge(4, 3, 0);
  platform::Line(whole.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 5, platform::kFilledBox);
  EXPECT_EQ(Drawn(whole, 0).size(), 12u);
  platform::Line(frame.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 5, platform::kBox);
  EXPECT_TRUE(Drawn(frame, 0).empty());  // the outline lies far outside
  platform::Line(beyond.get(), 10, 10, INT_MAX, INT_MAX, 5, platform::kFilledBox);
  EXPECT_TRUE(Drawn(beyond, 0).empty());
  platform::Line(edge.get(), -5, 1, INT_MAX, INT_MAX, 5, platform::kBox);  // top edge at row 1
  EXPECT_EQ(Drawn(edge, 0), (std::set<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
}

TEST_F(Draw, BlendingPrimitivesDrawEachPixelOnce) {
  ASSERT_EQ(platform::ScreenRes(6, 6, 32, 2, 64), 0);
  platform::Line(nullptr, 1, 1, 4, 4, 0x80FF0000, platform::kBox);
  platform::Line(nullptr, 0, 5, 5, 0, 0x80FF0000, platform::kLine);
  const uint32_t times[] = {0, 0x407F0000, 0x60BF0000};  // blended over black 0, 1, 2 times
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool box = x >= 1 && x <= 4 && y >= 1 && y <= 4 && (x % 3 == 1 || y % 3 == 1);
      const bool line = x + y == 5;
      EXPECT_EQ(platform::Point(nullptr, x, y), times[box + line]) << x << "," << y;
    }
  }
  platform::PSet(nullptr, 0, 0, 0x80FF0000);
  EXPECT_EQ(platform::Point(nullptr, 0, 0), times[1]);
}

// One pixel per step of the longer axis, both corners included, each pixel within half a pixel
// of the ideal line, ties moving away from the first corner.
TEST_F(Draw, LinesFollowTheIdealLine) {
  const std::vector<std::tuple<int, int, int, int>> lines = {
      {2, 2, 2, 2},   {0, 0, 20, 0}, {20, 3, 0, 3}, {5, 0, 5, 20}, {0, 0, 20, 20},
      {20, 0, 0, 20}, {0, 0, 20, 7}, {20, 7, 0, 0}, {3, 1, 9, 19}, {19, 18, 1, 2},
      {0, 10, 20, 9}, {0, 0, 4, 1},  {4, 1, 0, 0},  {7, 19, 12, 0}};
  for (auto [x1, y1, x2, y2] : lines) {
    Owned image(21, 21, 0);
    platform::Line(image.get(), x1, y1, x2, y2, 9, platform::kLine);
    const auto drawn = Drawn(image, 0);
    const int dx = x2 - x1, dy = y2 - y1;
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const int major = std::max(std::abs(dx), std::abs(dy));
    ASSERT_EQ(drawn.size(), static_cast<size_t>(major + 1)) << x1 << "," << y1;
    EXPECT_TRUE(drawn.count({x1, y1}) && drawn.count({x2, y2}));
    for (auto [x, y] : drawn) {
      // Distance along the minor axis from the ideal line, times `major` to stay in integers.
      const int i = x_major ? std::abs(x - x1) : std::abs(y - y1);
      const int minor_at = x_major ? y - y1 : x - x1;
      const int minor_total = x_major ? dy : dx;
      const int error = minor_at * major - i * minor_total;
      const int sign = minor_total < 0 ? -1 : 1;
      // Within half a pixel, a tie taking the step away from the first corner.
      EXPECT_TRUE(2 * error * sign <= major && (2 * error * sign > -major || major == 0))
          << x1 << "," << y1 << "-" << x2 << "," << y2 << " at " << x << "," << y;
    }
  }
  // The tie at the middle step of (0,0)-(4,1) moves away from whichever corner comes first.
  Owned forward(5, 2, 0), backward(5, 2, 0);
  platform::Line(forward.get(), 0, 0, 4, 1, 9, platform::kLine);
  platform::Line(backward.get(), 4, 1, 0, 0, 9, platform::kLine);
  EXPECT_EQ(Drawn(forward, 0),
            (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}));
  EXPECT_EQ(Drawn(backward, 0),
            (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}));
}

// A line clipped to a small image draws exactly the pixels it draws in that window of a large
// one, whatever its corners.
TEST_F(Draw, ClippedLinesMatchTheUnclippedLine) {
  const int kOffset = 40;  // the small image is the window (40..55, 40..51) of the large one
  std::srand(7);
  for (int n = 0; n < 400; ++n) {
    const int x1 = std::rand() % 136 - 40, y1 = std::rand() % 132 - 40;
    const int x2 = std::rand() % 136 - 40, y2 = std::rand() % 132 - 40;
    Owned large(136, 132, 0), small(16, 12, 0);
    platform::Line(large.get(), x1 + kOffset, y1 + kOffset, x2 + kOffset, y2 + kOffset, 1,
                   platform::kLine);
    platform::Line(small.get(), x1, y1, x2, y2, 1, platform::kLine);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(small.at(x, y), large.at(x + kOffset, y + kOffset))
            << x1 << "," << y1 << "-" << x2 << "," << y2 << " at " << x << "," << y;
  }
}

TEST_F(Draw, LinesWithHugeCornersDrawOnlyTheirVisiblePixels) {
  using Pixels = std::set<std::pair<int, int>>;
  auto draw = [](int x1, int y1, int x2, int y2) {
    Owned image(10, 10, 0);
    platform::Line(image.get(), x1, y1, x2, y2, 3, platform::kLine);
    return Drawn(image, 0);
  };
  Pixels diagonal, row5, anti;
  for (int k = 0; k < 10; ++k) {
    diagonal.insert({k, k});
    row5.insert({k, 5});
    anti.insert({k, 9 - k});
  }
  EXPECT_EQ(draw(INT_MIN, INT_MIN, INT_MAX, INT_MAX), diagonal);
  EXPECT_EQ(draw(INT_MAX, INT_MAX, INT_MIN, INT_MIN), diagonal);
  EXPECT_EQ(draw(INT_MIN, 5, INT_MAX, 5), row5);
  EXPECT_EQ(draw(INT_MAX, 5, INT_MIN, 5), row5);
  // Through (0, 9) and (9, 0): x + y = 9 for every step.
  EXPECT_EQ(draw(-1000000000, 1000000009, 1000000009, -1000000000), anti);
  EXPECT_EQ(draw(INT_MIN, INT_MIN, INT_MIN, INT_MAX), Pixels{});
  EXPECT_EQ(draw(INT_MAX, 3, INT_MAX, 3), Pixels{});
  // Nearly flat across the whole range: the row changes only near the middle, far away.
  EXPECT_EQ(
      draw(0, 0, INT_MAX, 1),
      (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}));
  EXPECT_EQ(
      draw(INT_MAX, 1, 0, 0),
      (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}));
  // A line missing the image entirely.
  EXPECT_EQ(draw(INT_MIN, 20, INT_MAX, 30), Pixels{});
  EXPECT_EQ(draw(-20, 5, 5, -20), Pixels{});
}

}  // namespace
