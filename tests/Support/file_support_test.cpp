#include "Support/File Support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Support/String Support.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

static constexpr char MODULE_NAME[] = "tests/file_support";

namespace {

namespace fs = std::filesystem;
using supporttest::RowShows;
using supporttest::WriteFile;
using Names = std::vector<std::string>;

class FileSupport : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetPlatform();
    platform::ScreenRes(640, 480, 32, 2, 0);
    platform::PageSet(1, 0);
  }
  void TearDown() override { testsupport::ResetPlatform(); }

  // CAT's names in its order (sorted on request); the list starts with stale elements.
  static Names Cat(const std::string& path, int32_t attr, bool sorted = true) {
    rt::Array<std::string> list;
    list.Redim(0, 2, RT_HERE);
    CAT(list, path, attr);
    Names names;
    for (int32_t i = list.LBound(); i <= list.UBound(); ++i) names.push_back(list.At(i, RT_HERE));
    if (sorted) std::sort(names.begin(), names.end());
    return names;
  }

  supporttest::ScratchDir scratch;
};

TEST_F(FileSupport, IsFileAndIsDir) {
  WriteFile("file", "x");
  fs::create_directory("dir");
  const fs::path before = fs::current_path();
  EXPECT_EQ(IS_FILE("file"), -1);
  EXPECT_EQ(IS_FILE("dir"), 0);
  EXPECT_EQ(IS_FILE("missing"), 0);
  EXPECT_EQ(IS_DIR("file"), -1);
  EXPECT_EQ(IS_DIR("dir"), 0);
  EXPECT_EQ(fs::current_path(), before);
  EXPECT_EQ(IS_DIR("missing"), -1);
}

TEST_F(FileSupport, CatSelectsByAttributeAndWildcard) {
  fs::create_directory("empty");
  EXPECT_EQ(Cat("empty/.*", 55), Names{});  // never "." or ".."
  for (const char* name : {"plain", "ro", ".hidden", "a.txt", "ab.txt"}) WriteFile(name, "");
  fs::permissions("ro", fs::perms::owner_write, fs::perm_options::remove);
  fs::create_directory("sub");
  fs::create_directory(".hsub");
  ASSERT_EQ(mkfifo("pipe", 0644), 0);
  const Names files = {"a.txt", "ab.txt", "plain"};
  EXPECT_EQ(Cat("*", 0), files);  // archive counts as set without the directory bit
  EXPECT_EQ(Cat("*", 1), (Names{"a.txt", "ab.txt", "plain", "ro"}));
  EXPECT_EQ(Cat("*", 2), (Names{".hidden", "a.txt", "ab.txt", "plain"}));
  EXPECT_EQ(Cat("*", 4), (Names{"a.txt", "ab.txt", "pipe", "plain"}));
  EXPECT_EQ(Cat("*", 16), (Names{"empty", "sub"}));  // and then it does not
  EXPECT_EQ(Cat("*", 18), (Names{".hsub", "empty", "sub"}));
  EXPECT_EQ(Cat("*", 48), (Names{"a.txt", "ab.txt", "empty", "plain", "sub"}));
  EXPECT_EQ(Cat("*.txt", 0), (Names{"a.txt", "ab.txt"}));
  EXPECT_EQ(Cat("?.txt", 0), (Names{"a.txt"}));
  Names searched;  // the host's order, unsorted
  for (std::string name = platform::Dir("*", 55); !name.empty(); name = platform::Dir())
    searched.push_back(name);
  EXPECT_EQ(Cat("*", 55, false), searched);
}

TEST_F(FileSupport, LoadBuffer) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  WriteFile("bytes", bytes);
  WriteFile("empty", "");
  EXPECT_EQ(LOAD_BUFFER("bytes"), bytes);
  EXPECT_EQ(LOAD_BUFFER("empty"), "");
  EXPECT_EQ(platform::CursorRow(), 1);  // no message
  platform::Color(0xFF00FF00u);
  EXPECT_EQ(LOAD_BUFFER("missing"), "");
  EXPECT_TRUE(RowShows(1, 1, "Is not a file: \"missing\"", 0xFFFFFFFFu));
  EXPECT_EQ(platform::CursorRow(), 2);
}

TEST_F(FileSupport, DumpBufferPrintsEachLine) {
  const uint32_t white = 0xFFFFFFFFu;
  platform::Color(white);
  DUMP_BUFFER("");
  EXPECT_EQ(platform::CursorRow(), 1);
  DUMP_BUFFER("a\r\n\r\nb\nc\r\n");  // empty line kept, lone LF no break, final CR LF no line
  EXPECT_TRUE(RowShows(1, 1, "a", white) && RowShows(2, 1, " ", white));
  EXPECT_TRUE(RowShows(3, 1, "b\nc", white));
  EXPECT_EQ(platform::CursorRow(), 4);
}

}  // namespace
