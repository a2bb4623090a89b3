// Frame benchmark: renders the default world headless at four window sizes and prints, for each,
// the median milliseconds per frame of every renderer side by side in one run, after checking
// that they all draw the identical frame.
//
//   maze-bench [--dir DIR] [--samples N] [--check]
//
// One row per size. The columns up to fill are on one thread (THREADS=1) and in the thread's
// processor time, so that other programs on a shared machine do not count. RAYTRACE and
// reference: drawing alone, by the viewer (its fast path where it covers the frame) and by the
// plain reference renderer; ratio is the first over the second. frame: the frame loop's whole
// frame, RAYTRACE then Flip and Cls; literal: the same frame drawn by the literal renderer; fill:
// one computed value written to every pixel of the work page in row order, the least any frame
// must do. N thr: the whole frame at all threads (threads=N, one per core), as the calling
// thread's processor time plus the time by which the busiest helper outlasted its own share of
// the strips (pool::LagMs): the frame's time on a machine with a core free for every thread;
// N wall: the same frame in elapsed time, which other programs on the machine stretch.
// fast/literal = frame / literal, floor-ratio = frame / fill, ns/px = the frame's nanoseconds
// per pixel, speedup = frame / N thr, flip-cls = the share of the whole frame's processor time
// spent in its Flip and Cls, timed inside the frame, at one thread and at N threads.
//
// --check only compares the renderers' frames, the fast path's at several thread counts, over a
// ring of poses at every size and exits with 1 on the first difference.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ThreadPool.h"
#include "platform/headless.h"
#include "tools/cli.h"
#include "tools/reference-renderer.h"

static constexpr char MODULE_NAME[] = "tools/maze-bench";

namespace {

constexpr char kUsage[] =
    "usage: maze-bench [--dir DIR] [--samples N] [--check]\n"
    "Times the maze viewer's frame at 640x480, 1280x960, 1920x1080 and 3840x2160 against the\n"
    "literal renderer, a plain reference renderer and a row-order fill of the page, at one\n"
    "thread and at one thread per core.\n"
    "  --dir DIR      the world's folder (default: the shipped world)\n"
    "  --samples N    samples per median, 1 to 1000 (default 15)\n"
    "  --check        only compare the renderers' frames over many poses\n"
    "  --help, --version\n";

struct Size {
  int32_t width, height;
};
constexpr Size kSizes[] = {{640, 480}, {1280, 960}, {1920, 1080}, {3840, 2160}};

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

// The work page after drawing a frame on a cleared page.
template <class Draw>
std::vector<uint32_t> FrameOf(Draw draw) {
  platform::Cls();
  draw();
  const uint32_t* page = &platform::ScreenPtr()->U;
  return std::vector<uint32_t>(page, page + static_cast<size_t>(XDIM) * YDIM);
}

// Compares `built` with the reference's frame; reports the first differing pixel.
bool Same(const char* renderer, const std::vector<uint32_t>& built,
          const std::vector<uint32_t>& expected) {
  const auto differs = std::mismatch(built.begin(), built.end(), expected.begin());
  if (differs.first == built.end()) return true;
  const size_t i = static_cast<size_t>(differs.first - built.begin());
  std::fprintf(stderr,
               "maze-bench: %s differs at %dx%d pose %.17g,%.17g,%.17g,%.17g pixel (%zu, %zu): "
               "%08X against the reference's %08X\n",
               renderer, XDIM, YDIM, POSX, POSY, POSZ, ANG, i % XDIM, i / XDIM, built[i],
               expected[i]);
  return false;
}

// Every renderer draws the reference's frame at the current size and pose, the fast path at
// each of several thread counts (0: one per core).
bool SameFrame(const ReferenceRenderer& reference) {
  std::vector<uint32_t> expected;
  reference.Draw(expected);
  for (int32_t threads : {1, 2, 3, 7, 0}) {
    THREADS = threads;
    const std::string name = "RAYTRACE at THREADS=" + std::to_string(threads);
    if (!Same(name.c_str(), FrameOf(RAYTRACE), expected)) return false;
  }
  return Same("the literal renderer", FrameOf(LITERALRAYTRACE), expected);
}

// Every size, the start pose and a ring of poses around the board with several eye heights.
int CheckAll(const ReferenceRenderer& reference) {
  const double start[] = {POSX, POSY, POSZ, ANG};
  int frames = 0;
  for (Size size : kSizes) {
    UseSize(size);
    const int poses = size.width > 2000 ? 4 : 24;
    for (int i = 0; i <= poses; ++i) {
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

// Milliseconds of processor time this thread has used, so that the other programs of a shared
// machine do not count.
double ThreadMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Processor milliseconds along the longest path through work shared with the pool's helpers.
double CriticalMs() {
  return ThreadMs() + pool::LagMs();
}

// Milliseconds elapsed.
double ElapsedMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Milliseconds per call of `work`, by `clock`.
template <class Work>
double MsPerFrame(int frames, Work work, double (*clock)() = ThreadMs) {
  const double begin = clock();
  for (int i = 0; i < frames; ++i) work();
  return (clock() - begin) / frames;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double show_ms = 0;  // processor milliseconds WholeFrame has spent in Flip and Cls so far

// The frame loop's drawing, showing and clearing.
template <class Draw>
void WholeFrame(Draw draw) {
  draw();
  const double begin = ThreadMs();
  platform::Flip(1, 0);
  platform::Cls();
  show_ms += ThreadMs() - begin;
}

// The memory floor: every pixel of the work page written once, in row order.
void RowOrderFill() {
  uint32_t* page = &platform::ScreenPtr()->U;
  const uint32_t pixels = static_cast<uint32_t>(XDIM) * static_cast<uint32_t>(YDIM);
  for (uint32_t i = 0; i < pixels; ++i) page[i] = i / 1920;
}

void Measure(const ReferenceRenderer& reference, int samples) {
  const int32_t all = pool::ThreadsFor(0);
  std::printf("%-10s %12s %8s %12s %8s %7s %10s %10s %9s %9s %9s\n", "size", "RAYTRACE ms", "fps",
              "reference ms", "fps", "ratio", "frame ms", "literal ms", "fill ms", "N thr ms",
              "N wall ms");
  std::vector<uint32_t> page;
  auto on = [](int32_t threads, void (*draw)()) {
    return [threads, draw] {
      THREADS = threads;
      draw();
    };
  };
  for (Size size : kSizes) {
    UseSize(size);
    const std::function<void()> work[] = {
        on(1, RAYTRACE),
        [&] { reference.Draw(page); },
        on(1, [] { WholeFrame(RAYTRACE); }),
        [] { WholeFrame(LITERALRAYTRACE); },
        RowOrderFill,
        on(all, [] { WholeFrame(RAYTRACE); }),
        on(all, [] { WholeFrame(RAYTRACE); }),
    };
    // The pieces timed in elapsed time.
    auto clock = [](size_t piece) {
      return piece == 6 ? ElapsedMs : piece == 5 ? CriticalMs : ThreadMs;
    };
    constexpr size_t kPieces = std::size(work);
    int frames[kPieces];  // per sample: about 20 ms
    for (size_t i = 0; i < kPieces; ++i) {
      frames[i] = std::clamp(
          static_cast<int>(20 / std::max(MsPerFrame(3, work[i], clock(i)), 1e-3)), 1, 2000);
    }
    // Samples interleave the pieces, so that a busy machine slows them alike. Each starts on a
    // page that owes nothing (ScreenPtr carries out the clear the last frame left owing).
    std::vector<double> times[kPieces], show_shares[kPieces];
    for (int s = 0; s < samples; ++s) {
      for (size_t i = 0; i < kPieces; ++i) {
        platform::ScreenPtr();
        const double shown = show_ms;
        times[i].push_back(MsPerFrame(frames[i], work[i], clock(i)));
        show_shares[i].push_back((show_ms - shown) / frames[i] / times[i].back());
      }
    }
    const double raytrace = Median(times[0]), plain = Median(times[1]), frame = Median(times[2]),
                 literal = Median(times[3]), fill = Median(times[4]), many = Median(times[5]),
                 wall = Median(times[6]);
    char label[24];
    std::snprintf(label, sizeof label, "%dx%d", size.width, size.height);
    std::printf(
        "%-10s %12.4f %8.0f %12.4f %8.0f %7.3f %10.4f %10.4f %9.4f %9.4f %9.4f threads=%d "
        "fast/literal=%.3f floor-ratio=%.2f ns/px=%.3f speedup=%.2f flip-cls=%.1f%%/%.1f%%\n",
        label, raytrace, 1000 / raytrace, plain, 1000 / plain, raytrace / plain, frame, literal,
        fill, many, wall, all, frame / literal, frame / fill,
        frame * 1e6 / (double(size.width) * size.height), frame / many,
        100 * Median(show_shares[2]), 100 * Median(show_shares[5]));
  }
}

// The --samples value: a whole number from 1 to 1000, or the command line is refused.
int ParseSamples(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 4 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  const int value = digits ? std::stoi(text) : 0;
  if (value < 1 || value > 1000) {
    cli::Refuse("maze-bench", kUsage, "--samples must be a whole number from 1 to 1000: " + text,
                64);
  }
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  cli::AnswerHelpAndVersion(argc, argv, "maze-bench", kUsage);
  std::string dir = MAZE_DATA_DIR;
  int samples = 15;
  bool check = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else if (std::strcmp(argv[i], "--samples") == 0 && i + 1 < argc) {
      samples = ParseSamples(argv[++i]);
    } else if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else {
      cli::Refuse("maze-bench", kUsage, std::string("unknown argument ") + argv[i], 64);
    }
  }
  LoadWorld(dir);
  const ReferenceRenderer reference;
  if (check) return CheckAll(reference);
  for (Size size : kSizes) {
    UseSize(size);
    if (!SameFrame(reference)) return 1;
  }
  std::printf("Every renderer draws the identical frame at every size; medians of %d samples.\n",
              samples);
  Measure(reference, samples);
  return 0;
}
