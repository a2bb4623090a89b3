#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "engine/Engine.h"
#include "tests/test_support.h"

static constexpr char MODULE_NAME[] = "tests/controls";

namespace {

class Controls : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetPlatform();
    RESETGLOBALS();
    REGS.Redim(0, 4, RT_HERE);
    ASSERT_EQ(platform::ScreenRes(64, 48, 32, 2, 0), 0);
    POSX = 10.5;
    POSY = 20.5;
    POSZ = 0;
    ANG = 0;
    COSANG = 1;
    SINANG = 0;
    TURNRATE = 0.1;
    FWMOVERATE = 2;
    REVMOVERATE = 1;
  }
  void TearDown() override { RESETGLOBALS(); }

  static void Press(std::initializer_list<std::string> keys) {
    for (const std::string& key : keys) platform::PushKey(key);
    KEYBOARDCONTROL();
  }
};

TEST_F(Controls, ArrowsTurnAndWalk) {
  Press({platform::kRight});
  EXPECT_DOUBLE_EQ(ANG, 0.1);
  Press({platform::kLeft, platform::kLeft});
  EXPECT_DOUBLE_EQ(ANG, -0.1);
  Press({platform::kUp});
  EXPECT_DOUBLE_EQ(POSX, 10.5 + 2 * 0.25);
  Press({platform::kDown});
  EXPECT_DOUBLE_EQ(POSX, 10.5 + 2 * 0.25 - 0.25);
  EXPECT_DOUBLE_EQ(POSY, 20.5);
}

TEST_F(Controls, ABatchUsesTheHeadingOfTheFrameJustDrawn) {
  COSANG = 0;
  SINANG = 1;  // facing +y
  Press({platform::kLeft, platform::kUp});
  EXPECT_DOUBLE_EQ(ANG, -0.1);
  EXPECT_DOUBLE_EQ(POSX, 10.5);
  EXPECT_DOUBLE_EQ(POSY, 20.5 + 0.5);  // the old heading, not the turned one
  EXPECT_EQ(CII, "");                  // the buffer is drained
}

TEST_F(Controls, StrafeKeysMoveAQuarterTowardsTheScreenEdges) {
  Press({"<"});
  EXPECT_DOUBLE_EQ(POSY, 20.25);
  Press({","});
  EXPECT_DOUBLE_EQ(POSY, 20.0);
  Press({">", "."});
  EXPECT_DOUBLE_EQ(POSY, 20.5);
  EXPECT_DOUBLE_EQ(POSX, 10.5);
}

TEST_F(Controls, EyeKeysIgnoreCaseAndOtherKeysDoNothing) {
  Press({"a"});
  EXPECT_DOUBLE_EQ(POSZ, -0.05);
  Press({"A"});
  EXPECT_DOUBLE_EQ(POSZ, -0.1);
  Press({"z", "Z"});
  EXPECT_NEAR(POSZ, 0.0, 1e-15);
  // Only the eye keys are upper-cased: lower-case scan letters are other keys.
  Press({"b", "q", "\xffh",
         "\xffk"
         "x",
         "k", "\xff", "\t", "\r"});
  EXPECT_NEAR(POSZ, 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(POSX, 10.5);
  EXPECT_DOUBLE_EQ(POSY, 20.5);
  EXPECT_DOUBLE_EQ(ANG, 0);
}

TEST_F(Controls, TheEleventhEyeStepIsClampedInTheSameFrame) {
  for (int i = 0; i < 10; ++i) Press({"A"});
  CONSTRAINVIEW();
  EXPECT_EQ(POSZ, -0.49999999999999994);
  Press({"A"});
  CONSTRAINVIEW();
  EXPECT_EQ(POSZ, -0.5);
  POSZ = 0;
  for (int i = 0; i < 11; ++i) Press({"Z"});
  CONSTRAINVIEW();
  EXPECT_EQ(POSZ, 0.5);
}

TEST_F(Controls, TheBorderStopsTheViewerButInteriorWallsDoNot) {
  FWMOVERATE = 400;  // one press crosses the whole board
  Press({platform::kUp});
  CONSTRAINVIEW();
  EXPECT_EQ(POSX, 62.75);
  Press({platform::kDown});
  REVMOVERATE = 400;
  Press({platform::kDown});
  CONSTRAINVIEW();
  EXPECT_EQ(POSX, 1.25);
  POSY = -7;
  CONSTRAINVIEW();
  EXPECT_EQ(POSY, 1.25);
  POSY = 99;
  CONSTRAINVIEW();
  EXPECT_EQ(POSY, 62.75);
}

TEST_F(Controls, WithoutRatesOnlyStrafingEyeAndQuitWork) {
  TURNRATE = FWMOVERATE = REVMOVERATE = 0;
  Press({platform::kLeft, platform::kRight, platform::kUp, platform::kDown});
  EXPECT_EQ(ANG, 0);
  EXPECT_EQ(POSX, 10.5);
  EXPECT_EQ(POSY, 20.5);
  Press({"<", "a"});
  EXPECT_EQ(POSY, 20.25);
  EXPECT_DOUBLE_EQ(POSZ, -0.05);
}

TEST_F(Controls, EscapeAndTheCloseButtonEndWithExitCodeZero) {
  for (const char* quit : {platform::kEscape, platform::kClose}) {
    platform::PushKey("<");
    platform::PushKey(quit);
    platform::PushKey(">");
    POSY = 20.5;
    EXPECT_EQ(testsupport::ExitCodeOf([] { KEYBOARDCONTROL(); }), 0);
    EXPECT_EQ(POSY, 20.25);  // the key after the quit key is not applied
    EXPECT_FALSE(platform::headless::WindowOpen());
    EXPECT_EQ(platform::Inkey(), ">");
    ASSERT_EQ(platform::ScreenRes(64, 48, 32, 2, 0), 0);
  }
}

TEST_F(Controls, MouseCountsTurnWalkStrafeAndLift) {
  MOUSECONTROL();  // counts of 0 change nothing
  EXPECT_EQ(ANG, 0);
  EXPECT_EQ(POSX, 10.5);
  REGS.At(2, RT_HERE) = 10;
  REGS.At(3, RT_HERE) = -5;
  MOUSECONTROL();
  EXPECT_DOUBLE_EQ(ANG, 0.1);
  EXPECT_DOUBLE_EQ(POSX, 10.5 + 0.1);  // a negative vertical count walks forward
  BSTATUS = 3;
  MOUSECONTROL();
  EXPECT_DOUBLE_EQ(POSY, 20.5 + 10 * 0.02);  // strafe towards the right edge
  EXPECT_DOUBLE_EQ(POSZ, -0.1);
}

}  // namespace
