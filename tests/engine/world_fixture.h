// A scratch world for engine tests: a fresh folder as the working directory, files and bitmaps
// written into it, the engine's globals and the headless platform reset around each test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "tests/test_support.h"
#include "tools/bmp-writer.h"

namespace testsupport {

// Writes `bytes` to `path` (relative to the working directory).
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A 24- or 32-bit (alpha kept) BMP whose pixel (x, y), counted from the top row, is colour(x, y).
inline std::string MakeBmp(int width, int height, int bits, bool top_down,
                           const std::function<uint32_t(int, int)>& colour) {
  return bmpwriter::Encode(width, height,
                           bits == 32 ? bmpwriter::Format::kArgb32 : bmpwriter::Format::kRgb24,
                           top_down, colour);
}

// A distinct opaque colour for every texel of a 64 x 64 texture `n`.
inline uint32_t TestTexel(int n, int x, int y) {
  return 0xFF000000u | static_cast<uint32_t>(n) << 16 | static_cast<uint32_t>(x) << 8 |
         static_cast<uint32_t>(y);
}

// The working directory is a fresh folder for each test; the engine and platform are reset.
class WorldTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetPlatform();
    RESETGLOBALS();
    previous_ = std::filesystem::current_path();
    char pattern[] = "/tmp/maze-world-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::filesystem::current_path(folder_);
    platform::headless::SetAutoAnswer(" ");
  }
  void TearDown() override {
    RESETGLOBALS();
    ResetPlatform();
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  // Start-up up to the parameter file: the defaults and the two-page 640 x 480 window.
  static void OpenDefaultWindow() {
    STARTUP_BEGIN();
    platform::Randomize(1);
    HVAL = 320;
    BOARD.Redim(0, 64, 0, 64, rt::Where{__LINE__, "tests/world", "OpenDefaultWindow"});
  }

  // Writes texture bitmaps t0.bmp ... and a list naming them under the given labels.
  static void WriteTextures(const std::vector<std::string>& labels,
                            const std::string& list = "textures.property") {
    std::string text;
    for (size_t i = 0; i < labels.size(); ++i) {
      const std::string file = "t" + std::to_string(i) + ".bmp";
      WriteFile(file, MakeBmp(64, 64, 24, false,
                              [i](int x, int y) { return TestTexel(static_cast<int>(i), x, y); }));
      text += labels[i] + "=" + file + "\n";
    }
    WriteFile(list, text);
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

}  // namespace testsupport
