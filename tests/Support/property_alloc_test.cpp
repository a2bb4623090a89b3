// The lookup path must allocate nothing for short texts, and a resize that gets no memory must
// stop the program with runtime error 4. Allocations are watched through counting_new.h.
#include <gtest/gtest.h>

#include <string>

#include "Support/Property Core.h"
#include "Support/Property Shorthand.h"
#include "platform/platform.h"
#include "tests/Support/counting_new.h"

namespace {

class LookupAllocations : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int x = 0; x < 64; x += 3)
      for (int y = 0; y < 64; y += 5)
        PROPERTY_DATABASE_SET(board, std::to_string(x) + "," + std::to_string(y), "stone");
    PROPERTY_DATABASE_SET(textures, "stone", "140737488355327");  // 15 bytes
    textures[0].IMAGE = platform::ImageCreate(64, 64);
  }
  void TearDown() override {
    PROPERTY_ERASE(board);
    PROPERTY_ERASE(textures);
  }
  PROPERTY_STORE board, textures;
};

TEST_F(LookupAllocations, LookupsOfShortTextsAllocateNothing) {
  const char* labels[] = {"12,5", "0,0", "63,60", "9,10", "1,1", "", "63,63,63,63,63,6"};
  const long before = countingnew::allocations;
  int32_t where = 0, found = 0;
  for (const char* label : labels) {
    const PROPERTY_DB_TYPE a = PROPERTY_GET(board, label);
    const PROPERTY_DB_TYPE b = PROPERTY_DATABASE_QUERY(board, label);
    const PROPERTY_DB_TYPE c = __GET(board, label);
    found += !a.LABEL.empty() + !b.LABEL.empty() + !c.LABEL.empty();
    found += PROPERTY_BINARY_FIND(board, label, where) >= 0;
    const PROPERTY_DB_TYPE texture = PROPERTY_GET(textures, a.VALUE);
    found += texture.IMAGE != nullptr;
  }
  __VIDEODIRECT(board, textures, 12, 5, 65536 * 7);
  EXPECT_EQ(countingnew::allocations, before);
  EXPECT_EQ(found, 4 * 5);  // four of the labels are cells, and each lookup found them
  // A long value does allocate for its copy (this shows the counter works).
  PROPERTY_DATABASE_SET(board, "long", "a value far longer than fifteen bytes");
  const long set = countingnew::allocations;
  EXPECT_EQ(PROPERTY_GET(board, "long").VALUE.size(), 37u);
  EXPECT_EQ(countingnew::allocations, set + 1);
}

using PropertyOutOfMemory = LookupAllocations;

TEST_F(PropertyOutOfMemory, GrowthWithoutMemoryIsRuntimeError4) {
  const char* report =
      "Aborting due to runtime error 4 \\(out of memory\\) at line [0-9]+ of "
      "Support/Property Core::PROPERTY_INC_CAPACITY\\(\\)";
  // Filled to its storage's end, so that the next record needs more.
  for (int i = 0; board.Count() < board.Capacity(); ++i)
    PROPERTY_DATABASE_SET(board, "z" + std::to_string(i), "v");
  EXPECT_EXIT(
      {
        countingnew::refuse_large = true;
        PROPERTY_DATABASE_SET(board, "new", "v");
      },
      ::testing::ExitedWithCode(4), report);
  EXPECT_EXIT(
      {
        countingnew::refuse_large = true;
        PROPERTY_INC_CAPACITY(board, 1);
      },
      ::testing::ExitedWithCode(4), report);
  EXPECT_EXIT(PROPERTY_INC_CAPACITY(board, INT32_MAX), ::testing::ExitedWithCode(4), report);
  // Unchanged here: each failure happened in a child process.
  EXPECT_EQ(PROPERTY_GET(board, "0,0").VALUE, "stone");

  // Shrinking needs no memory: without any, deleting every record still empties the store.
  countingnew::refuse_large = true;
  while (board.Count() > 0) PROPERTY_DATABASE_DELETE(board, std::string(board[0].LABEL));
  countingnew::refuse_large = false;
  EXPECT_EQ(board.Capacity(), 0);
}

TEST_F(PropertyOutOfMemory, DigestWithoutMemoryIsRuntimeError4) {
  std::string text = "short " + std::string(countingnew::kLarge, 'w') + " words";
  EXPECT_EXIT(
      {
        countingnew::refuse_large = true;
        PROPERTY_DIGEST_WORD(board, text);
      },
      ::testing::ExitedWithCode(4),
      "Aborting due to runtime error 4 \\(out of memory\\) at line [0-9]+ of "
      "Support/Property Core::PROPERTY_DIGEST_WORD\\(\\)");
}

}  // namespace
