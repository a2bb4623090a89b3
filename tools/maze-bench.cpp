// Frame benchmark: renders the default world headless at three window sizes and reports, side
// by side, the median milliseconds per frame of RAYTRACE and of the plain reference renderer,
// after checking that both draw identical frames.
//
//   maze-bench [--dir DIR] [--samples N] [--check]
//
// --check only compares the two renderers' frames over a set of poses at every size and exits
// with 1 on the first difference.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "platform/headless.h"
#include "tools/reference-renderer.h"

static constexpr char MODULE_NAME[] = "tools/maze-bench";

namespace {

struct Size {
  int32_t width, height;
};
constexpr Size kSizes[] = {{640, 480}, {1280, 960}, {1920, 1080}};

// Loads the world in `dir` with the random generator seeded with 1.
void LoadWorld(const std::string& dir) {
  if (platform::ChDir(dir) != 0) {
    std::fprintf(stderr, "maze-bench: cannot enter %s\n", dir.c_str());
    std::exit(66);
  }
  platform::headless::SetAutoAnswer(" ");
  STARTUP_BEGIN();
  platform::Randomize(1);
  STARTUP_END();
}

void UseSize(Size size) {
  XDIM = size.width;
  YDIM = size.height;
  PPL = XDIM;
  HVAL = rt::RoundInt(XDIM * 0.5);
  RT_CHECK(platform::ScreenRes(XDIM, YDIM, 32, 2, 0));
  platform::PageSet(1, 0);
}

std::vector<uint32_t> BuiltFrame() {
  platform::Cls();
  RAYTRACE();
  const uint32_t* page = &platform::ScreenPtr()->U;
  return std::vector<uint32_t>(page, page + static_cast<size_t>(XDIM) * YDIM);
}

// Compares the two renderers at the current size; reports the first differing pixel.
bool SameFrame(const ReferenceRenderer& reference) {
  std::vector<uint32_t> expected;
  reference.Draw(expected);
  const std::vector<uint32_t> built = BuiltFrame();
  for (size_t i = 0; i < built.size(); ++i) {
    if (built[i] != expected[i]) {
      std::fprintf(stderr,
                   "maze-bench: frames differ at %dx%d pose %.17g,%.17g,%.17g,%.17g pixel (%zu, "
                   "%zu): %08X against the reference's %08X\n",
                   XDIM, YDIM, POSX, POSY, POSZ, ANG, i % XDIM, i / XDIM, built[i], expected[i]);
      return false;
    }
  }
  return true;
}

// Every size, the start pose and a ring of poses around the board with several eye heights.
int CheckAll(const ReferenceRenderer& reference) {
  const double start[] = {POSX, POSY, POSZ, ANG};
  int frames = 0;
  for (Size size : kSizes) {
    UseSize(size);
    for (int i = 0; i <= 24; ++i) {
      if (i > 0) {
        POSX = 1.25 + std::fmod(i * 7.31, 61.5);
        POSY = 1.25 + std::fmod(i * 11.17, 61.5);
        POSZ = (i % 5 - 2) * 0.25;
        ANG = i * 0.77;
      }
      if (!SameFrame(reference)) return 1;
      ++frames;
      POSX = start[0], POSY = start[1], POSZ = start[2], ANG = start[3];
    }
  }
  std::printf("maze-bench: %d frames identical to the reference\n", frames);
  return 0;
}

template <class Draw>
double MsPerFrame(int frames, Draw draw) {
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) draw();
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - begin;
  return elapsed.count() / frames;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Measure(const ReferenceRenderer& reference, int samples) {
  std::printf("%-10s %14s %10s %14s %10s %8s %12s\n", "size", "RAYTRACE ms", "fps", "reference ms",
              "fps", "ratio", "ns/pixel");
  for (Size size : kSizes) {
    UseSize(size);
    std::vector<uint32_t> page;
    // Frames per sample: about 20 ms of the built renderer.
    const double estimate = std::max(MsPerFrame(3, [] { RAYTRACE(); }), 1e-3);
    const int frames = std::clamp(static_cast<int>(20 / estimate), 1, 2000);
    std::vector<double> built, plain;
    for (int s = 0; s < samples; ++s) {
      built.push_back(MsPerFrame(frames, [] { RAYTRACE(); }));
      plain.push_back(MsPerFrame(frames, [&] { reference.Draw(page); }));
    }
    const double b = Median(built), r = Median(plain);
    char label[24];
    std::snprintf(label, sizeof label, "%dx%d", size.width, size.height);
    std::printf("%-10s %14.4f %10.0f %14.4f %10.0f %8.3f %12.3f\n", label, b, 1000 / b, r, 1000 / r,
                b / r, b * 1e6 / (double(size.width) * size.height));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = MAZE_DATA_DIR;
  int samples = 15;
  bool check = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else if (std::strcmp(argv[i], "--samples") == 0 && i + 1 < argc) {
      samples = std::clamp(std::atoi(argv[++i]), 1, 1000);
    } else if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else {
      std::fprintf(stderr, "usage: maze-bench [--dir DIR] [--samples N] [--check]\n");
      return 64;
    }
  }
  LoadWorld(dir);
  const ReferenceRenderer reference;
  if (check) return CheckAll(reference);
  for (Size size : kSizes) {
    UseSize(size);
    if (!SameFrame(reference)) return 1;
  }
  std::printf("Frames identical to the reference at every size; median of %d samples.\n", samples);
  Measure(reference, samples);
  return 0;
}
