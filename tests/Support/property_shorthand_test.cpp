#include "Support/Property Shorthand.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

class Shorthand : public ::testing::Test {
 protected:
  void TearDown() override {
    PROPERTY_ERASE(db);
    PROPERTY_ERASE(textures);
    testsupport::ResetPlatform();
  }
  PROPERTY_STORE db, textures;
  std::string echo = "previous";
};

TEST_F(Shorthand, AddInsertsOrReplacesAndEchoes) {
  std::string value = "brick";
  EXPECT_EQ(__TINKER(db, echo, "add", "12,5", value), "--- Adding: \"12,5\" ---");
  EXPECT_EQ(echo, "--- Adding: \"12,5\" ---");
  EXPECT_EQ(value, "brick");
  EXPECT_EQ(db.Count(), 1);
  EXPECT_EQ(PROPERTY_GET(db, "12,5").VALUE, "brick");
  value = "stone";
  EXPECT_EQ(__TINKER(db, echo, "ADD", "12,5", value), "--- Adding: \"12,5\" ---");
  EXPECT_EQ(db.Count(), 1);
  EXPECT_EQ(PROPERTY_GET(db, "12,5").VALUE, "stone");
  value = "wood";
  __TINKER(db, echo, "aDd", "1,1", value);
  EXPECT_EQ(db.Count(), 2);
  EXPECT_EQ(db[0].LABEL, "1,1");
  // Capitalising drops blanks at either end of the behaviour.
  value = "moss";
  EXPECT_EQ(__TINKER(db, echo, " add ", "2,2", value), "--- Adding: \"2,2\" ---");
  EXPECT_EQ(db.Count(), 3);
}

TEST_F(Shorthand, RetrieveReadsTheValue) {
  PROPERTY_DATABASE_SET(db, "k", "v");
  std::string value = "old";
  EXPECT_EQ(__TINKER(db, echo, "retrieve", "k", value), "--- Retrieving: \"k\": \"v\" ---");
  EXPECT_EQ(value, "v");
  EXPECT_EQ(__TINKER(db, echo, "Retrieve", "missing", value),
            "--- Retrieving: \"missing\": \"\" ---");
  EXPECT_EQ(value, "");
  EXPECT_EQ(echo, "--- Retrieving: \"missing\": \"\" ---");
}

TEST_F(Shorthand, DeleteRemovesAndEmptiesTheValue) {
  PROPERTY_DATABASE_SET(db, "a", "1");
  PROPERTY_DATABASE_SET(db, "b", "2");
  std::string value = "x";
  EXPECT_EQ(__TINKER(db, echo, "delete", "a", value), "--- Deleting: \"a\" ---");
  EXPECT_EQ(value, "");
  EXPECT_EQ(db.Count(), 1);
  value = "x";
  EXPECT_EQ(__TINKER(db, echo, "DELETE", "zz", value), "--- Deleting: \"zz\" ---");
  EXPECT_EQ(value, "");
  EXPECT_EQ(db.Count(), 1);
  EXPECT_EQ(db[0].LABEL, "b");
}

TEST_F(Shorthand, UnknownBehaviourEmptiesOnlyTheValue) {
  PROPERTY_DATABASE_SET(db, "a", "1");
  for (const char* behavior : {"Remove", "", "Add Retrieve", "Addd", "a dd", "Ad"}) {
    std::string value = "x";
    EXPECT_EQ(__TINKER(db, echo, behavior, "a", value), "previous") << behavior;
    EXPECT_EQ(value, "");
    EXPECT_EQ(echo, "previous");
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(db[0].VALUE, "1");
  }
}

TEST_F(Shorthand, LabelMayBeTheCallersEchoText) {
  // The label may be the caller's echo text itself; the record gets the label as it was.
  echo = "cell";
  std::string value = "v";
  __TINKER(db, echo, "add", echo, value);
  EXPECT_EQ(db[0].LABEL, "cell");
  EXPECT_EQ(echo, "--- Adding: \"cell\" ---");
}

TEST_F(Shorthand, EchoFramesTheCaption) {
  std::string buffer;
  EXPECT_EQ(__ECHO(buffer, "cap"), "--- cap ---");
  EXPECT_EQ(buffer, "");
  buffer = "first";
  EXPECT_EQ(__ECHO(buffer, "cap"), "first\r\n--- cap ---");
  EXPECT_EQ(buffer, "first\r\n");
  buffer = "same";
  EXPECT_EQ(__ECHO(buffer, buffer), "same\r\n--- same ---");
}

TEST_F(Shorthand, QueryShowsLabelAndQuotedValue) {
  PROPERTY_DATABASE_SET(db, "k", "v w");
  EXPECT_EQ(__QUERY(db, "k"), "k:\"v w\"");
  EXPECT_EQ(__QUERY(db, "missing"), "missing:\"\"");
}

TEST_F(Shorthand, VideoDirectReadsTheTexelOfTheCellsTexture) {
  platform::IMAGE* image = platform::ImageCreate(64, 64, 0xFF000000);
  platform::PSet(image, 7, 5, 0xFF112233);
  platform::PSet(image, 63, 63, 0xFF445566);
  platform::PSet(image, 63, 0, 0xFF778899);
  PROPERTY_DATABASE_SET(textures, "brick", image);
  textures[0].IMAGE = image;
  PROPERTY_DATABASE_SET(db, "12,5", "brick");
  PROPERTY_DATABASE_SET(db, "-1,-2", "brick");
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, 65536 * (64 * 5 + 7)),
            static_cast<int32_t>(0xFF112233));
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, 65536 * (64 * 5 + 7) + 65535),
            static_cast<int32_t>(0xFF112233));  // the low 16 bits do not count
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, 65535), static_cast<int32_t>(0xFF000000));
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, 65536 * 4095), static_cast<int32_t>(0xFF445566));
  // Bits above 27 wrap around the texture.
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, 65536 * (4096 + 64 * 5 + 7)),
            static_cast<int32_t>(0xFF112233));
  EXPECT_EQ(__VIDEODIRECT(db, textures, -1, -2, 65536 * (64 * 5 + 7)),
            static_cast<int32_t>(0xFF112233));
  // A negative BY truncates toward zero: address -1 gives x = -1 AND 63 = 63 and y = 0.
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, -65536), static_cast<int32_t>(0xFF778899));
  EXPECT_EQ(__VIDEODIRECT(db, textures, 12, 5, -65535), static_cast<int32_t>(0xFF000000));

  // Without a texture the work page is read.
  ASSERT_EQ(platform::ScreenRes(16, 16, 32, 1, 0), 0);
  platform::PSet(nullptr, 7, 5, 0x00ABCDEF);
  EXPECT_EQ(__VIDEODIRECT(db, textures, 3, 3, 65536 * (64 * 5 + 7)), 0x00ABCDEF);
  PROPERTY_DATABASE_SET(db, "3,3", "no such texture");
  EXPECT_EQ(__VIDEODIRECT(db, textures, 3, 3, 65536 * (64 * 5 + 7)), 0x00ABCDEF);
}

}  // namespace
