#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"
#include "tests/test_support.h"

static constexpr char MODULE_NAME[] = "tests/motion";

namespace {

namespace fs = std::filesystem;

class Motion : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetPlatform();
    RESETGLOBALS();
    REGS.Redim(0, 4, RT_HERE);
    FILEMODE.Redim(0, 255, RT_HERE);
    MOTIONDEFAULTS();
    MOTION = COLLIDE = 1;
    ASSERT_EQ(platform::ScreenRes(64, 48, 32, 2, 0), 0);
    dir_ = fs::temp_directory_path() / ("maze-motion-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    Pose(10.5, 32.5, 0);
  }
  void TearDown() override {
    RESETGLOBALS();
    testsupport::ResetPlatform();
    fs::remove_all(dir_);
  }

  static void Pose(double x, double y, double angle) {
    POSX = x;
    POSY = y;
    ANG = angle;
  }
  static void Walls(const std::vector<std::pair<int, int>>& cells) {
    for (auto [x, y] : cells) PROPERTY_SET(BOARDDB, CellLabel(x, y).View(), "w");
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // One frame's controls after the frame of heading ANG was drawn.
  static void Controls() {
    COSANG = std::cos(ANG);
    SINANG = std::sin(ANG);
    CONTROLS();
  }
  // Replays a session script through the frame loop's show-then-control steps.
  void Play(const std::string& script) {
    ASSERT_TRUE(platform::headless::Play(Write("session", script)));
    while (platform::headless::Playing()) {
      platform::Flip(1, 0);
      Controls();
    }
  }
  // True when the viewer's square overlaps no solid cell (touching one is allowed).
  static bool Clear() {
    for (int x = rt::FloorInt(POSX - VIEWRADIUS); x < POSX + VIEWRADIUS; ++x) {
      for (int y = rt::FloorInt(POSY - VIEWRADIUS); y < POSY + VIEWRADIUS; ++y) {
        if (!PROPERTY_GET(BOARDDB, CellLabel(x, y).View()).LABEL.empty()) return false;
      }
    }
    return true;
  }

  fs::path dir_;
};

TEST_F(Motion, DistanceIsSpeedTimesTimeAtAnyFrameRateAndAStallIsBounded) {
  struct Case {
    const char* frames;
    double walked;
  } cases[] = {{"2 seconds at 30 frames per second", 6},
               {"2 seconds at 60 frames per second", 6},
               {"2 seconds at 240 frames per second", 6},
               {"frame 5", 3 * MAXFRAMESECONDS}};
  for (const Case& c : cases) {
    Pose(10.5, 32.5, 0);
    Play(std::string("down W\ndown Up\n") + c.frames + "\nup W\nup Up\nframe 1\n");
    EXPECT_NEAR(POSX, 10.5 + c.walked, 1e-9) << c.frames;
    EXPECT_DOUBLE_EQ(POSY, 32.5) << c.frames;
  }
}

TEST_F(Motion, SpeedValuesFromTheFileMoveBoundedOrNotAtAll) {
  COLLIDE = 0;
  struct Case {
    const char* value;
    double walked;  // in one frame of 0.05 s
  } cases[] = {{"", 0}, {"abc", 0}, {"-3", -0.15}, {"1e308", MAXSTEPCELLS}};
  for (const Case& c : cases) {
    WALKSPEED = rt::Val(c.value);
    Pose(1.5, 32.5, 0);
    Play("down Up\nframe 0.05\nup Up\n");
    EXPECT_NEAR(POSX, std::clamp(1.5 + c.walked, 1.25, 62.75), 1e-12) << c.value;
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(testsupport::ExitCodeOf([&] { RECORDSESSION((dir_ / "no" / "folder").string()); }), 2);
  testing::internal::GetCapturedStderr();
}

TEST_F(Motion, HeldActionsCombineAndATapShorterThanAFrameStillMoves) {
  ACTIONKEYS[ACT_FORWARD] = {"W"};
  ACTIONKEYS[ACT_TURNRIGHT] = {"Right"};
  Play("down W\ndown Right\n0.75 seconds at 100 frames per second\nup Right\nup W\n");
  EXPECT_NEAR(ANG, M_PI / 2, 1e-9);  // 120 degrees a second for 0.75 s
  EXPECT_GT(POSY, 33.5);             // walked along the turning heading
  const double x = POSX, y = POSY;
  Play("down W\nup W\nframe 0.01\n");
  EXPECT_NEAR(std::hypot(POSX - x, POSY - y), WALKSPEED * 0.01, 1e-9);
}

TEST_F(Motion, WallsHoldTheViewerWhoSlidesAlongThem) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> walls;
    double x, y, angle, wantx, wanty;  // wanty < 0: only "beyond the start" is checked
  } cases[] = {
      {"slides along a wall met at an angle",
       {{12, 30}, {12, 31}, {12, 32}, {12, 33}, {12, 34}},
       11.5,
       32.5,
       0.5,
       11.75,
       -1},
      {"stops in a corner", {{12, 32}, {11, 33}, {12, 33}}, 11.5, 32.5, M_PI / 4, 11.75, 32.75},
      {"never passes diagonally between two walls",
       {{12, 32}, {11, 33}},
       11.5,
       32.5,
       M_PI / 4,
       11.75,
       32.75},
      {"never tunnels through a thin wall", {{12, 32}}, 11.5, 32.5, 0, 11.75, 32.5},
  };
  for (const Case& c : cases) {
    WALKSPEED = c.wanty < 0 ? 3 : 1e308;  // a slide is followed for 3 cells, the rest at any speed
    PROPERTY_ERASE(BOARDDB);
    Walls(c.walls);
    Pose(c.x, c.y, c.angle);
    Play("down Up\n1 seconds at 60 frames per second\nup Up\n");
    EXPECT_DOUBLE_EQ(POSX, c.wantx) << c.what;
    if (c.wanty >= 0) {
      EXPECT_DOUBLE_EQ(POSY, c.wanty) << c.what;
    } else {
      EXPECT_GT(POSY, c.y + 1) << c.what;
    }
  }
}

TEST_F(Motion, NoFrameEndsInsideAWallOverLongRandomSessions) {
  platform::Randomize(7);
  for (int x = 0; x < 64; ++x) {
    for (int y = 0; y < 64; ++y) {
      const bool border = x == 0 || y == 0 || x == 63 || y == 63;
      if (border || (platform::Rnd() < 0.3 && !(x == 32 && y == 32))) Walls({{x, y}});
    }
  }
  const char* keys[] = {"Up", "Down", "Left", "Right", "Comma", "Period"};
  const double speeds[] = {0.5, 3, 40, 1e6};
  Pose(32.5, 32.5, 0);
  double clock = 0;
  for (int frame = 0; frame < 5000; ++frame) {
    if (frame % 50 == 0) WALKSPEED = STRAFESPEED = speeds[frame / 50 % 4];
    const std::string key = keys[static_cast<int>(platform::Rnd() * 6)];
    platform::Rnd() < 0.5 ? platform::KeyDown(key) : platform::KeyUp(key);
    platform::headless::SetClock(clock += platform::Rnd() * 0.05);
    Controls();
    ASSERT_TRUE(Clear()) << "frame " << frame << " at " << POSX << "," << POSY;
  }
}

TEST_F(Motion, VerticalPointerMotionWalksOnlyWhenAskedFor) {
  struct Case {
    int32_t motion, mousewalk;
    double walked;
  } cases[] = {{0, -1, 0.2}, {0, 0, 0}, {1, -1, 0}, {1, 1, 0.2}};
  for (const Case& c : cases) {
    MOTION = c.motion;
    MOUSEWALK = c.mousewalk;
    Pose(10.5, 32.5, 0);
    REGS.At(3, RT_HERE) = -10;
    Controls();
    EXPECT_NEAR(POSX, 10.5 + c.walked, 1e-12) << c.motion << " " << c.mousewalk;
  }
}

TEST_F(Motion, BindingsFileBindsActionsAndRefusesUnknownNamesWithFileAndLine) {
  struct Case {
    const char* text;
    int code;
    const char* message;
  } cases[] = {
      {"forward=W\nback=S\njump=Space\n", 1, "bindings: line 3: unknown action \"jump\""},
      {"forward=W w\n", 1, "bindings: line 1: unknown key \"w\""},
      {"forward=W Up\r\nnote\r\nback=S", -1, ""},
  };
  for (const Case& c : cases) {
    const std::string path = Write("bindings", c.text);
    testing::internal::CaptureStderr();
    const int code = testsupport::ExitCodeOf([&] { LOADBINDINGS(path); });
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
  }
  EXPECT_EQ(ACTIONKEYS[ACT_FORWARD], (std::vector<std::string>{"W", "Up"}));
  EXPECT_TRUE(ACTIONKEYS[ACT_TURNLEFT].empty());
  testing::internal::CaptureStderr();
  EXPECT_EQ(testsupport::ExitCodeOf([&] { LOADBINDINGS((dir_ / "none").string()); }), 2);
  testing::internal::GetCapturedStderr();
}

TEST_F(Motion, ARecordedSessionReplaysToTheSamePose) {
  const std::string path = (dir_ / "recorded").string();
  platform::Randomize(0.25);
  ASSERT_EQ(platform::RecordSession(path), 0);
  const char* keys[] = {"Up", "Left", "Period", "A"};
  double clock = 0;
  for (int frame = 0; frame < 300; ++frame) {
    const std::string key = keys[frame / 7 % 4];
    frame % 3 == 0 ? platform::KeyDown(key) : platform::KeyUp(key);
    platform::headless::SetClock(clock += 0.001 + platform::Rnd() * 0.03);
    platform::Flip(1, 0);
    Controls();
  }
  ASSERT_EQ(platform::RecordSession((dir_ / "second").string()), 0);  // ends the first
  const double x = POSX, y = POSY, z = POSZ, angle = ANG;
  platform::ClearKeys();
  Pose(10.5, 32.5, 0);
  POSZ = 0;
  std::ifstream recorded(path);
  Play(std::string(std::istreambuf_iterator<char>(recorded), {}));
  EXPECT_EQ(POSX, x);
  EXPECT_EQ(POSY, y);
  EXPECT_EQ(POSZ, z);
  EXPECT_EQ(ANG, angle);
}

}  // namespace
