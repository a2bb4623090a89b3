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

namespace testsupport {

// Writes `bytes` to `path` (relative to the working directory).
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline void PutLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// A BMP of width x height whose pixel (x, y), counted from the picture's top row, is
// colour(x, y) as 0xAARRGGBB. 24-bit files drop the alpha byte; 32-bit files keep it (with
// BITFIELDS masks, so that readers honour it). top_down stores the top row first.
inline std::string MakeBmp(int width, int height, int bits, bool top_down,
                           const std::function<uint32_t(int, int)>& colour) {
  const int header = bits == 32 ? 14 + 56 : 14 + 40;
  const int row_bytes = (width * (bits / 8) + 3) / 4 * 4;
  std::string out = "BM";
  PutLe(out, static_cast<uint32_t>(header + row_bytes * height), 4);
  PutLe(out, 0, 4);
  PutLe(out, static_cast<uint32_t>(header), 4);
  PutLe(out, bits == 32 ? 56 : 40, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(top_down ? -height : height), 4);
  PutLe(out, 1, 2);
  PutLe(out, static_cast<uint32_t>(bits), 2);
  PutLe(out, bits == 32 ? 3 : 0, 4);
  PutLe(out, static_cast<uint32_t>(row_bytes * height), 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  if (bits == 32) {
    for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) PutLe(out, mask, 4);
  }
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    std::string row;
    for (int x = 0; x < width; ++x) PutLe(row, colour(x, y), bits / 8);
    row.resize(static_cast<size_t>(row_bytes), '\0');
    out += row;
  }
  return out;
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
