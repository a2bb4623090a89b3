#include <gtest/gtest.h>

#include <string>

#include "engine/Engine.h"
#include "tests/engine/world_fixture.h"

static constexpr char MODULE_NAME[] = "tests/startup";

namespace {

// Start-up in a scratch folder whose parameter file is empty, so every default stays.
class Startup : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    testsupport::WriteFile("params.property", "");
  }

  static void SetWords(std::initializer_list<const char*> words) {
    static std::vector<std::string> storage;
    static std::vector<char*> pointers;
    storage.assign(words.begin(), words.end());
    pointers.clear();
    for (std::string& word : storage) pointers.push_back(word.data());
    platform::SetCommandLine(static_cast<int>(pointers.size()), pointers.data());
  }
};

TEST_F(Startup, SetsEveryDefault) {
  SetWords({"maze"});
  STARTUP();
  EXPECT_EQ(XDIM, 640);
  EXPECT_EQ(YDIM, 480);
  EXPECT_EQ(PPL, 640);
  EXPECT_EQ(HVAL, 320);
  EXPECT_EQ(GAMMA, 2.2);
  EXPECT_EQ(TURNRATE, 0);
  EXPECT_EQ(FWMOVERATE, 0);
  EXPECT_EQ(REVMOVERATE, 0);
  EXPECT_EQ(BOGUS.ITERATOR, -1);
  EXPECT_EQ(BOGUS.LABEL, "");
  EXPECT_EQ(BOGUS.IMAGE, nullptr);
  EXPECT_EQ(FILEMODE.LBound(), 0);
  EXPECT_EQ(FILEMODE.UBound(), 255);
  EXPECT_EQ(FILEMODE.At(PARAMMODE, RT_HERE).FILENAME, "params.property");
  EXPECT_EQ(FILEMODE.At(TEXTUREMODE, RT_HERE).FILENAME, "textures.property");
  EXPECT_EQ(FILEMODE.At(TEXTUREMODE, RT_HERE).MODE, 0);
  EXPECT_EQ(FILEMODE.At(2, RT_HERE).FILENAME, "");
  EXPECT_EQ(REGS.UBound(), 4);
  EXPECT_EQ(BOARD.UBound(1), 64);
  EXPECT_EQ(BOARD.UBound(2), 64);
  EXPECT_EQ(BOARD.At(64, 64, RT_HERE), 0);
  EXPECT_EQ(platform::ScreenWidth(), 640);
  EXPECT_EQ(platform::ScreenHeight(), 480);
  EXPECT_NE(platform::ScreenPtr(), nullptr);
}

TEST_F(Startup, TheCommandLineStopsAtTheFirstEmptyWord) {
  SetWords({"/usr/bin/maze", "one", "", "three"});
  STARTUP_BEGIN();
  EXPECT_EQ(CMD.UBound(), 1);
  EXPECT_EQ(CMD.At(0, RT_HERE), "/usr/bin/maze");
  EXPECT_EQ(CMD.At(1, RT_HERE), "one");
}

TEST_F(Startup, TheDefaultProjectionScaleRoundsHalvesToEven) {
  for (const auto& [width, hval] : {std::pair{641, 320}, {643, 322}, {640, 320}, {1, 0}, {3, 2}}) {
    STARTUP_BEGIN();
    XDIM = width;
    STARTUP_END();
    EXPECT_EQ(HVAL, hval) << "XDIM " << width;
    EXPECT_EQ(PPL, 640) << "PPL keeps the default width";
  }
}

TEST_F(Startup, AFrameShowsAndClearsTheWorkPage) {
  STARTUP();
  platform::ScreenPtr()[5].U = 0x12345678;
  const long shown = platform::headless::PresentCount();
  FRAME();
  EXPECT_EQ(platform::headless::PresentCount(), shown + 1);
  EXPECT_EQ(platform::ScreenPtr()[5].U, 0u);
}

// With RESOLUTION=window the view follows the window from one frame to the next: XDIM, PPL,
// YDIM, HVAL and the ramps take each size it shows (a side above the page limit scaled down; a
// window showing nothing, or pages that cannot be made, keep the last), and the next frame fills
// the new page. Any other value keeps the file's picture.
TEST_F(Startup, TheViewFollowsTheWindowAtItsOwnResolution) {
  testsupport::WriteFile("params.property", "XDIM=800\nYDIM=500\nRESOLUTION=Window\n");
  STARTUP();
  platform::headless::ResizeWindow(1024, 768);
  FRAME();
  EXPECT_TRUE(platform::ScreenWidth() == 800 && RAMPAREA == 0) << "RESOLUTION=Window";
  testsupport::WriteFile("params.property", "XDIM=800\nYDIM=500\nRESOLUTION=window\n");
  STARTUP();
  EXPECT_EQ(RAMPAREA, 800 * 500);
  const struct {
    int shown_width, shown_height, width, height;
    bool failing = false;
  } steps[] = {{1024, 768, 1024, 768}, {1, 1, 1, 1},         {20000, 100, 16384, 81},
               {0, 0, 16384, 81},      {641, 479, 641, 479}, {900, 900, 641, 479, true}};
  for (const auto& step : steps) {
    platform::headless::SetWindowFailure(step.failing);
    platform::headless::ResizeWindow(step.shown_width, step.shown_height);
    FRAME();
    const std::string what =
        std::to_string(step.shown_width) + "x" + std::to_string(step.shown_height);
    EXPECT_EQ(platform::ScreenWidth(), step.width) << what;
    EXPECT_EQ(platform::ScreenHeight(), step.height) << what;
    EXPECT_TRUE(XDIM == step.width && PPL == step.width && YDIM == step.height &&
                HVAL == rt::RoundInt(step.width * 0.5) && RAMPAREA == step.width * step.height)
        << what;
    RAYTRACE();
    const platform::PIXEL* page = platform::ScreenPtr();
    EXPECT_EQ(page[0].U, step.height > 1 ? 255u : 0u) << what << ": the ceiling's top";
    EXPECT_EQ(page[step.width * step.height - 1].U, step.height > 1 ? 159u : 0u) << what;
  }
}

TEST_F(Startup, AWindowThatCannotOpenIsIllegal) {
  EXPECT_EXIT(
      {
        platform::headless::SetWindowFailure(true);
        STARTUP();
      },
      testing::ExitedWithCode(1),
      "^\nAborting due to runtime error 1 \\(illegal function call\\) at line [0-9]+ of "
      "Support/Constants::OPENFIRSTWINDOW\\(\\)\n\n$");
  for (int size : {0, -5}) {
    EXPECT_EXIT(
        {
          STARTUP_BEGIN();
          XDIM = size;
          STARTUP_END();
        },
        testing::ExitedWithCode(1),
        "^[^\n]+\n\nAborting due to runtime error 1 \\(illegal function call\\) at line [0-9]+ of "
        "engine/Main::OPENVIEWWINDOW\\(\\)\n\n$");
  }
}

}  // namespace
