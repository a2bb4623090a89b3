// The fast path against the literal renderer: the same page and the same frame globals over
// poses, sizes, parameters, textures, boards and thread counts; a frame the fast path does not
// cover is left untouched for the literal renderer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"
#include "engine/ThreadPool.h"
#include "tests/engine/world_fixture.h"

static constexpr char MODULE_NAME[] = "tests/strip_renderer";

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

template <class T>
uint64_t Bits(T value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return bits;
}

// The fast path's thread counts: one, the helpers of a pool, and more threads than cores or
// strips of a narrow page.
constexpr int32_t kThreadCounts[] = {1, 2, 3, 7};

// The fast path's ways of drawing, which every frame takes in turn (a failure names the index):
// with each of them on a processor that has it, the others on one that has not.
constexpr FastVectors kVectors[] = {FastVectors::kAvx512, FastVectors::kAvx2, FastVectors::kNone};

// Every frame global the renderers leave behind.
// clang-format off
#define FRAME_GLOBALS(X)                                                                        \
  X(PPIX) X(COSANG) X(SINANG) X(VX) X(VY) X(VXINC) X(VYINC) X(SX) X(XSCAN) X(YSCAN) X(XDIR)     \
  X(YDIR) X(INCX) X(INCY) X(XTEMP) X(YTEMP) X(D) X(HX) X(HY) X(DIST) X(BBX) X(SY1) X(SY2) X(BY) \
  X(BYI) X(P) X(PE) X(CCA) X(ADJUSTEDGAMMA)
// clang-format on

// The work page and every frame global, the doubles as bits (NaN equals itself).
struct FrameState {
  std::vector<uint32_t> page;
  std::vector<std::pair<const char*, uint64_t>> globals;
};

FrameState Capture() {
  FrameState state;
  if (const platform::PIXEL* page = platform::ScreenPtr()) {
    const size_t pixels = size_t(platform::ScreenWidth()) * platform::ScreenHeight();
    state.page.assign(&page->U, &page->U + pixels);
  }
#define NAMED_BITS(global) {#global, Bits(global)},
  state.globals = {FRAME_GLOBALS(NAMED_BITS)};
#undef NAMED_BITS
  return state;
}

// The first difference between two states, or the empty text.
std::string Difference(const FrameState& a, const FrameState& b) {
  for (size_t i = 0; i < a.globals.size(); ++i) {
    if (a.globals[i].second != b.globals[i].second) return a.globals[i].first;
  }
  const auto [x, y] = std::mismatch(a.page.begin(), a.page.end(), b.page.begin(), b.page.end());
  return x == a.page.end() && y == b.page.end() ? ""
                                                : "pixel " + std::to_string(x - a.page.begin());
}

struct Pose {
  double x, y, z, ang;
};

// Grid lines, corners, the eye at and between its bounds, rays along the axes and diagonals,
// and a heading that no ray can follow.
const Pose kSpecialPoses[] = {
    {1.5, 1.5, 0, 0},         {12, 20.5, 0, 0.3},   {12, 20, 0.2, 1},
    {30.5, 30.5, -0.5, 2},    {30.5, 30.5, 0.5, 4}, {10.25, 40.75, 0.1, kPi / 2},
    {20.5, 20.5, 0, kPi / 4}, {33, 33, -0.25, kPi}, {62.75, 1.25, 0.49, 5.5},
    {30.5, 30.5, 0, kNaN},
};

class StripRenderer : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    OpenDefaultWindow();
    GAMMA = 2.2;
  }

  // A window of width x height pixels with PPL and HVAL to match.
  static void UseWindow(int width, int height) {
    XDIM = PPL = width;
    YDIM = height;
    HVAL = std::max(1, rt::RoundInt(width * 0.5));
    ASSERT_EQ(platform::ScreenRes(width, height, 32, 2, 0), 0);
    platform::PageSet(1, 0);
  }

  // Textures t0, t1, ... of the given sizes, random texels (alpha 255 unless `alpha`).
  void AddTextures(const std::vector<std::pair<int, int>>& sizes, bool alpha) {
    for (size_t i = 0; i < sizes.size(); ++i) {
      platform::IMAGE* image = platform::ImageCreate(sizes[i].first, sizes[i].second);
      for (int y = 0; y < sizes[i].second; ++y) {
        for (int x = 0; x < sizes[i].first; ++x) {
          platform::PSet(image, x, y, rng_() | (alpha ? 0 : 0xFF000000u));
        }
      }
      const int32_t at = PROPERTY_DATABASE_SET(TEXTUREDB, "t" + std::to_string(i), "image");
      TEXTUREDB[at].IMAGE = image;
    }
  }

  // A border (when asked) and `walls` random interior walls, each naming one of `labels`
  // textures t0, t1, ... or, one in eight, a texture that does not exist.
  void BuildBoard(int walls, bool border, int labels) {
    auto label = [&] {
      const uint32_t n = rng_() % 8;
      return n == 0 ? std::string("missing") : "t" + std::to_string(n % labels);
    };
    for (int z = 0; border && z <= 63; ++z) {
      for (auto [x, y] : {std::pair{z, 0}, {0, z}, {z, 63}, {63, z}}) {
        PROPERTY_DATABASE_SET(BOARDDB, CellLabel(x, y).View(), label());
      }
    }
    for (int i = 0; i < walls; ++i) {
      const int x = 1 + int(rng_() % 62), y = 1 + int(rng_() % 62);
      PROPERTY_DATABASE_SET(BOARDDB, CellLabel(x, y).View(), label());
    }
  }

  // The default world: three 64 x 64 textures and a closed board of 600 random walls.
  void DefaultWorld() {
    AddTextures({{64, 64}, {64, 64}, {64, 64}}, false);
    BuildBoard(600, true, 3);
  }

  // The special poses (when asked) and then `count` random ones, some on grid lines.
  std::vector<Pose> Poses(int count, bool special) {
    std::vector<Pose> poses;
    if (special) poses.assign(std::begin(kSpecialPoses), std::end(kSpecialPoses));
    std::uniform_real_distribution<double> place(1.25, 62.75), eye(-0.5, 0.5), turn(0, 2 * kPi);
    for (int i = 0; i < count; ++i) {
      Pose pose{place(rng_), place(rng_), eye(rng_), turn(rng_)};
      if (i % 4 == 1) pose.x = std::floor(pose.x);
      if (i % 4 == 2) pose.y = std::floor(pose.y);
      poses.push_back(pose);
    }
    return poses;
  }

  // The work page full of random pixels (which walls without a texture darken), cleared by Cls
  // when asked (a clear the fast path skips, so that the memory still holds the pixels), and
  // the frame globals that outlive a column set.
  static void Prepare(bool cleared) {
    std::mt19937 pattern(7);
    if (platform::PIXEL* page = platform::ScreenPtr()) {
      for (int i = 0; i < platform::ScreenWidth() * platform::ScreenHeight(); ++i) {
        page[i].U = pattern();
      }
    }
    if (cleared) platform::Cls();
    HX = 7.25, HY = 3.5, BBX = 9, BY = -123456789, BYI = 4321, PPIX = nullptr;
  }

  // Draws the frame at `pose` with both renderers and expects the same page and globals.
  void ExpectSameFrame(const Pose& pose, bool cleared, const std::string& what) {
    POSX = pose.x, POSY = pose.y, POSZ = pose.z, ANG = pose.ang;
    const std::string where = what + " at " + std::to_string(pose.x) + "," +
                              std::to_string(pose.y) + "," + std::to_string(pose.z) + "," +
                              std::to_string(pose.ang) + (cleared ? " (cleared)" : "");
    Prepare(cleared);
    LITERALRAYTRACE();
    const FrameState literal = Capture();
    for (int32_t threads : kThreadCounts) {
      THREADS = threads;
      const size_t vectors = frames_++ % std::size(kVectors);
      LIMITFASTVECTORS(kVectors[vectors]);
      const std::string how = where + ", " + std::to_string(threads) + " threads, vector limit " +
                              std::to_string(vectors);
      Prepare(cleared);
      ASSERT_TRUE(STRIPRAYTRACE()) << how;
      EXPECT_EQ(Difference(literal, Capture()), "") << how;
    }
  }

  void ExpectSameFrames(const std::vector<Pose>& poses, const std::string& what) {
    for (size_t i = 0; i < poses.size(); ++i) ExpectSameFrame(poses[i], i % 2 == 0, what);
  }

  void TearDown() override {
    LIMITFASTVECTORS(FastVectors::kAvx512);
    WorldTest::TearDown();
  }

  std::mt19937 rng_{2024};
  size_t frames_ = 0;  // fast frames drawn, which take the vector limits in turn
};

TEST_F(StripRenderer, DrawsTheLiteralFrameAtEveryPoseAndSize) {
  DefaultWorld();
  const struct {
    int width, height, poses;
  } sizes[] = {{640, 480, 30}, {1, 1, 4},       {2, 1, 4},      {1, 2, 4},   {3, 5, 4},
               {8, 3, 4},      {17, 16, 4},     {64, 48, 4},    {65, 49, 4}, {333, 201, 4},
               {1280, 720, 2}, {1921, 1081, 1}, {3840, 2160, 1}};
  for (const auto& size : sizes) {
    UseWindow(size.width, size.height);
    ExpectSameFrames(Poses(size.poses, size.width == 640),
                     std::to_string(size.width) + "x" + std::to_string(size.height));
  }
}

// Ramps spanning any number of pixels, the page's own among them: steps that come several to a
// pixel, several to a strip's row, or once in many rows.
TEST_F(StripRenderer, DrawsTheLiteralFrameWithRampsOfEverySpan) {
  DefaultWorld();
  const struct {
    int width, height, area;
  } sizes[] = {{1, 1, 1},         {3, 5, 15},         {17, 16, 7},           {64, 48, 3072},
               {333, 201, 66933}, {641, 479, 307039}, {1921, 1081, 2076601}, {200, 100, 1228800}};
  for (const auto& size : sizes) {
    UseWindow(size.width, size.height);
    RAMPAREA = size.area;
    ExpectSameFrames(Poses(3, false), std::to_string(size.width) + "x" +
                                          std::to_string(size.height) + " ramps over " +
                                          std::to_string(size.area));
  }
}

TEST_F(StripRenderer, DrawsTheLiteralFrameForEveryScaleAndGamma) {
  UseWindow(160, 101);
  DefaultWorld();
  const std::vector<Pose> poses = Poses(4, false);
  for (int32_t hval : {1, 7, 80, 81, 479, 1 << 20}) {
    HVAL = hval;
    ExpectSameFrames(poses, "HVAL " + std::to_string(hval));
  }
  HVAL = 80;
  const double inf = std::numeric_limits<double>::infinity();
  for (double gamma : {1.0, 0.5, 10.0, 0.0, -1.5, 1e-300, inf, kNaN}) {
    GAMMA = gamma;
    ExpectSameFrames(poses, "GAMMA " + std::to_string(gamma));
  }
  // One column facing a wall, drawn again with another GAMMA: no shading outlives its frame.
  UseWindow(1, 480);
  HVAL = 480;
  for (double gamma : {2.2, 1.0}) {
    GAMMA = gamma;
    ExpectSameFrame({1.5, 20.5, 0, kPi}, true, "one column, GAMMA " + std::to_string(gamma));
  }
}

TEST_F(StripRenderer, DrawsTheLiteralFrameForEveryKindOfTexture) {
  UseWindow(200, 150);
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> sizes;
    bool alpha;
  } kinds[] = {{"smaller than 64 x 64", {{17, 9}, {64, 30}, {40, 64}}, false},
               {"larger than 64 x 64", {{130, 70}, {64, 65}, {200, 200}}, false},
               {"with alpha", {{64, 64}, {64, 64}, {64, 64}}, true},
               {"none", {}, false}};
  for (const auto& kind : kinds) {
    PROPERTY_ERASE(TEXTUREDB);
    PROPERTY_ERASE(BOARDDB);
    AddTextures(kind.sizes, kind.alpha);
    BuildBoard(600, true, 3);
    ExpectSameFrames(Poses(6, false), kind.name);
  }
}

TEST_F(StripRenderer, DrawsTheLiteralFrameOnOddBoards) {
  UseWindow(120, 90);
  AddTextures({{64, 64}, {64, 64}}, false);
  const std::vector<Pose> poses = Poses(4, false);
  ExpectSameFrames(poses, "an empty board");  // no ray meets a wall
  BuildBoard(300, false, 2);
  ExpectSameFrames(poses, "a board without a border");
  BuildBoard(0, true, 2);
  for (int x = 0; x <= 64; ++x) {
    for (int y = 0; y <= 64; ++y) BOARD.At(x, y, RT_HERE) = -int32_t(x % 3);
  }
  ExpectSameFrames(poses, "texture numbers below 0");
  PROPERTY_DATABASE_SET(BOARDDB, "30,30", "t1");
  ExpectSameFrame({30.5, 30.5, 0, 1}, true, "the viewer inside a wall");
}

// Parameters whose runs leave the page, a wall cell outside BOARD, or a texture number that
// makes the packed address positive: the fast path declines before it writes anything.
TEST_F(StripRenderer, LeavesTheFramesItDoesNotCoverUntouched) {
  UseWindow(64, 48);
  DefaultWorld();
  const struct {
    const char* name;
    std::function<void()> change;
  } cases[] = {
      {"PPL above XDIM", [] { PPL = 65; }},
      {"PPL below XDIM", [] { PPL = 63; }},
      {"HVAL 0", [] { HVAL = 0; }},
      {"HVAL below 0", [] { HVAL = -32; }},
      {"POSZ above 0.5", [] { POSZ = std::nextafter(0.5, 1.0); }},
      {"POSZ below -0.5", [] { POSZ = -0.75; }},
      {"POSZ NaN", [] { POSZ = kNaN; }},
      {"YDIM not the page's height", [] { YDIM = 47; }},
      {"XDIM and PPL not the page's width", [] { XDIM = PPL = 63; }},
      {"BOARD smaller than the board", [] { BOARD.Redim(0, 10, 0, 10, RT_HERE); }},
      {"texture number 3", [] { BOARD.At(0, 20, RT_HERE) = 3; }},
      {"no window", [] { platform::Screen(0); }},
      {"no window and no columns",
       [] {
         platform::Screen(0);
         XDIM = PPL = YDIM = 0;
       }},
  };
  for (const auto& c : cases) {
    POSX = 1.5, POSY = 20.5, POSZ = 0, ANG = kPi;  // facing the wall cell (0, 20)
    c.change();
    Prepare(false);
    const FrameState before = Capture();
    EXPECT_FALSE(STRIPRAYTRACE()) << c.name;
    EXPECT_EQ(Difference(before, Capture()), "") << c.name;
    UseWindow(64, 48);
    BOARD.Redim(0, 64, 0, 64, RT_HERE);
  }
}

// THREADS of 0 or below asks for one thread per core, above the limit for the limit.
TEST(ThreadPool, GivesEveryRequestADocumentedCount) {
  const int32_t cores = pool::ThreadsFor(0);
  EXPECT_GE(cores, 1);
  const struct {
    int32_t wanted, threads;
  } rows[] = {{1, 1},   {2, 2},      {7, 7},      {64, 64},
              {65, 64}, {10000, 64}, {-1, cores}, {std::numeric_limits<int32_t>::min(), cores}};
  for (const auto& row : rows) EXPECT_EQ(pool::ThreadsFor(row.wanted), row.threads) << row.wanted;
}

// Every task runs exactly once, whatever the thread and task counts, and again on a pool that
// changes its size from one piece of work to the next.
TEST(ThreadPool, RunsEveryTaskOnce) {
  for (int32_t threads : {1, 2, 7, 3, 64}) {
    for (int32_t tasks : {0, 1, 2, 5, 300}) {
      std::vector<std::atomic<int32_t>> runs(static_cast<size_t>(tasks));
      std::atomic<bool> worker_in_range{true};
      pool::Run(threads, tasks, [&](int32_t task, int32_t worker) {
        runs[static_cast<size_t>(task)].fetch_add(1);
        if (worker < 0 || worker >= threads) worker_in_range = false;
      });
      for (int32_t t = 0; t < tasks; ++t)
        EXPECT_EQ(runs[size_t(t)].load(), 1) << threads << " " << t;
      EXPECT_TRUE(worker_in_range) << threads;
    }
  }
}

}  // namespace
