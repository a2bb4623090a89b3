#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"
#include "tests/engine/world_fixture.h"

namespace {

// Texel (x, y) of the test texture, as stored (transposed) in its image.
uint32_t StoredTexel(int x, int y) {
  return 0x80000000u | uint32_t(x) << 8 | uint32_t(y);
}

// One byte darkened by a brightness factor, the formula in double precision.
uint32_t DarkenByte(uint32_t b, double gamma) {
  return static_cast<uint32_t>(static_cast<int>(std::nearbyint(b * gamma)) / 255);
}
uint32_t Darken(uint32_t u, double gamma) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) out |= DarkenByte(u >> shift & 0xFF, gamma) << shift;
  return out;
}

// A 640 x 480 window over a board whose only solid cells are the border, all wearing texture
// "t" whose stored texel (x, y) is StoredTexel(x, y).
class Renderer : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    OpenDefaultWindow();
    texture_ = platform::ImageCreate(64, 64);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) platform::PSet(texture_, x, y, StoredTexel(x, y));
    }
    PROPERTY_DATABASE_SET(TEXTUREDB, "t", "texture");
    TEXTUREDB[0].IMAGE = texture_;
    for (int z = 0; z <= 63; ++z) {
      for (auto [x, y] : {std::pair{z, 0}, {0, z}, {z, 63}, {63, z}}) Solid(x, y);
    }
  }

  static void Solid(int x, int y) { PROPERTY_DATABASE_SET(BOARDDB, CellLabel(x, y).View(), "t"); }
  static uint32_t Pixel(int x, int y) { return platform::Point(nullptr, x, y); }

  // Casts columns 0 to `column` of a frame from the viewer's pose.
  static void CastUpTo(int column) {
    STARTFRAME();
    for (SX = 0; SX <= column; ++SX) CASTCOLUMN();
  }

  // Draws column SX at a given distance and texture column, as the ray caster would.
  static void DrawAt(double dist, int bbx) {
    XSCAN = 63;
    YSCAN = 1;
    DIST = dist;
    BBX = bbx;
    RENDER();
  }

  platform::IMAGE* texture_ = nullptr;
};

TEST_F(Renderer, TheMiddleColumnCrossesTheBoard) {
  POSX = POSY = 1.5;
  ANG = 0;
  CastUpTo(319);
  EXPECT_DOUBLE_EQ(VX, 1);
  EXPECT_NEAR(VY, 0.0015625, 1e-12);
  CASTCOLUMN();
  EXPECT_EQ(XSCAN, 63) << "62 x steps from cell 1";
  EXPECT_EQ(YSCAN, 1);
  EXPECT_EQ(HX, 63);
  EXPECT_NEAR(HY, 1.59609, 1e-5);
  EXPECT_EQ(BBX, 38);
  EXPECT_DOUBLE_EQ(DIST, 61.5);
}

TEST_F(Renderer, AWallAtDistanceTwoPacksTheTextureAddress) {
  SX = 100;
  DrawAt(2, 10);
  EXPECT_EQ(SY1, 160);
  EXPECT_EQ(SY2, 320);
  EXPECT_EQ(BYI, 26214);
  EXPECT_EQ(BY, -226466171 + 160 * 26214) << "advanced once per wall row";
  EXPECT_EQ(CCA, 21);
  EXPECT_NEAR(ADJUSTEDGAMMA, 81.97, 0.01);
  const double gamma = ADJUSTEDGAMMA;
  EXPECT_EQ(Pixel(100, 159), 255u - (100 + 159 * 640) / 960) << "ceiling";
  EXPECT_EQ(Pixel(100, 160), Darken(StoredTexel(1, 11), gamma));
  EXPECT_EQ(Pixel(100, 161), Darken(StoredTexel(1, 11), gamma));
  EXPECT_EQ(Pixel(100, 162), Darken(StoredTexel(2, 11), gamma));
  EXPECT_EQ(Pixel(100, 317), Darken(StoredTexel(0, 11), gamma));
  EXPECT_EQ(Pixel(100, 319), Darken(StoredTexel(0, 11), gamma));
  EXPECT_EQ(Pixel(100, 320), (100u + 320 * 640) / 1920) << "floor";
  EXPECT_EQ(Pixel(101, 200), 0u) << "other columns untouched";
}

TEST_F(Renderer, AWallTallerThanTheScreenStartsMidTexture) {
  platform::PSet(texture_, 9, 21, 0xFF01FF01);
  SX = 7;
  DrawAt(0.5, 20);
  EXPECT_EQ(SY1, 0);
  EXPECT_EQ(SY2, 480);
  EXPECT_EQ(CCA, 64);
  EXPECT_NEAR(ADJUSTEDGAMMA, 136.03, 0.01);
  // Row 0 shows texture row 8.1 rounded up, in column BBX + 1; 255 becomes 136 and 1 becomes 0.
  EXPECT_EQ(Pixel(7, 0), 0x88008800u);
}

TEST_F(Renderer, NearWallsAndTheLowestEyeDrawNoLight) {
  SX = 3;
  DrawAt(1.0 / 64, 5);
  EXPECT_EQ(SY1, 240);
  EXPECT_EQ(SY2, 240);
  EXPECT_EQ(CCA, 0);
  EXPECT_EQ(Pixel(3, 239), 255u - (3 + 239 * 640) / 960);
  EXPECT_EQ(Pixel(3, 240), (3u + 240 * 640) / 1920);

  POSZ = -0.5;
  SX = 4;
  DrawAt(2, 5);
  EXPECT_EQ(SY1, 240);
  EXPECT_EQ(ADJUSTEDGAMMA, 0);
  for (int row = SY1; row < SY2; ++row) EXPECT_EQ(Pixel(4, row), 0u) << row;
}

TEST_F(Renderer, TheRampsFollowThePixelIndex) {
  SY1 = 2;
  for (SX = 0; SX < 640; ++SX) RENDERCEILINGS();
  EXPECT_EQ(Pixel(0, 1), 255u);
  EXPECT_EQ(Pixel(319, 1), 255u);
  EXPECT_EQ(Pixel(320, 1), 254u);
  EXPECT_EQ(Pixel(639, 1), 254u);
  EXPECT_EQ(P, 639 + 2 * 640);

  // Past the byte on a large window: the ceiling goes negative, the floor reaches into green.
  XDIM = PPL = 1920;
  YDIM = 1080;
  ASSERT_EQ(platform::ScreenRes(XDIM, YDIM, 32, 2, 0), 0);
  platform::PageSet(1, 0);
  SX = 0;
  SY1 = 200;
  RENDERCEILINGS();
  EXPECT_EQ(Pixel(0, 127), 1u);
  EXPECT_EQ(Pixel(0, 128), 0xFFFFFFFFu);
  P = 300 * PPL;
  VX = VXINC = 0.5;
  RENDERFLOORS();
  EXPECT_EQ(Pixel(0, 300), 300u);
  EXPECT_EQ(Pixel(0, 1079), 1079u);
  EXPECT_EQ(VX, 1.0) << "the direction advances at the end of every column";
}

TEST_F(Renderer, RaysAlongTheAxesAndThroughCorners) {
  POSX = POSY = 1.5;
  STARTFRAME();
  SX = 0;
  VX = 0;
  VY = 1;
  CASTCOLUMN();
  EXPECT_EQ(XDIR, 0);
  EXPECT_EQ(XSCAN, 1) << "only y steps";
  EXPECT_EQ(YSCAN, 63);

  VX = -1;
  VY = 0;
  CASTCOLUMN();
  EXPECT_EQ(YSCAN, 1) << "only x steps";
  EXPECT_EQ(XSCAN, 0);
  EXPECT_EQ(HX, 1);

  // D = 0: the y step comes first and hits (1, 2) on its corner.
  Solid(1, 2);
  Solid(2, 1);
  VX = VY = 1;
  CASTCOLUMN();
  EXPECT_EQ(XSCAN, 1);
  EXPECT_EQ(YSCAN, 2);
  EXPECT_EQ(BBX, 63);

  // A viewer on a grid line.
  POSX = 2;
  VX = -1;
  CASTCOLUMN();
  EXPECT_EQ(XTEMP, 0);
  VX = 1;
  CASTCOLUMN();
  EXPECT_EQ(XTEMP, 1);
}

TEST_F(Renderer, ACellOutsideTheBoardArrayIsOutOfBounds) {
  POSX = POSY = 1.5;
  Solid(-1, 1);
  PROPERTY_DATABASE_DELETE(BOARDDB, "0,1");
  ANG = 3.141592653589793;  // looking towards -x, so the hit lies in front
  STARTFRAME();
  VX = -1;
  VY = 0;
  EXPECT_EXIT(CASTCOLUMN(), testing::ExitedWithCode(6),
              "^\nAborting due to runtime error 6 \\(out of bounds array access\\) at line [0-9]+ "
              "of engine/Renderer::RENDER\\(\\)\n\n$");
}

TEST_F(Renderer, NoPageIsANullPointer) {
  platform::Screen(0);
  EXPECT_EXIT(DrawAt(2, 0), testing::ExitedWithCode(7),
              "^\nAborting due to runtime error 7 \\(null pointer access\\) at line [0-9]+ of "
              "engine/Renderer::RENDERCEILINGS\\(\\)\n\n$");
}

// A viewer state that no ray can leave (an infinite heading gives NaN directions) still draws a
// whole frame: every column gets the ceiling and floor and no wall.
TEST_F(Renderer, RaysThatMeetNoWallEndAndDrawNoWallRows) {
  POSX = POSY = 30.5;
  for (double angle : {std::numeric_limits<double>::infinity(), std::nan("")}) {
    ANG = angle;
    RAYTRACE();
    EXPECT_EQ(SX, 640);
    for (int x : {0, 320, 639}) {
      EXPECT_EQ(Pixel(x, 239), 255u - (x + 239 * 640) / 960);
      EXPECT_EQ(Pixel(x, 240), (x + 240u * 640) / 1920);
    }
  }
  PROPERTY_ERASE(BOARDDB);
  ANG = 0.3;
  RAYTRACE();
  EXPECT_TRUE(std::isinf(DIST)) << "an open board";
}

// Row steps and projections that would leave the page: every run is clipped to the page, and
// the in-page pixels still get their documented values.
TEST_F(Renderer, ParametersThatLeaveThePageNeverWriteOutsideIt) {
  POSX = POSY = 1.5;
  ANG = 0.4;
  for (auto [ppl, hval] : {std::pair{700, 320},
                           {640000, 320},
                           {0, 320},
                           {-640, 320},
                           {640, 0},
                           {640, -320},
                           {640, 1 << 30},
                           {2147483647, 2147483647}}) {
    PPL = ppl;
    HVAL = hval;
    platform::Cls();
    RAYTRACE();
    EXPECT_EQ(SX, 640);
  }
  PPL = 700;
  HVAL = 320;
  RAYTRACE();
  EXPECT_EQ(Pixel(60, 1), 255u) << "index 700: column 0's second ceiling pixel";
}

// Ramps scaled to the page show the 640 x 480 page's colours at the same fractions of its
// height, in both renderers: each row within one step of the 640 x 480 row at its height, on the
// same side of the horizon, down to the floor's 159 at the bottom.
TEST_F(Renderer, RampsScaledToThePageKeepThe640x480Colours) {
  PROPERTY_ERASE(BOARDDB);  // no walls: ceiling down to the horizon, floor from it
  RAYTRACE();
  std::vector<uint32_t> base(480);
  for (int y = 0; y < 480; ++y) base[size_t(y)] = Pixel(0, y);
  for (auto [w, h] : {std::pair{640, 480}, {641, 479}, {1000, 700}, {1920, 1080}, {2001, 3001}}) {
    ASSERT_EQ(platform::ScreenRes(w, h, 32, 2, 0), 0);
    platform::PageSet(1, 0);
    XDIM = PPL = w;
    YDIM = h;
    HVAL = rt::RoundInt(w * 0.5);
    RAMPAREA = w * h;
    for (const bool literal : {true, false}) {
      literal ? LITERALRAYTRACE() : RAYTRACE();
      const std::string what =
          std::to_string(w) + "x" + std::to_string(h) + (literal ? " literal" : " fast");
      const platform::PIXEL* page = platform::ScreenPtr();
      EXPECT_EQ(page[size_t(w) * h - 1].U, 159u) << what;
      for (int y = 0; y < h; ++y) {
        const int row = y * 480 / h;               // the 640 x 480 row at this height
        if ((y < h / 2) != (row < 240)) continue;  // one horizon lies between the two rows
        const uint32_t at = page[size_t(y) * w].U, was = base[size_t(row)];
        ASSERT_LE(std::max(at, was) - std::min(at, was), 1u) << what << " row " << y;
      }
    }
  }
}

// A golden frame of the random-blocks world (the default world until it became a maze) from a
// fixed seed and pose guards against regressions.
TEST_F(Renderer, TheDefaultWorldDrawsItsGoldenFrame) {
  std::filesystem::current_path(MAZE_DATA_DIR "/blocks");
  STARTUP_BEGIN();
  platform::Randomize(1);
  STARTUP_END();
  POSX = 20.5;
  POSY = 31.25;
  POSZ = 0.1;
  ANG = 1.1;
  RAYTRACE();
  uint64_t hash = 1469598103934665603u;
  const platform::PIXEL* page = platform::ScreenPtr();
  for (int i = 0; i < 640 * 480; ++i) hash = (hash ^ page[i].U) * 1099511628211u;
  EXPECT_EQ(hash, 8077115616433489804u);
}

}  // namespace
