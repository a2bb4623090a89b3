// The parameter file: the input becomes params.property in a scratch folder beside the texture
// set of harness.h, and the viewer runs its start-up (seeded) and three frames with the headless
// backend, every wait for a key answered, a few movement keys pressed (Up or Left also held, for
// MOTION) before each frame.
//
// Documented ends: 1 (a bitmap that cannot be loaded, or a window side below 1 or above 16384 at
// the window reopening), 2 (a texture list that cannot be opened), 3 (a list or bitmap whose read
// fails), 6 (BOARD or MAZE before TEXTURES, or a list of fewer than two textures); 1 also for a
// SEED that is no whole number and a map file that cannot be read. Any other end is a finding.
//
// Limits of the harness, so that the fuzzer spends its time on reading rather than painting:
// start-up opens its two windows at 16 x 12 instead of 640 x 480, which makes the defaults 16 x
// 12 (PPL 16, and so HVAL 8) until the input's own lines override them; an input whose last XDIM
// and YDIM would open a window of more than kMaxPixels pixels is skipped (a 16384 x 16384 window
// is a legal 1 GiB page per frame, slow but not wrong); TEXTURES, MAP and BINDINGS values that
// are absolute or hold ".." are skipped, which keeps every file the input names inside the scratch
// folder; RECORD lines record nothing, so that no input writes over the texture set.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "Support/Constants.h"
#include "fuzz/harness.h"
#include "platform/recording.h"

namespace {

constexpr int64_t kMaxPixels = int64_t{1} << 16;

// Whether the program's reading of `text` stays inside the harness's limits. Lines and the
// label/value split follow the parameter reader: lines end at a line feed, the label is the text
// before the first "=", the last XDIM and YDIM lines give the window.
bool WithinLimits(std::string_view text) {
  int64_t width = 16, height = 12;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t equals = line.find('=');
    const std::string_view label = line.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
    if (label == "XDIM") width = rt::ValInt(value);
    if (label == "YDIM") height = rt::ValInt(value);
    const bool names_file = label == "TEXTURES" || label == "MAP" || label == "BINDINGS";
    if (names_file && (value.starts_with('/') || value.find("..") != value.npos)) return false;
  }
  // A window that ScreenRes refuses costs nothing.
  const bool refused =
      std::min(width, height) < 1 || std::max(width, height) > platform::kMaxWindowSide;
  return refused || width * height <= kMaxPixels;
}

// What STARTUP_BEGIN does, without its first window and with the view window at 16 x 12: the
// defaults become 16 x 12 (PPL 16, and so HVAL 8), which the input's own lines override as usual.
void StartSmall() {
  CHECKPROCESSOR();
  CAPTURECOMMANDLINE();
  STARTUP_DEFAULTS();
  XDIM = PPL = 16;
  YDIM = 12;
  if (platform::ScreenRes(XDIM, YDIM, 32, 2, 0) != 0) fuzz::Finding("no 16 x 12 window");
  platform::PageSet(1, 0);
}

// The number of TEXTURES lines in `text`.
long TexturesLines(std::string_view text) {
  long count = 0;
  for (size_t at = 0; (at = text.find("TEXTURES=", at)) != std::string_view::npos; ++at) ++count;
  return count;
}

// Keys pressed before each frame: every control the frame loop applies, except quitting.
const char* const kFrameKeys[3][4] = {
    {platform::kRight, platform::kUp, "<", "a"},
    {platform::kLeft, platform::kDown, ">", "Z"},
    {platform::kRight, platform::kRight, ",", "."},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!WithinLimits(text)) return 0;
  const fuzz::InScratchFolder scratch;
  static const bool texture_set = (fuzz::WriteTextureSet(), platform::recording::Disable(), true);
  (void)texture_set;
  fuzz::Reset();
  const long images = platform::LiveImageCount();
  fuzz::WriteFile("params.property", text);
  const int code = fuzz::ExitCodeOf([] {
    StartSmall();
    platform::Randomize(1);
    STARTUP_END();
    double clock = 0;
    for (const auto& keys : kFrameKeys) {
      for (const char* key : keys) platform::PushKey(key);
      platform::KeyDown(keys[0] == std::string(platform::kLeft) ? "Left" : "Up");  // MOTION's
      platform::headless::SetClock(clock += 0.05);
      FRAME();
    }
  });
  fuzz::ExpectExit(code, {-1, 1, 2, 3, 6});
  if (code == -1 && (platform::ScreenWidth() != XDIM || platform::ScreenHeight() != YDIM)) {
    fuzz::Finding("the window is not XDIM x YDIM after start-up");
  }
  if (code == -1 && platform::testing::OpenFileCount() != 0) {
    fuzz::Finding("start-up left files open", platform::testing::OpenFileCount());
  }
  // Each TEXTURES line reads a list of the texture set (three lines at most), or the parameter
  // file itself.
  const long list_lines = std::max<long>(3, static_cast<long>(fuzz::LineCount(text)));
  fuzz::ResetCountingOrphans(images, TexturesLines(text) * list_lines);
  return 0;
}
