#include "Support/Simple Input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Support/String Support.h"
#include "Support/VGA Lookup.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

namespace {

using supporttest::CellShows;
using supporttest::RowShows;

// Runs in a scratch directory, so no palette file is found unless a test writes one.
class Console : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetPlatform();
    supporttest::OpenConsole();
    platform::Color(0xFFFFFFFFu);
  }
  void TearDown() override { testsupport::ResetPlatform(); }

  static void PushKeys(std::initializer_list<std::string> keys) {
    for (const std::string& key : keys) platform::PushKey(key);
  }

  supporttest::ScratchDir scratch;
  rt::Array<std::string> table;
};

TEST_F(Console, AnicursorTurnsEveryQuarterSecond) {
  struct Case {
    double clock;
    const char* frame;
  };
  for (const Case& c :
       {Case{0.0, "\\"}, Case{0.2499, "\\"}, Case{0.25, "|"}, Case{0.5, "/"}, Case{0.75, "-"},
        Case{1.0, "\\"}, Case{2.3, "|"}, Case{1e12, "\\"}, Case{-0.25, "-"}}) {
    platform::headless::SetClock(c.clock);
    EXPECT_EQ(ANICURSOR(), c.frame) << c.clock;
  }
}

TEST_F(Console, PromptReadsTypedKeys) {
  struct Case {
    std::initializer_list<std::string> keys;
    std::string value;
  };
  for (const Case& c : {
           Case{{"a", "b", platform::kEnter}, "ab"},
           Case{{"a", platform::kBackspace, "c", platform::kEnter}, "c"},
           Case{{platform::kBackspace, "x", platform::kEnter}, "x"},
           Case{{platform::kEnter}, ""},
           Case{{platform::kUp, platform::kEnter}, "\xffH"},
           Case{{"\x01", "\t", "z", platform::kEnter}, "z"},  // other control bytes ignored
           Case{{" ", "\x7f", platform::kEnter}, " \x7f"},
       }) {
    PushKeys(c.keys);
    EXPECT_EQ(PROMPT("> "), c.value);
  }
}

TEST_F(Console, PromptEchoesOnTheScreen) {
  PushKeys({"a", "b", platform::kEnter});
  EXPECT_EQ(PROMPT("Name: "), "ab");
  EXPECT_TRUE(RowShows(1, 1, "Name: ab ", 0xFFFFFFFFu));  // the spinner's cell blanked
  EXPECT_EQ(platform::CursorRow(), 2);
  EXPECT_EQ(platform::CursorColumn(), 1);
  EXPECT_DOUBLE_EQ(platform::headless::GetClock(), 0.003);  // one 1 ms pause per poll

  PushKeys({"a", platform::kBackspace, "c", platform::kEnter});
  EXPECT_EQ(PROMPT("> "), "c");
  EXPECT_TRUE(RowShows(2, 1, "> c ", 0xFFFFFFFFu));  // c in the first input column

  PushKeys({platform::kBackspace, platform::kEnter});  // nothing to erase: the label stays
  EXPECT_EQ(PROMPT(">"), "");
  EXPECT_TRUE(RowShows(3, 1, "> ", 0xFFFFFFFFu));
  EXPECT_EQ(platform::CursorRow(), 4);
}

TEST_F(Console, PromptBacksUpAcrossTheRowEnd) {
  const std::string label(79, '.');  // the first input column is the last of the row
  PushKeys({"a", "b", platform::kBackspace, platform::kBackspace, "c", platform::kEnter});
  EXPECT_EQ(PROMPT(label), "c");
  EXPECT_TRUE(CellShows(1, 79, '.', 0xFFFFFFFFu));
  EXPECT_TRUE(CellShows(1, 80, 'c', 0xFFFFFFFFu));
  EXPECT_TRUE(CellShows(2, 1, ' ', 0xFFFFFFFFu));
  EXPECT_EQ(platform::CursorRow(), 3);
}

TEST_F(Console, PromptShowsTheSpinnerOnTheCursor) {
  platform::headless::SetClock(0.5);
  // After a, the spinner sits in the next cell; Backspace moves the cursor back over it, so
  // the spinner drawn there stays on the screen.
  PushKeys({"a", platform::kBackspace, platform::kEnter});
  EXPECT_EQ(PROMPT(">"), "");
  EXPECT_TRUE(CellShows(1, 2, ' ', 0xFFFFFFFFu));
  EXPECT_TRUE(CellShows(1, 3, '/', 0xFFFFFFFFu));
}

TEST_F(Console, PromptPutsExtendedKeysOnTheScreenAsTwoGlyphs) {
  PushKeys({platform::kLeft, platform::kEnter});
  EXPECT_EQ(PROMPT(""), "\xffK");
  EXPECT_TRUE(RowShows(1, 1, "\xffK ", 0xFFFFFFFFu));
}

TEST_F(Console, SleepPrintsLinesThenShowsThePageAndWaits) {
  const long presents = platform::headless::PresentCount();
  std::string msg = "A\r\nB";
  PushKeys({"x"});
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "x");
  EXPECT_TRUE(CellShows(1, 1, 'A', 0x0000000Fu));
  EXPECT_TRUE(CellShows(2, 1, 'B', 0x0000000Fu));
  EXPECT_EQ(platform::CursorRow(), 2);
  EXPECT_EQ(platform::CursorColumn(), 2);
  EXPECT_EQ(platform::headless::PresentCount(), presents + 1);
  EXPECT_EQ(msg, "B");
}

TEST_F(Console, SleepReturnsAtOnceAfterAnEscapeLine) {
  const long presents = platform::headless::PresentCount();
  std::string msg = "\x1bLoading\r\nNext";
  PushKeys({"k"});
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "");
  EXPECT_TRUE(RowShows(1, 1, "Loading", 0x0000000Fu));
  EXPECT_EQ(platform::CursorRow(), 2);  // Next is not printed
  EXPECT_EQ(platform::CursorColumn(), 1);
  EXPECT_TRUE(CellShows(2, 1, ' ', 0x0000000Fu));
  EXPECT_EQ(platform::headless::PresentCount(), presents);
  EXPECT_EQ(platform::Inkey(), "k");  // no key taken
  EXPECT_EQ(msg, "Next");
}

TEST_F(Console, SleepKeepsTheEscapeGlyphOfTheLastPiece) {
  std::string msg = "\x1b";
  PushKeys({"y"});
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "y");
  EXPECT_TRUE(CellShows(1, 1, 0x1b, 0x0000000Fu));
  EXPECT_EQ(platform::CursorColumn(), 2);
}

TEST_F(Console, SleepWithAnEmptyMessagePollsEveryMillisecond) {
  const long presents = platform::headless::PresentCount();
  std::string msg;
  platform::headless::SetAutoAnswer("z");  // answers the second empty poll
  EXPECT_EQ(SIMPLESLEEP(table, msg, 15), "z");
  EXPECT_EQ(platform::CursorRow(), 1);
  EXPECT_EQ(platform::CursorColumn(), 1);
  EXPECT_EQ(platform::headless::PresentCount(), presents + 1);
  EXPECT_DOUBLE_EQ(platform::headless::GetClock(), 0.001);
}

TEST_F(Console, SleepColourIsAPaletteIndexOrTheColourItself) {
  struct Case {
    uint64_t vga;
    uint32_t colour;
  };
  for (const Case& c : {Case{300, 0x0000012Cu}, Case{15, 0x0000000Fu},
                        Case{0xFFFFFF00u, 0xFFFFFF00u}, Case{0x100000005u, 0x00000005u}}) {
    std::string msg;
    PushKeys({"k"});
    SIMPLESLEEP(table, msg, c.vga);
    EXPECT_EQ(platform::CurrentColor(), c.colour) << c.vga;
  }
  supporttest::WriteFile(VGA_TABLE_FILE, "0\r\n&HFF00FF00");
  std::string msg;
  PushKeys({"k"});
  SIMPLESLEEP(table, msg, 1);  // the empty table is read again and now finds the file
  EXPECT_EQ(platform::CurrentColor(), 0xFF00FF00u);
}

TEST_F(Console, TwoArgumentSleepKeepsItsOwnTable) {
  supporttest::WriteFile(VGA_TABLE_FILE, "0\r\n&HFF123456");
  std::string msg;
  PushKeys({"k", "k"});
  SIMPLESLEEP(msg, 1);
  EXPECT_EQ(platform::CurrentColor(), 0xFF123456u);
  supporttest::WriteFile(VGA_TABLE_FILE, "0\r\n&HFF654321");
  SIMPLESLEEP(msg, 1);
  EXPECT_EQ(platform::CurrentColor(), 0xFF123456u);  // loaded once, then kept
  EXPECT_EQ(VGA_TABLE.UBound(), -1);                 // the program-wide table is untouched
}

TEST_F(Console, CloseKeyDuringAWaitEndsTheProgram) {
  std::string msg = "wait";
  platform::PushKey(platform::kClose);
  EXPECT_EQ(testsupport::ExitCodeOf([&] { SIMPLESLEEP(table, msg, 15); }), 0);
  platform::PushKey(platform::kClose);
  EXPECT_EQ(testsupport::ExitCodeOf([] { PROMPT("? "); }), 0);
  platform::PushKey(platform::kEscape);
  EXPECT_EQ(testsupport::ExitCodeOf([] { PROMPT("? "); }), 0);
}

using ConsoleDeathTest = Console;

TEST_F(ConsoleDeathTest, EscapeDuringAWaitExitsWithZero) {
  EXPECT_EXIT(
      {
        std::string msg = "press a key";
        platform::PushKey(platform::kEscape);
        SIMPLESLEEP(table, msg, 15);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        platform::PushKey(platform::kEscape);
        PROMPT("? ");
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
