#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"
#include "tests/engine/world_fixture.h"

namespace {

class Board : public testsupport::WorldTest {
 protected:
  // TEXTUREDB with the given labels (no images: generation reads the labels only).
  static void SetTextures(const std::vector<std::string>& labels) {
    PROPERTY_ERASE(TEXTUREDB);
    for (const std::string& label : labels) PROPERTY_DATABASE_SET(TEXTUREDB, label, "0");
  }
  static std::string CellValue(int x, int y) {
    return PROPERTY_GET(BOARDDB, CellLabel(x, y).View()).VALUE;
  }
  static bool IsBorder(const std::string& label) {
    const size_t comma = label.find(',');
    const int x = std::stoi(label.substr(0, comma)), y = std::stoi(label.substr(comma + 1));
    return x == 0 || y == 0 || x == 63 || y == 63;
  }
};

TEST_F(Board, InvariantsHoldForManySeeds) {
  for (int seed = 1; seed <= 40; ++seed) {
    PROPERTY_ERASE(BOARDDB);
    SetTextures({"A", "B", "C"});
    platform::Randomize(seed);
    GENERATEBOARDDB();
    int border = 0, interior = 0;
    for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
      (IsBorder(BOARDDB[i].LABEL) ? border : interior)++;
      EXPECT_NE(BOARDDB[i].VALUE, "A") << "seed " << seed;
      EXPECT_TRUE(BOARDDB[i].VALUE == "B" || BOARDDB[i].VALUE == "C");
    }
    EXPECT_EQ(border, 252) << "seed " << seed;
    EXPECT_GE(interior, 1);
    EXPECT_LE(interior, 1024);
    EXPECT_EQ(CellValue(X, Y), "") << "the start cell is open";
    EXPECT_GE(X, 2);
    EXPECT_LE(X, 62);
    EXPECT_GE(Y, 2);
    EXPECT_LE(Y, 62);
    EXPECT_EQ(POSX, X + 0.5);
    EXPECT_EQ(POSY, Y + 0.5);
    EXPECT_EQ(POSZ, 0);
    EXPECT_GE(ANG, 0);
    EXPECT_LT(ANG, 6.283185307179586);
  }
  EXPECT_NE(CellValue(5, 0), "");
  EXPECT_NE(CellValue(0, 5), "");
  EXPECT_EQ(CellValue(64, 0), "");
}

TEST_F(Board, WithTwoTexturesEveryWallWearsTheGreaterLabel) {
  SetTextures({"b", "a"});
  GENERATEBOARDDB();
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) EXPECT_EQ(BOARDDB[i].VALUE, "b");
}

// Replays the generator to check that the numbers are drawn in the documented order: one per
// border add, then texture, X and Y per interior add, then two per start candidate, then the
// heading.
TEST_F(Board, RandomNumbersAreDrawnInTheDocumentedOrder) {
  const std::vector<std::string> labels = {"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7"};
  SetTextures(labels);
  platform::Randomize(77);
  std::vector<double> r(256 + 3072);
  for (double& v : r) v = platform::Rnd();
  auto pick = [&](size_t k) { return labels[static_cast<size_t>(std::floor(r[k] * 7)) + 1]; };

  platform::Randomize(77);
  GENERATEBOARDDB();
  EXPECT_EQ(CellValue(0, 0), pick(1));
  EXPECT_EQ(CellValue(63, 0), pick(4 * 63));
  EXPECT_EQ(CellValue(0, 63), pick(4 * 63 + 1));
  EXPECT_EQ(CellValue(63, 63), pick(4 * 63 + 3));
  EXPECT_EQ(CellValue(17, 0), pick(4 * 17));
  EXPECT_EQ(CellValue(63, 17), pick(4 * 17 + 3));

  // The last interior draw always survives.
  const size_t last = 256 + 3 * 1023;
  const int x = static_cast<int>(std::floor(r[last + 1] * 62)) + 1;
  const int y = static_cast<int>(std::floor(r[last + 2] * 62)) + 1;
  EXPECT_EQ(CellValue(x, y), pick(last));

  // The start search continues the same sequence.
  platform::Randomize(77);
  for (size_t k = 0; k < r.size(); ++k) platform::Rnd();
  int sx, sy;
  do {
    sx = static_cast<int>(std::floor(platform::Rnd() * 62)) + 2;
    sy = static_cast<int>(std::floor(platform::Rnd() * 62)) + 2;
  } while (!CellValue(sx, sy).empty());
  EXPECT_EQ(X, sx);
  EXPECT_EQ(Y, sy);
  EXPECT_EQ(ANG, platform::Rnd() * 6.283185307179586);
}

TEST_F(Board, ASecondCallAddsOnTopOfTheFirst) {
  SetTextures({"a", "b", "c"});
  GENERATEBOARDDB();
  std::set<std::string> first;
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) first.insert(BOARDDB[i].LABEL);
  GENERATEBOARDDB();
  for (const std::string& label : first) {
    EXPECT_NE(PROPERTY_GET(BOARDDB, label).VALUE, "") << label;
  }
  EXPECT_GE(BOARDDB.Count(), static_cast<int32_t>(first.size()));
}

TEST_F(Board, FewerThanTwoTexturesStopBeforeAnyCellIsAdded) {
  for (const std::vector<std::string>& labels :
       {std::vector<std::string>{}, std::vector<std::string>{"only"}}) {
    SetTextures(labels);
    EXPECT_EXIT(
        GENERATEBOARDDB(), testing::ExitedWithCode(6),
        "^[^\n]+\n\nAborting due to runtime error 6 \\(out of bounds array access\\) at line "
        "[0-9]+ of engine/Board::GENERATEBOARDDB\\(\\)\n\n$");
    EXPECT_EQ(testsupport::ExitCodeOf(GENERATEBOARDDB), 6);
    EXPECT_EQ(BOARDDB.Count(), 0);
  }
}

}  // namespace
