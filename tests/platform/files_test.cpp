#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/testing.h"

namespace {

using platform::OpenMode;

// Each test runs in a fresh temporary directory, which is also the working directory.
class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/maze-files-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    previous_ = platform::CurDir();
    ASSERT_EQ(platform::ChDir(dir_), 0);
  }
  void TearDown() override {
    platform::testing::CloseAllFiles();
    platform::testing::FailWritesAfter(-1);
    platform::ChDir(previous_);
    std::filesystem::remove_all(dir_);
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Every name a search yields, in order.
  static std::vector<std::string> All(const std::string& pattern, int attributes) {
    std::vector<std::string> names;
    for (std::string n = platform::Dir(pattern, attributes); !n.empty(); n = platform::Dir())
      names.push_back(n);
    return names;
  }
  static std::set<std::string> Set(const std::string& pattern, int attributes) {
    const std::vector<std::string> names = All(pattern, attributes);
    return std::set<std::string>(names.begin(), names.end());
  }

  std::string dir_, previous_;
};

TEST_F(Files, SlotsAreNumberedAndChecked) {
  Write("a", "x");
  EXPECT_EQ(platform::FreeFile(), 1);
  ASSERT_EQ(platform::Open(1, "a", OpenMode::kInput), 0);
  EXPECT_EQ(platform::FreeFile(), 2);
  EXPECT_EQ(platform::Open(1, "a", OpenMode::kInput), 1);  // already open
  EXPECT_EQ(platform::Open(0, "a", OpenMode::kInput), 1);
  EXPECT_EQ(platform::Open(256, "a", OpenMode::kInput), 1);
  EXPECT_EQ(platform::Open(2, "missing", OpenMode::kInput), 2);
  EXPECT_EQ(platform::Open(2, "missing", OpenMode::kBinaryRead), 2);
  EXPECT_EQ(platform::Open(2, ".", OpenMode::kBinaryRead), 2);  // a directory
  EXPECT_EQ(platform::Open(2, "", OpenMode::kBinary), 2);
  // A zero byte would cut the path short: refused instead of creating "new".
  EXPECT_EQ(platform::Open(2, std::string("new\0b", 5), OpenMode::kBinary), 2);
  EXPECT_FALSE(std::filesystem::exists("new"));
  EXPECT_EQ(platform::Open(2, "no/such/dir/f", OpenMode::kBinary), 2);
  EXPECT_EQ(platform::Close(1), 0);
  EXPECT_EQ(platform::Close(1), 1);
  EXPECT_EQ(platform::Close(-5), 1);
  EXPECT_EQ(platform::Close(1000), 1);
  EXPECT_EQ(platform::Lof(1), -1);
  EXPECT_TRUE(platform::Eof(1));
  std::string line = "old";
  EXPECT_EQ(platform::LineInput(300, line), 1);
  EXPECT_EQ(line, "");
  char byte;
  EXPECT_EQ(platform::Get(7, 1, &byte, 1), 1);
  EXPECT_EQ(platform::PutBytes(7, 1, &byte, 1), 1);

  for (int i = 1; i <= 255; ++i) ASSERT_EQ(platform::Open(i, "a", OpenMode::kBinaryRead), 0);
  EXPECT_EQ(platform::FreeFile(), 0);
  EXPECT_EQ(platform::testing::OpenFileCount(), 255);
  platform::Close(17);
  EXPECT_EQ(platform::FreeFile(), 17);
}

TEST_F(Files, LineInputSplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
  // A lone carriage return is an ordinary byte; the last line needs no line feed.
  Write("t", std::string("one\r\ntwo\n\nfour\rx\r\n\r\n\0five", 25));
  ASSERT_EQ(platform::Open(1, "t", OpenMode::kInput), 0);
  std::vector<std::string> lines;
  std::string line;
  while (!platform::Eof(1)) {
    ASSERT_EQ(platform::LineInput(1, line), 0);
    lines.push_back(line);
  }
  EXPECT_EQ(lines,
            (std::vector<std::string>{"one", "two", "", "four\rx", "", std::string("\0five", 5)}));
  EXPECT_EQ(platform::LineInput(1, line), 3);  // nothing left
  EXPECT_EQ(line, "");

  Write("u", "last\n");  // a final line feed gives no extra empty line
  ASSERT_EQ(platform::Open(2, "u", OpenMode::kInput), 0);
  ASSERT_EQ(platform::LineInput(2, line), 0);
  EXPECT_EQ(line, "last");
  EXPECT_TRUE(platform::Eof(2));

  Write("e", "");
  ASSERT_EQ(platform::Open(3, "e", OpenMode::kInput), 0);
  EXPECT_TRUE(platform::Eof(3));
  EXPECT_EQ(platform::LineInput(3, line), 3);
  char byte;
  EXPECT_EQ(platform::Get(3, 1, &byte, 1), 1);  // not a binary slot
}

TEST_F(Files, LongLinesCrossTheReadAhead) {
  const std::string long_line(10000, 'q');
  Write("l", long_line + "\r\n" + long_line);
  ASSERT_EQ(platform::Open(1, "l", OpenMode::kInput), 0);
  std::string line;
  ASSERT_EQ(platform::LineInput(1, line), 0);
  EXPECT_EQ(line, long_line);
  ASSERT_EQ(platform::LineInput(1, line), 0);
  EXPECT_EQ(line, long_line);
  EXPECT_TRUE(platform::Eof(1));
}

TEST_F(Files, BytesAtPositions) {
  ASSERT_EQ(platform::Open(1, "b", OpenMode::kBinary), 0);  // created
  EXPECT_EQ(platform::Lof(1), 0);
  EXPECT_TRUE(platform::Eof(1));
  ASSERT_EQ(platform::PutBytes(1, 1, "hello", 5), 0);
  ASSERT_EQ(platform::PutBytes(1, platform::Lof(1) + 1, "!", 1), 0);
  ASSERT_EQ(platform::PutBytes(1, 2, "E", 1), 0);
  EXPECT_EQ(platform::Lof(1), 6);
  EXPECT_FALSE(platform::Eof(1));  // next byte is position 3

  char buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  size_t got = 99;
  ASSERT_EQ(platform::Get(1, 4, buffer, 8, &got), 0);
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(std::string(buffer, 8), std::string("lo!\0\0\0\0\0", 8));  // past the end: zeros
  EXPECT_TRUE(platform::Eof(1));
  ASSERT_EQ(platform::Get(1, 1, buffer, 2, &got), 0);
  EXPECT_EQ(std::string(buffer, 2), "hE");
  EXPECT_FALSE(platform::Eof(1));

  EXPECT_EQ(platform::Get(1, 0, buffer, 1), 1);
  EXPECT_EQ(platform::Get(1, -3, buffer, 1), 1);
  EXPECT_EQ(platform::PutBytes(1, 0, "x", 1), 1);
  EXPECT_EQ(platform::Get(1, INT64_MAX, buffer, 2), 1);  // range beyond the host's offsets
  EXPECT_EQ(platform::Get(1, 1, nullptr, 1), 1);
  ASSERT_EQ(platform::Close(1), 0);
  EXPECT_EQ(ReadAll("b"), "hEllo!");

  // Writing far past the end leaves a gap of zeros.
  ASSERT_EQ(platform::Open(1, "b", OpenMode::kBinary), 0);
  ASSERT_EQ(platform::PutBytes(1, 9, "z", 1), 0);
  platform::Close(1);
  EXPECT_EQ(ReadAll("b"), std::string("hEllo!\0\0z", 9));

  ASSERT_EQ(platform::Open(2, "b", OpenMode::kBinaryRead), 0);
  EXPECT_EQ(platform::PutBytes(2, 1, "x", 1), 1);  // read-only slot
  ASSERT_EQ(platform::Get(2, 9, buffer, 1, &got), 0);
  EXPECT_EQ(buffer[0], 'z');
}

TEST_F(Files, InjectedWriteFailureStopsAtTheLimit) {
  ASSERT_EQ(platform::Open(1, "w", OpenMode::kBinary), 0);
  platform::testing::FailWritesAfter(5);
  EXPECT_EQ(platform::PutBytes(1, 1, "abc", 3), 0);
  EXPECT_EQ(platform::PutBytes(1, 4, "defg", 4), 3);  // "de" fits, then the disk is full
  EXPECT_EQ(platform::PutBytes(1, 6, "h", 1), 3);
  EXPECT_EQ(platform::PutBytes(1, 6, "", 0), 0);
  platform::testing::FailWritesAfter(-1);
  EXPECT_EQ(platform::PutBytes(1, 6, "h", 1), 0);
  platform::Close(1);
  EXPECT_EQ(ReadAll("w"), "abcdeh");
}

TEST_F(Files, KillRenameAndReadableFiles) {
  Write("f", "1");
  Write("g", "2");
  ::mkdir("d", 0755);
  EXPECT_TRUE(platform::IsReadableFile("f"));
  EXPECT_FALSE(platform::IsReadableFile("d"));
  EXPECT_FALSE(platform::IsReadableFile("missing"));
  EXPECT_FALSE(platform::IsReadableFile(""));
  EXPECT_FALSE(platform::IsReadableFile(std::string("f\0", 2)));

  EXPECT_EQ(platform::Rename("f", "g"), 0);
  EXPECT_EQ(ReadAll("g"), "1");
  EXPECT_FALSE(platform::IsReadableFile("f"));
  EXPECT_EQ(platform::Rename("f", "h"), 3);
  EXPECT_EQ(platform::Rename("g", "d"), 3);  // onto a directory

  EXPECT_EQ(platform::Kill("g"), 0);
  EXPECT_EQ(platform::Kill("g"), 2);
  EXPECT_EQ(platform::Kill("d"), 2);
  EXPECT_TRUE(std::filesystem::is_directory("d"));
  EXPECT_EQ(platform::Kill(""), 2);
}

TEST_F(Files, WorkingDirectory) {
  ::mkdir("sub", 0755);
  const std::string here = platform::CurDir();
  EXPECT_EQ(std::filesystem::canonical(here), std::filesystem::canonical(dir_));
  EXPECT_EQ(platform::ChDir("sub"), 0);
  EXPECT_EQ(std::filesystem::canonical(platform::CurDir()),
            std::filesystem::canonical(dir_ + "/sub"));
  EXPECT_EQ(platform::ChDir("missing"), -1);
  EXPECT_EQ(platform::ChDir(""), -1);
  EXPECT_EQ(platform::ChDir(std::string("..\0sub", 6)), -1);
  EXPECT_EQ(platform::ChDir(".."), 0);
  EXPECT_EQ(platform::CurDir(), here);
}

TEST_F(Files, DirMatchesWildcardsAndAttributes) {
  for (const char* name : {"a.bmp", "b.bmp", "ab.txt", "abc", ".hidden.bmp"}) Write(name, "x");
  Write("locked.bmp", "x");
  ::chmod("locked.bmp", 0444);
  ::mkdir("dir.bmp", 0755);
  ::mkfifo("pipe.bmp", 0644);
  ::symlink("a.bmp", "link.bmp");

  using S = std::set<std::string>;
  // Plain files need no bit; archive alone is the same.
  EXPECT_EQ(Set("*.bmp", 0), (S{"a.bmp", "b.bmp", "link.bmp"}));
  EXPECT_EQ(Set("*.bmp", platform::kAttrArchive), (S{"a.bmp", "b.bmp", "link.bmp"}));
  EXPECT_EQ(Set("*.bmp", platform::kAttrReadOnly), (S{"a.bmp", "b.bmp", "link.bmp", "locked.bmp"}));
  EXPECT_EQ(Set("*.bmp", platform::kAttrHidden), (S{"a.bmp", "b.bmp", "link.bmp", ".hidden.bmp"}));
  EXPECT_EQ(Set("*.bmp", platform::kAttrSystem), (S{"a.bmp", "b.bmp", "link.bmp", "pipe.bmp"}));
  // With the directory bit, plain files need the archive bit.
  EXPECT_EQ(Set("*.bmp", platform::kAttrDirectory), (S{"dir.bmp"}));
  EXPECT_EQ(Set("*.bmp", platform::kAttrDirectory | platform::kAttrArchive),
            (S{"a.bmp", "b.bmp", "link.bmp", "dir.bmp"}));

  EXPECT_EQ(Set("?.bmp", 0), (S{"a.bmp", "b.bmp"}));
  EXPECT_EQ(Set("a*", 0), (S{"a.bmp", "ab.txt", "abc"}));
  EXPECT_EQ(Set("*b*c", 0), (S{"abc"}));
  EXPECT_EQ(Set("ab?", 0), (S{"abc"}));
  EXPECT_EQ(Set("abc", 0), (S{"abc"}));
  EXPECT_EQ(Set("A*", 0), S{});  // case matters
  EXPECT_EQ(Set("*.*", 0), (S{"a.bmp", "b.bmp", "ab.txt", "link.bmp"}));
  EXPECT_EQ(Set("", 0), S{});
  EXPECT_EQ(Set("**?*", 0), (S{"a.bmp", "b.bmp", "ab.txt", "abc", "link.bmp"}));
  // "." and ".." are never found, even when the pattern and mask would take them.
  EXPECT_EQ(Set(".*", 0xFF), (S{".hidden.bmp"}));
  EXPECT_EQ(Set("*", 0xFF).count(".."), 0u);

  ::mkdir("dir.bmp/inner", 0755);
  Write("dir.bmp/x.txt", "x");
  EXPECT_EQ(Set("dir.bmp/*", 0), (S{"x.txt"}));
  EXPECT_EQ(Set(dir_ + "/dir.bmp/*", 0xFF), (S{"x.txt", "inner"}));
  EXPECT_EQ(Set("missing/*", 0xFF), S{});
  EXPECT_EQ(Set("abc/*", 0xFF), S{});  // a file is no directory
}

TEST_F(Files, DirKeepsTheDirectoryOrderAndEndsCleanly) {
  for (int i = 0; i < 50; ++i) Write("f" + std::to_string(i), "x");
  std::vector<std::string> listed;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    listed.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(All("*", 0), listed);
  EXPECT_EQ(platform::Dir(), "");  // the finished search stays finished
  EXPECT_EQ(platform::Dir(), "");
  // A new search replaces a running one.
  EXPECT_FALSE(platform::Dir("f1*", 0).empty());
  EXPECT_EQ(platform::Dir("f7", 0), "f7");
  EXPECT_EQ(platform::Dir(), "");
}

}  // namespace
