#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"
#include "tests/engine/world_fixture.h"

namespace {

using testsupport::WriteFile;

class Worlds : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    platform::SetTitleNote("");
    OpenDefaultWindow();
    WriteTextures({"brick", "stone", "wood"});
    LOADTEXTUREDB("textures.property");
  }
  static std::string Cell(int x, int y) {
    return PROPERTY_GET(BOARDDB, CellLabel(x, y).View()).VALUE;
  }
  // Loads `text` as a map file; the exit code (-1: loaded) and the standard error stream.
  static int LoadMap(const std::string& text, std::string& err) {
    WriteFile("w.map", text);
    testing::internal::CaptureStderr();
    const int code = testsupport::ExitCodeOf([] { LOADMAP("w.map"); });
    err = testing::internal::GetCapturedStderr();
    return code;
  }
  // The board's records as label=value lines.
  static std::string Board() {
    std::string text;
    for (int32_t i = 0; i < BOARDDB.Count(); ++i)
      text += BOARDDB[i].LABEL + "=" + BOARDDB[i].VALUE + "\n";
    return text;
  }
};

TEST_F(Worlds, TheMapReaderAnswersGoodAndBadMaps) {
  const std::string legend = "legend # brick\nlegend % stone\n";
  const std::string row64(64, '#');
  std::string full = legend;
  for (int y = 0; y < 64; ++y) full += y == 5 ? "#>" + std::string(61, '.') + "#\n" : row64 + "\n";
  const std::string rows65 = legend + ">\n" + [] {
    std::string r;
    for (int i = 0; i < 64; ++i) r += "#\n";
    return r;
  }();
  struct Case {
    std::string text;
    int code;
    std::string err;  // how the error stream must begin
  };
  const std::vector<Case> cases = {
      {"; comment\n" + legend + "\n#>.*\n\n", -1, ""},
      {full, -1, ""},
      {legend + "#>q\n", 1, "w.map:3:3: the character 'q' is not in the legend\n"},
      {legend + "#..\n", 1, "w.map: no start"},
      {legend + ">.<\n", 1, "w.map:3:3: a second start\n"},
      {legend + ">**\n", 1, "w.map:3:3: a second goal\n"},
      {"legend # marble\n>\n", 1, "w.map:1:10: the texture 'marble' is not loaded\n"},
      {"legend . brick\n>\n", 1, "w.map:1:8: a legend line is"},
      {legend + "legend # wood\n>\n", 1, "w.map:3:8: a second legend for '#'\n"},
      {legend + ">..\n#.\n", 1, "w.map:4:3: a row of 2 cells after rows of 3\n"},
      {legend + ">..\n\n...\n", 1, "w.map:4:1: an empty row inside the map\n"},
      {legend + ">" + std::string(64, '.') + "\n", 1, "w.map:3:65: a row of more than 64"},
      {rows65, 1, "w.map:67:1: more than 64 rows\n"},
      {legend + ">" + std::string(62, '.') + "\n", 1, "w.map:3:1: a map of 63 x 1 cells"},
      {legend + "#>.\r\n", 1, "w.map:3:4: a carriage return"},
      {legend + "#>\x01\n", 1, "w.map:3:3: byte 0x01 is no text\n"},
      {legend + "; only comments\n", 1, "w.map: the map has no rows\n"},
      {">\n", 1, "w.map: no texture for the added border"},
  };
  for (const Case& c : cases) {
    std::string err;
    EXPECT_EQ(LoadMap(c.text, err), c.code) << c.text;
    EXPECT_TRUE(err.starts_with(c.err)) << c.text << "\ngave: " << err;
    if (c.code == 1) {
      EXPECT_NE(err.find("Aborting due to runtime error 1 (illegal function call) at line"),
                std::string::npos);
      EXPECT_NE(err.find("of engine/MapFile::LOADMAP()"), std::string::npos) << err;
    }
  }
  // The first good map: 4 x 1 cells at (1, 1) inside an added border of the first legend's brick.
  std::string err;
  ASSERT_EQ(LoadMap(cases[0].text, err), -1) << err;
  EXPECT_EQ(Cell(1, 1), "brick");
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(5, 1), "brick") << "the border's right side";
  EXPECT_EQ(Cell(3, 2), "brick") << "the border's bottom";
  EXPECT_EQ(Cell(6, 1), "");
  EXPECT_EQ(BOARDDB.Count(), 1 + 2 * 6 + 2);
  EXPECT_EQ(POSX, 2.5);
  EXPECT_EQ(POSY, 1.5);
  EXPECT_EQ(ANG, 0);
  EXPECT_TRUE(HASGOAL);
  EXPECT_EQ(GOALX, 4);
  EXPECT_EQ(GOALY, 1);
}

TEST_F(Worlds, AMapThatCannotBeReadOrComesBeforeTheTexturesIsRefused) {
  std::string err;
  testing::internal::CaptureStderr();
  EXPECT_EQ(testsupport::ExitCodeOf([] { LOADMAP("missing.map"); }), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr().substr(0, 35),
            "missing.map: the map file cannot be");
  WriteFile("big.map", "");
  ASSERT_EQ(truncate("big.map", int64_t{1} << 30), 0);  // a sparse 1 GB file
  testing::internal::CaptureStderr();
  EXPECT_EQ(testsupport::ExitCodeOf([] { LOADMAP("big.map"); }), 1);
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("big.map: the map file has 1073741824 bytes"), std::string::npos) << err;
  ASSERT_EQ(symlink("/proc/self/mem", "mem.map"), 0);  // its reads fail from the start
  EXPECT_EQ(testsupport::ExitCodeOf([] { LOADMAP("mem.map"); }), 3);
  PROPERTY_ERASE(TEXTUREDB);
  EXPECT_EQ(LoadMap("legend # brick\n>\n", err), 1);
  EXPECT_NE(err.find("w.map: no texture is loaded"), std::string::npos) << err;
}

TEST_F(Worlds, AGeneratedMazeIsPerfectAndTheSameSeedGivesTheSameBoard) {
  constexpr int kSeeds = 200;
  std::vector<bool> worn(3, false);
  for (int seed = 1; seed <= kSeeds; ++seed) {
    platform::Randomize(seed);
    GENERATEMAZEDB();
    std::vector<int> open;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const std::string tex = Cell(x, y);
        if (tex.empty()) open.push_back(y * 64 + x);
        if (!tex.empty()) worn[tex == "brick" ? 0 : tex == "stone" ? 1 : 2] = true;
        const bool border = x == 0 || y == 0 || x == 63 || y == 63;
        ASSERT_TRUE(!border || !tex.empty()) << "seed " << seed;
      }
    }
    // A tree: connected, and one edge fewer than cells.
    auto isopen = [&](int c) { return Cell(c % 64, c / 64).empty(); };
    int edges = 0;
    for (int c : open) edges += isopen(c + 1) + isopen(c + 64);
    std::vector<int> distance(64 * 64, -1), queue{Y * 64 + X};
    distance[queue[0]] = 0;
    for (size_t head = 0; head < queue.size(); ++head) {
      for (int step : {1, -1, 64, -64}) {
        const int next = queue[head] + step;
        if (isopen(next) && distance[next] < 0) {
          distance[next] = distance[queue[head]] + 1;
          queue.push_back(next);
        }
      }
    }
    ASSERT_EQ(queue.size(), open.size()) << "seed " << seed << ": every open cell reachable";
    ASSERT_EQ(edges, static_cast<int>(open.size()) - 1) << "seed " << seed << ": no cycle";
    const int start = Y * 64 + X;
    EXPECT_EQ(isopen(start + 1) + isopen(start - 1) + isopen(start + 64) + isopen(start - 64), 1)
        << "seed " << seed << ": the start is a dead end";
    EXPECT_EQ(distance[GOALY * 64 + GOALX], distance[queue.back()]) << "the goal is farthest";
    EXPECT_TRUE(
        isopen(rt::FloorInt(POSX + std::cos(ANG)) + 64 * rt::FloorInt(POSY + std::sin(ANG))))
        << "the start faces its corridor";
  }
  EXPECT_EQ(worn, std::vector<bool>(3, true)) << "every texture, the first label's included";
  platform::Randomize(7);
  GENERATEMAZEDB();
  const std::string first = Board();
  const double x = POSX, y = POSY, ang = ANG;
  platform::Randomize(7);
  GENERATEMAZEDB();
  EXPECT_EQ(Board(), first);
  EXPECT_EQ(std::vector<double>({POSX, POSY, ANG}), std::vector<double>({x, y, ang}));
}

TEST_F(Worlds, ExportThenImportIsTheIdentity) {
  for (const bool maze : {true, false}) {
    platform::Randomize(3);
    maze ? GENERATEMAZEDB() : GENERATEBOARDDB();
    const std::string board = Board();
    const double x = POSX, y = POSY, ang = ANG;
    const bool goal = HASGOAL;
    const int gx = GOALX, gy = GOALY;
    std::string text, problem, err;
    ASSERT_TRUE(MAPTEXT(text, problem)) << problem;
    PROPERTY_ERASE(BOARDDB);
    HASGOAL = false;
    ASSERT_EQ(LoadMap(text, err), -1) << err;
    EXPECT_EQ(Board(), board) << (maze ? "maze" : "blocks");
    EXPECT_EQ(std::vector<double>({POSX, POSY, ANG}), std::vector<double>({x, y, ang}));
    EXPECT_EQ(HASGOAL, goal);
    if (goal) {
      EXPECT_EQ(std::vector<int>({GOALX, GOALY}), std::vector<int>({gx, gy}));
    }
  }
  POSX = 0.5;  // on the border
  std::string text, problem;
  EXPECT_FALSE(MAPTEXT(text, problem));
  EXPECT_EQ(problem, "the viewer stands in a wall or off the board");
}

TEST_F(Worlds, TheGoalIsToldOnceWithTheTimeAndTheDistance) {
  std::string err;
  ASSERT_EQ(LoadMap("legend # brick\n>.*.\n", err), -1) << err;
  FWMOVERATE = 2;  // half a cell a press
  platform::headless::SetClock(100);
  testing::internal::CaptureStdout();
  for (int frame = 0; frame < 6; ++frame) {
    if (frame == 1) platform::headless::SetClock(104.3);
    platform::PushKey(platform::kUp);
    FRAME();
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "Goal reached in 4.3 seconds, 1.5 cells walked\n");
  EXPECT_EQ(platform::Desktop().title_note, "Goal reached in 4.3 seconds, 1.5 cells walked");
  EXPECT_GT(POSX, 4) << "the viewer goes on";
}

TEST_F(Worlds, TheMinimapLeavesTheFrameAloneWhenOffAndDrawsTheViewerWhenOn) {
  platform::Randomize(1);
  GENERATEBOARDDB();
  ANG = 0;  // the heading line runs east from the middle of the viewer's cell
  const auto frame = [] {
    RAYTRACE();
    DRAWMINIMAP();
    const platform::PIXEL* page = platform::ScreenPtr();
    return std::vector<uint32_t>(&page->U, &page->U + 640 * 480);
  };
  RAYTRACE();
  const platform::PIXEL* page = platform::ScreenPtr();
  const std::vector<uint32_t> plain(&page->U, &page->U + 640 * 480);
  EXPECT_EQ(frame(), plain) << "off";
  // The top-left pixel of a cell: cells of 3 pixels, the board's right edge 8 pixels from the
  // picture's and its top 8 from the top.
  const auto pixel = [](const std::vector<uint32_t>& p, int cx, int cy) {
    return p[static_cast<size_t>(8 + cy * 3) * 640 + (640 - 8 - 64 * 3) + cx * 3] & 0xFFFFFF;
  };
  platform::PushKey("\t");
  MINIMAPCONTROL();
  ASSERT_TRUE(MINIMAPON);
  const std::vector<uint32_t> on = frame();
  EXPECT_EQ(pixel(on, X, Y), 0xFF3030u) << "the viewer's cell";
  EXPECT_EQ(pixel(on, 0, 0), 0xB0B0B0u) << "a wall";
  PROPERTY_DATABASE_DELETE(BOARDDB, CellLabel(0, 0).View());
  EXPECT_EQ(pixel(frame(), 0, 0), 0x202020u) << "the wall taken away";
  MINIMAPOPTION("explored");
  const std::vector<uint32_t> explored = frame();
  EXPECT_EQ(pixel(explored, X, Y), 0xFF3030u);
  EXPECT_EQ(pixel(explored, 63, 63), pixel(plain, 63, 63)) << "unseen";
  platform::PushKey("\t");
  MINIMAPCONTROL();
  EXPECT_EQ(frame(), plain) << "toggled off";
}

TEST_F(Worlds, SeedTakesAWholeNumberAndGivesTheSameMazeEveryTime) {
  for (const char* bad : {"", "x", "-1", "1.5", "2147483648", "99999999999"}) {
    WriteFile("params.property", std::string("GAMMA=2\nSEED=") + bad + "\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(testsupport::ExitCodeOf([] { LOADPARAMS("params.property"); }), 1) << bad;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.substr(0, err.find('\n')),
              std::string("params.property:2:6: SEED needs a whole number from 0 to 2147483647, "
                          "not '") +
                  bad + "'");
  }
  WriteFile("params.property", "SEED=2147483647\nMAZE\n");
  LOADPARAMS("params.property");
  const std::string first = Board();
  platform::Randomize(99);
  LOADPARAMS("params.property");
  EXPECT_EQ(Board(), first);
}

}  // namespace
