#include "Support/Simple Input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Support/String Support.h"
#include "Support/VGA Lookup.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

namespace {

using supporttest::RowShows;
namespace headless = platform::headless;
const std::string kEnter = platform::kEnter, kBack = platform::kBackspace;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// In a scratch directory, so that no palette file is found unless a test writes one.
class Console : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetPlatform();
    platform::ScreenRes(640, 480, 32, 2, 0);
    platform::PageSet(1, 0);
    platform::Color(kWhite);
  }
  void TearDown() override { testsupport::ResetPlatform(); }
  static void Keys(const std::vector<std::string>& keys) {
    for (const std::string& key : keys) platform::PushKey(key);
  }
  supporttest::ScratchDir scratch;
  rt::Array<std::string> table;
};

TEST_F(Console, AnicursorTurnsEveryQuarterSecond) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "\\"}, {0.2499, "\\"}, {0.25, "|"}, {0.5, "/"}, {0.75, "-"}, {2.3, "|"}, {1e12, "\\"}};
  for (const auto& [clock, frame] : cases) {
    headless::SetClock(clock);
    EXPECT_EQ(ANICURSOR(), frame) << clock;
  }
}

TEST_F(Console, PromptReadsALine) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"a", "b", kEnter}, "ab"},         {{"a", kBack, "c", kEnter}, "c"},
      {{kBack, "x", kEnter}, "x"},        {{kEnter}, ""},
      {{platform::kUp, kEnter}, "\xffH"}, {{"\x01", "z", kEnter}, "z"}};
  const long presents = headless::PresentCount();
  for (const auto& [keys, value] : cases) {
    Keys(keys);
    EXPECT_EQ(PROMPT("> "), value);
  }
  EXPECT_NEAR(headless::GetClock(), 0.016, 1e-9);  // one 1 ms pause per key polled
  EXPECT_GT(headless::PresentCount(), presents);   // the window shows what is typed
}

TEST_F(Console, PromptEchoesWithASpinner) {
  headless::SetClock(0.5);
  Keys({"a", kBack, "c", kEnter, kBack, kEnter, "a", kBack, kEnter});
  EXPECT_EQ(PROMPT("> "), "c");
  EXPECT_TRUE(RowShows(1, 1, "> c ", kWhite));  // c in the first input column
  EXPECT_EQ(PROMPT(">"), "");
  EXPECT_TRUE(RowShows(2, 1, "> ", kWhite));  // Backspace on nothing keeps the label
  EXPECT_EQ(PROMPT(">"), "");
  EXPECT_TRUE(RowShows(3, 1, "> /", kWhite));  // the spinner that was drawn after a
  EXPECT_EQ(platform::CursorRow(), 4);
  Keys({"a", "b", kBack, kBack, "c", kEnter});  // across the end of the row
  EXPECT_EQ(PROMPT(std::string(79, '.')), "c");
  EXPECT_TRUE(RowShows(4, 80, "c", kWhite) && RowShows(5, 1, " ", kWhite));
}

TEST_F(Console, SleepPrintsFlipsAndWaits) {
  const long presents = headless::PresentCount();
  std::string msg = "A\r\nB";
  Keys({"x"});
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "x");
  EXPECT_TRUE(RowShows(1, 1, "A", 15) && RowShows(2, 1, "B", 15));
  EXPECT_EQ(platform::CursorColumn(), 2);
  EXPECT_EQ(headless::PresentCount(), presents + 1);
  msg = "\x1b";                  // the escape glyph stays in the last piece
  headless::SetAutoAnswer("z");  // answers the second empty poll
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "z");
  EXPECT_TRUE(RowShows(2, 2, "\x1b", 15));
  EXPECT_DOUBLE_EQ(headless::GetClock(), 0.001);
  msg = "";
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "z");
  EXPECT_EQ(platform::CursorColumn(), 3);
  EXPECT_EQ(headless::PresentCount(), presents + 3);
}

TEST_F(Console, SleepReturnsAtOnceAfterAnEscapeLine) {
  const long presents = headless::PresentCount();
  std::string msg = "\x1bLoading\r\nNext";
  Keys({"k"});
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "");
  EXPECT_TRUE(RowShows(1, 1, "Loading", 15) && RowShows(2, 1, " ", 15));
  EXPECT_EQ(headless::PresentCount(), presents);
  EXPECT_EQ(platform::Inkey(), "k");
  EXPECT_EQ(msg, "Next");
}

TEST_F(Console, SleepColourIsAPaletteIndexOrTheColourItself) {
  std::string msg;
  headless::SetAutoAnswer("k");
  const std::pair<uint64_t, uint32_t> cases[] = {
      {300, 0x12C}, {15, 0xF}, {0xFFFFFF00u, 0xFFFFFF00u}, {0x100000005u, 5}};
  for (const auto& [vga, colour] : cases) {
    SIMPLESLEEP(table, msg, vga);
    EXPECT_EQ(platform::CurrentColor(), colour) << vga;
  }
  supporttest::WriteFile(VGA_TABLE_FILE, "0\r\n&HFF123456");
  SIMPLESLEEP(msg, 1);  // the two-argument form's own table
  supporttest::WriteFile(VGA_TABLE_FILE, "0\r\n&HFF654321");
  SIMPLESLEEP(msg, 1);
  EXPECT_EQ(platform::CurrentColor(), 0xFF123456u);  // loaded once, then kept
  EXPECT_EQ(VGA_TABLE.UBound(), -1);
}

TEST_F(Console, CloseKeyDuringAWaitEndsTheProgram) {
  std::string msg = "wait";
  platform::PushKey(platform::kClose);
  EXPECT_EQ(testsupport::ExitCodeOf([&] { SIMPLESLEEP(table, msg, 15); }), 0);
  platform::PushKey(platform::kClose);
  EXPECT_EQ(testsupport::ExitCodeOf([] { PROMPT("? "); }), 0);
}

using ConsoleDeathTest = Console;

TEST_F(ConsoleDeathTest, EscapeDuringAWaitExitsWithZero) {
  std::string msg = "press a key";
  platform::PushKey(platform::kEscape);
  EXPECT_EXIT(SIMPLESLEEP(table, msg, 15), testing::ExitedWithCode(0), "");
  EXPECT_EXIT(PROMPT("? "), testing::ExitedWithCode(0), "");
}

}  // namespace
