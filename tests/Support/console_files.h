// Helpers of the library tests that touch files or the text console.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "Support/VGA Lookup.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace supporttest {

// A fresh directory that is the working directory while this lives; removed afterwards.
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
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path previous_, path_;
};

// Writes `bytes` to `path`, creating its parent directories.
inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// True when the work page's text cells from (row, column) on show `text` in `colour`, each
// cell holding exactly its glyph on a cleared background.
inline bool RowShows(int row, int column, std::string_view text, uint32_t colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t* glyph = platform::Glyph(static_cast<uint8_t>(text[i]));
    for (int y = 0; y < 64; ++y) {
      const int px = (column - 1 + static_cast<int>(i)) * 8 + y % 8, py = (row - 1) * 8 + y / 8;
      const uint32_t expected = (glyph[y / 8] & (0x80 >> (y % 8))) ? colour : 0u;
      if (platform::Point(nullptr, px, py) != expected) return false;
    }
  }
  return true;
}

// A fresh two-page 640 x 480 console on work page 1, with no palette table and every pause
// answered automatically with "k".
inline void OpenAnsweringConsole() {
  testsupport::ResetPlatform();
  platform::ScreenRes(640, 480, 32, 2, 0);
  platform::PageSet(1, 0);
  VGA_TABLE.Erase();
  platform::headless::SetAutoAnswer("k");
}

}  // namespace supporttest
