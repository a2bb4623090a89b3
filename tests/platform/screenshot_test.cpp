// The screenshot writer: where the picture goes when the working directory cannot take it, and
// what is left when the disk refuses the bytes.
#include "platform/screenshot.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh temporary folder of its own, removed afterwards.
class Screenshot : public testing::Test {
 protected:
  void SetUp() override {
    std::string dir = (fs::temp_directory_path() / "maze-screenshot-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    root_ = dir;
    old_ = fs::current_path();
    fs::current_path(root_);
    for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = static_cast<uint32_t>(i * 2654435761u);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(root_);
  }
  fs::path root_, old_;
  std::vector<uint32_t> pixels_ = std::vector<uint32_t>(64 * 48);
};

TEST_F(Screenshot, ARemovedWorkingFolderSendsThePictureToThePicturesFolder) {
  fs::create_directory("gone");
  fs::current_path("gone");
  fs::remove(root_ / "gone");
  setenv("XDG_PICTURES_DIR", (root_ / "pictures").c_str(), 1);
  std::string error;
  const std::string path = platform::screenshot::Save(pixels_.data(), 64, 48, "", error);
  unsetenv("XDG_PICTURES_DIR");
  EXPECT_EQ(fs::path(path).parent_path(), root_ / "pictures") << error;
  EXPECT_TRUE(fs::is_regular_file(path));
}

// Saves a picture with the files of the process limited to 100 bytes, as a full disk would stop
// it; exits with 0 when the save failed naming the cause and left `folder` empty.
[[noreturn]] void SaveOnAFullDisk(const std::vector<uint32_t>& pixels, const fs::path& folder) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit = {100, 100};  // the picture of noise takes kilobytes
  setrlimit(RLIMIT_FSIZE, &limit);
  std::string error;
  const std::string path = platform::screenshot::Save(pixels.data(), 64, 48, "", error);
  const bool named = error.find("File too large") != std::string::npos;
  std::exit(path.empty() && named && fs::is_empty(folder) ? 0 : 1);
}

TEST_F(Screenshot, AFileTooLargeForTheDiskNamesTheCauseAndLeavesNoFile) {
  EXPECT_EXIT(SaveOnAFullDisk(pixels_, root_), testing::ExitedWithCode(0), "");
}

}  // namespace
