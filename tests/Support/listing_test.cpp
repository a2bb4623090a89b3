// The listings of a store on the screen and the display shorthands built on them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Support/Memory Management.h"
#include "Support/Property Core.h"
#include "Support/Property Shorthand.h"
#include "Support/VGA Lookup.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

namespace {

using supporttest::RowShows;

// Opaque green text blended onto a cleared page: each channel 0 + (255 * 255) / 256 = 254.
constexpr uint32_t kGreenOnPage = 0xFE00FE00;
constexpr uint32_t kRed = 0xFFFF0000;

// Appends a record without keeping the order.
void Append(PROPERTY_STORE& db, const std::string& label, const std::string& value) {
  PROPERTY_INC_CAPACITY(db, 1);
  db[db.UBound()].LABEL = label;
  db[db.UBound()].VALUE = value;
}

// Runs in a scratch directory (no palette file: the pauses print in colour 0x0000000F) on a
// console window; every pause is answered automatically unless a test pushes its own keys.
class Listing : public testing::Test {
 protected:
  void SetUp() override {
    supporttest::OpenAnsweringConsole();
    answers_before = platform::headless::AutoAnswerCount();
    images_before = platform::LiveImageCount();
  }
  void TearDown() override {
    PROPERTY_ERASE(db);
    EXPECT_EQ(platform::LiveImageCount(), images_before);
    testsupport::ResetPlatform();
  }
  long Pauses() const { return platform::headless::AutoAnswerCount() - answers_before; }

  supporttest::ScratchDir scratch;
  PROPERTY_STORE db;
  long answers_before = 0, images_before = 0;
};

TEST_F(Listing, ShowArrayListsEveryRecordInTheCurrentOrder) {
  Append(db, "bravo", "two");
  Append(db, "alpha", "one");
  Append(db, "", "");
  std::string buff = "old text";
  platform::IMAGE* image = nullptr;
  PROPERTY_SHOW_ARRAY(db, buff, image);
  EXPECT_EQ(buff, "bravo=two\r\nalpha=one\r\n=\r\n");  // a line break after the last line too
  EXPECT_EQ(db[0].LABEL, "bravo");                     // not sorted
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->WIDTH, 320u);
  EXPECT_EQ(image->HEIGHT, 240u);
  // The page was cleared and the box blended onto it (cells off the cross).
  EXPECT_TRUE(RowShows(1, 3, "avo=two", kGreenOnPage));
  EXPECT_TRUE(RowShows(2, 4, "ha=one", kGreenOnPage));
  EXPECT_TRUE(RowShows(4, 10, "     ", kGreenOnPage));
  EXPECT_EQ(Pauses(), 2);  // the render's and the listing's own

  // A second call releases the first image before it makes the next one.
  PROPERTY_SHOW_ARRAY(db, buff, image);
  EXPECT_EQ(platform::LiveImageCount(), images_before + 1);
  IMAGEDESTROY2(image);
}

TEST_F(Listing, ShowArrayWrapsTheListingAtFortyColumns) {
  PROPERTY_DATABASE_SET(db, "k", std::string(50, 'v'));
  std::string buff;
  platform::IMAGE* image = nullptr;
  PROPERTY_SHOW_ARRAY(db, buff, image);
  EXPECT_EQ(buff, "k=" + std::string(37, 'v') + "-\r\n" + std::string(13, 'v') + "\r\n");
  IMAGEDESTROY2(image);

  PROPERTY_ERASE(db);
  PROPERTY_SHOW_ARRAY(db, buff, image);  // an empty store: an empty box
  EXPECT_EQ(buff, "");
  EXPECT_EQ(platform::Point(image, 0, 0), 0x80FF0000u);
  EXPECT_EQ(platform::Point(image, 100, 0), 0u);
  IMAGEDESTROY2(image);
}

TEST_F(Listing, ShowArrayDirectLeavesNothingAllocated) {
  Append(db, "bravo", "two");
  PROPERTY_SHOW_ARRAY_DIRECT(db);
  EXPECT_EQ(platform::LiveImageCount(), images_before);
  EXPECT_TRUE(RowShows(1, 3, "avo=two", kGreenOnPage));
  EXPECT_EQ(Pauses(), 2);
}

TEST_F(Listing, BoundsLineInRed) {
  PROPERTY_SHOW_ARRAY_BOUNDS(db);
  EXPECT_TRUE(RowShows(1, 1, "LBound: \"0\" To UBound: \"-1\"", kRed));
  EXPECT_EQ(platform::CursorRow(), 2);
  EXPECT_EQ(platform::CursorColumn(), 1);
  for (const char* label : {"a", "b", "c"}) PROPERTY_DATABASE_SET(db, label, "x");
  PROPERTY_SHOW_ARRAY_BOUNDS(db);
  EXPECT_TRUE(RowShows(2, 1, "LBound: \"0\" To UBound: \"2\" ", kRed));
  EXPECT_EQ(platform::CurrentColor(), kRed);
  EXPECT_EQ(Pauses(), 0);
}

TEST_F(Listing, BoundsShorthandPrintsPausesAndEmptiesTheEcho) {
  std::string echo = "--- Adding: \"a\" ---";
  EXPECT_EQ(__BOUNDS(db, echo), "");
  EXPECT_EQ(echo, "");
  EXPECT_TRUE(RowShows(1, 1, "LBound: \"0\" To UBound: \"-1\"", kRed));
  EXPECT_TRUE(supporttest::RowShows(2, 1, "\x1b", 0x0000000Fu));  // the pause's message
  EXPECT_EQ(Pauses(), 1);
}

TEST_F(Listing, DirectShorthandShowsTheEchoThenTheSortedRecords) {
  std::string echo;
  EXPECT_EQ(__DIRECT(db, echo), "");  // an empty store and echo: an empty box
  EXPECT_EQ(echo, "");
  EXPECT_EQ(Pauses(), 3);  // the render's, the echo's and its own
  EXPECT_TRUE(RowShows(2, 5, "      ", kGreenOnPage));

  Append(db, "zulu", "last");
  Append(db, "alpha", "first");
  Append(db, "empty", "");
  echo = "echo";
  EXPECT_EQ(__DIRECT(db, echo), "");
  EXPECT_EQ(echo, "");
  EXPECT_EQ(db[0].LABEL, "alpha");  // sorted by the export
  EXPECT_EQ(db[1].LABEL, "empty");
  EXPECT_TRUE(RowShows(1, 3, "ho", kGreenOnPage));
  EXPECT_TRUE(RowShows(2, 4, "ha=first", kGreenOnPage));
  EXPECT_TRUE(RowShows(3, 5, "=last", kGreenOnPage));
  EXPECT_TRUE(RowShows(4, 10, "     ", kGreenOnPage));  // the empty value is left out
}

TEST_F(Listing, EscapeAtTheDirectShorthandsLastPauseEndsTheProgram) {
  platform::headless::SetAutoAnswer("");
  for (const char* key : {"1", "2", platform::kEscape}) platform::PushKey(key);
  PROPERTY_DATABASE_SET(db, "a", "1");
  std::string echo = "before";
  EXPECT_EQ(testsupport::ExitCodeOf([&] { __DIRECT(db, echo); }), 0);
  EXPECT_EQ(echo, "before\r\na=1");  // ended before the echo was emptied
}

}  // namespace
