#include "Support/File Support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Support/String Support.h"
#include "platform/platform.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

static constexpr char MODULE_NAME[] = "tests/file_support";

namespace {

namespace fs = std::filesystem;
using supporttest::WriteFile;

class FileSupport : public testing::Test {
 protected:
  void SetUp() override { testsupport::ResetPlatform(); }
  void TearDown() override { testsupport::ResetPlatform(); }

  // CAT's result as a vector, in its order.
  static std::vector<std::string> Listing(const std::string& path, int32_t attr) {
    rt::Array<std::string> list;
    list.Redim(0, 2, RT_HERE);  // stale content that must not survive
    CAT(list, path, attr);
    EXPECT_EQ(list.LBound(), 0);
    std::vector<std::string> names;
    for (int32_t i = 0; i <= list.UBound(); ++i) names.push_back(list.At(i, RT_HERE));
    return names;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  supporttest::ScratchDir scratch;
};

TEST_F(FileSupport, IsFileAndIsDirTellFilesFromDirectories) {
  WriteFile("file.txt", "x");
  fs::create_directory("folder");
  const fs::path before = fs::current_path();
  struct Case {
    std::string path;
    int32_t is_file, is_dir;
  };
  for (const Case& c : {Case{"file.txt", -1, -1}, Case{"folder", 0, 0}, Case{"missing", 0, -1},
                        Case{"", 0, -1}, Case{"folder/missing", 0, -1}}) {
    EXPECT_EQ(IS_FILE(c.path), c.is_file) << c.path;
    EXPECT_EQ(IS_DIR(c.path), c.is_dir) << c.path;
    EXPECT_EQ(fs::current_path(), before) << c.path;
  }
}

TEST_F(FileSupport, CatOfAnEmptyFolderIsEmpty) {
  fs::create_directory("empty");
  EXPECT_TRUE(Listing("empty/*", 0xFF).empty());
  EXPECT_TRUE(Listing("empty/.*", 0xFF).empty());  // "." and ".." are never listed
  EXPECT_TRUE(Listing("missing/*", 0xFF).empty());
}

TEST_F(FileSupport, CatSelectsByAttributeBits) {
  WriteFile("plain", "");
  WriteFile("readonly", "");
  fs::permissions("readonly",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  WriteFile(".hidden", "");
  fs::create_directory("sub");
  fs::create_directory(".hiddensub");
  ASSERT_EQ(mkfifo("pipe", 0644), 0);
  struct Case {
    int32_t attr;
    std::vector<std::string> names;
  };
  for (const Case& c : {
           Case{0, {"plain"}},               // archive assumed without bit 16
           Case{1, {"plain", "readonly"}},   // read-only
           Case{2, {".hidden", "plain"}},    // hidden
           Case{4, {"pipe", "plain"}},       // system: neither file nor directory
           Case{16, {"sub"}},                // directories; archive not assumed
           Case{18, {".hiddensub", "sub"}},  // hidden directories too
           Case{32, {"plain"}},              // archive
           Case{48, {"plain", "sub"}},       // files and directories
           Case{55, {".hidden", ".hiddensub", "pipe", "plain", "readonly", "sub"}},
       }) {
    EXPECT_EQ(Sorted(Listing("*", c.attr)), c.names) << "attr " << c.attr;
  }
}

TEST_F(FileSupport, CatMatchesWildcardsInTheSearchOrder) {
  for (const char* name : {"a.txt", "bb.txt", "c.dat", "ab.txt"}) WriteFile(name, "");
  EXPECT_EQ(Sorted(Listing("*.txt", 0)), (std::vector<std::string>{"a.txt", "ab.txt", "bb.txt"}));
  EXPECT_EQ(Sorted(Listing("?.txt", 0)), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(Sorted(Listing("a*", 0)), (std::vector<std::string>{"a.txt", "ab.txt"}));
  EXPECT_EQ(Sorted(Listing("c.dat", 0)), (std::vector<std::string>{"c.dat"}));
  // The order is the host's search order, kept as it comes.
  std::vector<std::string> searched;
  for (std::string name = platform::Dir("*", 0); !name.empty(); name = platform::Dir())
    searched.push_back(name);
  EXPECT_EQ(Listing("*", 0), searched);
}

TEST_F(FileSupport, LoadBufferReadsEveryByte) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  WriteFile("bytes.bin", bytes + "\r\n");
  WriteFile("empty.bin", "");
  supporttest::OpenConsole();
  EXPECT_EQ(LOAD_BUFFER("bytes.bin"), bytes + "\r\n");
  EXPECT_EQ(LOAD_BUFFER("empty.bin"), "");
  EXPECT_EQ(platform::CursorRow(), 1);  // no message for either
}

TEST_F(FileSupport, LoadBufferOfAMissingFileSaysSoInWhite) {
  supporttest::OpenConsole();
  platform::Color(0xFF00FF00u);
  EXPECT_EQ(LOAD_BUFFER("missing.txt"), "");
  EXPECT_EQ(platform::CurrentColor(), 0xFFFFFFFFu);
  EXPECT_TRUE(supporttest::RowShows(1, 1, "Is not a file: \"missing.txt\"", 0xFFFFFFFFu));
  EXPECT_EQ(platform::CursorRow(), 2);
  EXPECT_EQ(platform::CursorColumn(), 1);
  fs::create_directory("folder");
  EXPECT_EQ(LOAD_BUFFER("folder"), "");
  EXPECT_TRUE(supporttest::RowShows(2, 1, "Is not a file: \"folder\"", 0xFFFFFFFFu));
}

TEST_F(FileSupport, DumpBufferPrintsOneLinePerPiece) {
  supporttest::OpenConsole();
  DUMP_BUFFER("");
  EXPECT_EQ(platform::CursorRow(), 1);
  DUMP_BUFFER("one");
  EXPECT_TRUE(supporttest::RowShows(1, 1, "one", platform::CurrentColor()));
  EXPECT_EQ(platform::CursorRow(), 2);
  DUMP_BUFFER("a\r\n\r\nb\nc\r\n");  // empty line kept, lone LF no break, final CR LF no line
  EXPECT_TRUE(supporttest::RowShows(2, 1, "a", platform::CurrentColor()));
  EXPECT_TRUE(supporttest::RowShows(3, 1, " ", platform::CurrentColor()));
  EXPECT_TRUE(supporttest::RowShows(4, 1, "b\nc", platform::CurrentColor()));
  EXPECT_EQ(platform::CursorRow(), 5);
  EXPECT_EQ(platform::CursorColumn(), 1);
}

}  // namespace
