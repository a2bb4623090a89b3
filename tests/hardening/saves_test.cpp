// Saving a property text replaces the target as a whole, however many processes save it at once,
// and touches nothing else in its folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "Support/Property Core.h"
#include "tests/Support/console_files.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> FolderNames() {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator("."))
    names.insert(entry.path().filename().string());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(Saves, ProcessesSavingOneFileLeaveOneTextWhole) {
  constexpr int kSavers = 4;  // two for each text
  const supporttest::ScratchDir scratch;
  const std::string texts[2] = {std::string(1 << 20, 'a'), std::string(2 << 20, 'b')};
  supporttest::WriteFile("f.property", texts[0]);
  pid_t savers[kSavers];
  for (int i = 0; i < kSavers; ++i) {
    savers[i] = fork();
    ASSERT_GE(savers[i], 0);
    if (savers[i] == 0) {
      for (int n = 0; n < 100; ++n) PROPERTY_SAVE_RAW_BUFFER(texts[i % 2], "f.property");
      _exit(0);
    }
  }
  int reads = 0, torn = 0, running = kSavers;
  while (running > 0) {
    const std::string text = FileText("f.property");
    ++reads;
    torn += text != texts[0] && text != texts[1];
    for (pid_t& saver : savers) {
      int status = 0;
      if (saver > 0 && waitpid(saver, &status, WNOHANG) == saver) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        saver = 0;
        --running;
      }
    }
  }
  EXPECT_EQ(torn, 0) << "of " << reads << " reads";
  const std::string last = FileText("f.property");
  EXPECT_TRUE(last == texts[0] || last == texts[1]);
  EXPECT_EQ(FolderNames(), std::set<std::string>{"f.property"});
}

TEST(Saves, TouchNothingButTheTargetAndKeepItsPermissions) {
  const supporttest::ScratchDir scratch;
  const mode_t umask_bits = umask(022);
  umask(umask_bits);
  // The user's own files, among them names that saves once used for their temporary files.
  supporttest::WriteFile("kept.property", "old");
  chmod("kept.property", 0640);
  supporttest::WriteFile("kept.property.saving", "the user's");
  std::filesystem::create_directory("new.property.saving");
  const std::string longest(255, 'n');  // the longest name a file may have

  for (const std::string& name :
       {std::string("kept.property"), std::string("new.property"), longest})
    PROPERTY_SAVE_RAW_BUFFER("text of " + name, name);

  for (const std::string& name :
       {std::string("kept.property"), std::string("new.property"), longest})
    EXPECT_EQ(FileText(name), "text of " + name) << name.size();
  EXPECT_EQ(ModeOf("kept.property"), 0640u);
  EXPECT_EQ(ModeOf("new.property"), 0666u & ~umask_bits);
  EXPECT_EQ(FileText("kept.property.saving"), "the user's");
  EXPECT_EQ(FolderNames(), (std::set<std::string>{"kept.property", "kept.property.saving",
                                                  "new.property", "new.property.saving", longest}));
}

}  // namespace
