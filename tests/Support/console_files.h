// Helpers of the library tests that touch files or the text console: a scratch directory that
// is the working directory while it lives, and a reader of the work page's text cells.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace supporttest {

// A fresh empty directory that is the working directory until destruction, which restores
// the previous one and removes the directory with its contents.
class ScratchDir {
 public:
  ScratchDir() : previous_(std::filesystem::current_path()) {
    std::string name = (std::filesystem::temp_directory_path() / "maze-support-XXXXXX").string();
    path_ = mkdtemp(name.data()) ? name : std::string();
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Writes `bytes` to the file at `path` (relative to the working directory), parents created.
inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// True when text cell (row, column), both from 1, of the work page shows the glyph of `byte`
// in `colour` on a cleared background.
inline bool CellShows(int row, int column, uint8_t byte, uint32_t colour) {
  const uint8_t* glyph = platform::Glyph(byte);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const uint32_t expected = (glyph[y] & (0x80 >> x)) ? colour : 0u;
      if (platform::Point(nullptr, (column - 1) * 8 + x, (row - 1) * 8 + y) != expected)
        return false;
    }
  }
  return true;
}

// True when the cells of `row` from `column` on show `text`, one glyph per byte.
inline bool RowShows(int row, int column, std::string_view text, uint32_t colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (!CellShows(row, column + static_cast<int>(i), static_cast<uint8_t>(text[i]), colour))
      return false;
  }
  return true;
}

// Opens the headless two-page window that the console tests draw on (work page 1).
inline void OpenConsole() {
  platform::ScreenRes(640, 480, 32, 2, 0);
  platform::PageSet(1, 0);
}

}  // namespace supporttest
