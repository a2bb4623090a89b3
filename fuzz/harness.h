// What every fuzz target shares: a scratch folder as the working directory, the engine and the
// headless platform put back to their start around each input, a program end caught as an exit
// code, and the stop that turns a broken promise into a finding.
//
// A target's input is untrusted file content. The program's documented answers to bad content
// (a runtime-error report and its exit code) are outcomes, not findings; a finding is a crash, a
// sanitizer report, a hang, or an outcome that the target's own checks call wrong.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/Engine.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/testing.h"
#include "tests/test_support.h"

namespace fuzz {

// While alive, the working directory is a scratch folder made on first use and shared by every
// input of a run (a normal exit removes it). It lies in memory (/dev/shm) where there is such a
// file system: rewriting a file on a disk's file system can flush it at every input. The
// fuzzer's own relative paths (its corpus folders) need the previous working directory back
// between inputs.
class InScratchFolder {
 public:
  InScratchFolder() : previous_(std::filesystem::current_path()) {
    static std::string folder = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    static const bool made = [] {
      folder += "/maze-fuzz-XXXXXX";
      if (mkdtemp(folder.data()) == nullptr) std::abort();
      std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
      });
      return true;
    }();
    (void)made;
    std::filesystem::current_path(folder);
  }
  ~InScratchFolder() { std::filesystem::current_path(previous_); }
  InScratchFolder(const InScratchFolder&) = delete;
  InScratchFolder& operator=(const InScratchFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

// Writes `bytes` to `path`, relative to the working directory.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The engine's globals and the headless platform at their start: no window, no open file, no
// key waiting, a clock at 0, waits for a key answered with a blank, error reports silenced, the
// images created from here on recorded.
inline void Reset() {
  platform::testing::TrackImages();
  RESETGLOBALS();
  platform::testing::CloseAllFiles();
  platform::Screen(0);
  platform::ClearKeys();
  platform::headless::SetClock(0.0);
  platform::headless::SetAutoAnswer(" ");
  platform::SetQuietErrors(true);
}

// Runs `body` and returns the exit code of the program end it reached, or -1 when it returned.
template <class F>
int ExitCodeOf(F&& body) {
  return testsupport::ExitCodeOf(body);
}

// Reports a broken promise and stops the run, which the fuzzer records as a finding.
[[noreturn]] inline void Finding(const char* what, long detail = 0) {
  std::fprintf(stderr, "fuzz finding: %s (%ld)\n", what, detail);
  std::abort();
}

// Stops with a finding unless `code` is one of `allowed` (-1: the body returned).
inline void ExpectExit(int code, std::initializer_list<int> allowed) {
  for (int a : allowed) {
    if (code == a) return;
  }
  Finding("undocumented program end, exit code", code);
}

// What the viewer's start-up prepares for loading and drawing, on a 64 x 64 window instead of
// its 640 x 480 ones: the file table, the mouse counts, the board array, the defaults, and the
// two pages. Large pages are fresh memory for each input, and zeroing them would cost more than
// everything the target reads.
inline void OpenSmallWorld() {
  const rt::Where here{__LINE__, "fuzz/harness", "OpenSmallWorld"};
  FILEMODE.Redim(0, 255, here);
  REGS.Redim(0, 4, here);
  BOARD.Redim(0, 64, 0, 64, here);
  XDIM = YDIM = PPL = 64;
  HVAL = 32;
  GAMMA = 2.2;
  if (platform::ScreenRes(XDIM, YDIM, 32, 2, 0) != 0) Finding("no 64 x 64 window");
  platform::PageSet(1, 0);
}

// The number of lines the platform's line reader gives for `text`: one per line feed, and one
// more for bytes after the last line feed.
inline size_t LineCount(std::string_view text) {
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines + (!text.empty() && text.back() != '\n');
}

// Resets, and stops with a finding unless the reset freed exactly the images of TEXTUREDB and
// the input left at most `most` others behind; `before` is the number of live images when the
// input started. The texture loader leaves the image of a label listed again allocated until the
// program ends, as designed; this frees those images, so that a long run does not gather them.
inline void ResetCountingOrphans(long before, long most) {
  const long live = platform::LiveImageCount(), stored = TEXTUREDB.Count();
  Reset();
  const long orphans = platform::LiveImageCount() - before;
  if (orphans != live - stored - before) Finding("the reset freed other images", orphans);
  if (orphans > most) Finding("more images were left behind than lines were read", orphans);
  platform::testing::DestroyTrackedImages();
}

inline void PutLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// An uncompressed bottom-up 24-bit bitmap of width x height whose pixel (x, y) is
// 0xRRGGBB = seed * 0x10000 + x * 0x100 + y.
inline std::string MakeBmp(int width, int height, int seed) {
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  std::string out = "BM";
  PutLe(out, static_cast<uint32_t>(54 + row_bytes * height), 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(height), 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      PutLe(row, static_cast<uint32_t>(seed << 16 | (x & 255) << 8 | (y & 255)), 3);
    }
    row.resize(static_cast<size_t>(row_bytes), '\0');
    out += row;
  }
  return out;
}

// A 1-bit bitmap of 16384 x 16384 pixels, all of palette entry 0, whose 32 MiB of pixels are
// left as a hole in the file (so that writing it costs nothing).
inline void WriteBigBmp(const std::string& path) {
  constexpr uint32_t kSide = 16384, kPixelOffset = 62, kPixelBytes = kSide / 8 * kSide;
  std::string out = "BM";
  PutLe(out, kPixelOffset + kPixelBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, kPixelOffset, 4);
  PutLe(out, 40, 4);
  PutLe(out, kSide, 4);
  PutLe(out, kSide, 4);
  PutLe(out, 1, 2);
  PutLe(out, 1, 2);
  for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
  PutLe(out, 0x00FFFFFF, 4);  // the palette: white, then black
  PutLe(out, 0, 4);
  WriteFile(path, out);
  std::filesystem::resize_file(path, kPixelOffset + kPixelBytes);
}

// A texture set in the working directory: a.bmp, b.bmp and c.bmp (64 x 64), wide.bmp (100 x 30),
// dot.bmp (1 x 1), big.bmp (1-bit, 16384 x 16384, 32 MiB), bad.bmp (no bitmap), mem.bmp and
// mem.property (whose reads fail: /proc/self/mem from its start), and the lists
// textures.property (a, b, c), one.property (a only), bad.property (a, then bad.bmp),
// missing.property (a, then a file that does not exist) and sub/big.property (a, big, c).
inline void WriteTextureSet() {
  WriteFile("a.bmp", MakeBmp(64, 64, 1));
  WriteFile("b.bmp", MakeBmp(64, 64, 2));
  WriteFile("c.bmp", MakeBmp(64, 64, 3));
  WriteFile("wide.bmp", MakeBmp(100, 30, 4));
  WriteFile("dot.bmp", MakeBmp(1, 1, 5));
  WriteBigBmp("big.bmp");
  WriteFile("bad.bmp", "BM not a bitmap");
  std::filesystem::create_symlink("/proc/self/mem", "mem.bmp");
  std::filesystem::create_symlink("/proc/self/mem", "mem.property");
  WriteFile("textures.property", "a=a.bmp\nb=b.bmp\nc=c.bmp\n");
  WriteFile("one.property", "a=a.bmp\n");
  WriteFile("bad.property", "a=a.bmp\nx=bad.bmp\n");
  WriteFile("missing.property", "a=a.bmp\nm=missing.bmp\n");
  std::filesystem::create_directory("sub");
  WriteFile("sub/big.property", "a=a.bmp\nbig=big.bmp\nc=c.bmp\n");
}

}  // namespace fuzz
