// Runs the viewer headless on a data folder and writes what its last frame showed.
//
//   maze-snapshot [--dir DIR] [--seed N] [--pose X,Y,Z,ANG] [--keys K1,K2,...] [--frames N]
//                 [--size WxH] [--play FILE] [--raw FILE] [--bmp FILE] [--board FILE]
//                 [--state FILE] [--map-out FILE]
//
// Start-up runs in DIR with every texture confirmation answered automatically and the random
// generator seeded with N (default 1); --size then draws at the window's own resolution, the
// window showing W x H pixels, and --pose places the viewer. The keys (left, right, up, down, esc,
// comma, tab, close for the window's close button, or any single character) wait in the keyboard
// buffer when the first frame's controls run. --play replays a recorded session (or a script in
// its format) instead of --frames: one frame per frame of the session, its seed replacing --seed,
// so that the last frame is the one the window showed. It never records: a RECORD line of the
// world is ignored, so that a replay leaves the session alone. The outputs describe the last frame
// drawn, before its page was cleared: --raw the work page's bytes (B, G, R, X per pixel, rows top
// to bottom), --bmp the same as a 32-bit BMP, --board the board records as label=value lines
// joined by CR LF, --state the parameters and the viewer's pose, --map-out the board as a map file
// that loads back into the same board and start. Output names are taken from the working
// directory the program was started in, and each output is written whole under a temporary name
// and then renamed, so a full disk leaves an existing output as it was. A runtime error ends it
// like the viewer, with the same report and code.
//
// Exit codes: 0 after the last frame or a quit key; 64 for bad arguments (with the usage); 65 when
// a session line is no event or the board cannot be written as a map; 66 when DIR or the session
// cannot be read; 71 when the pages of --size do not fit in memory; 74 when an output cannot be
// written; otherwise the viewer's runtime-error number.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "platform/headless.h"
#include "platform/recording.h"
#include "tools/bmp-writer.h"
#include "tools/cli.h"
#include "tools/safe_file.h"

namespace {

struct Options {
  std::string dir;
  double seed = 1;
  std::optional<std::vector<double>> pose;
  std::vector<std::string> keys;
  long frames = 1;
  int width = 0, height = 0;  // --size; 0 keeps the world's own picture size
  std::string raw, bmp, board, state, map_out;
  std::string play;
};

// The last frame: the work page's pixels and size, captured before its Cls.
struct Capture {
  std::vector<platform::PIXEL> pixels;
  int width = 0, height = 0;
};

Options options;  // the parsed command line
Capture capture;  // the last frame drawn

constexpr char kUsage[] =
    "usage: maze-snapshot [--dir DIR] [--seed N] [--pose X,Y,Z,ANG] [--keys K1,K2,...]\n"
    "                     [--frames N] [--size WxH] [--play FILE] [--raw FILE] [--bmp FILE]\n"
    "                     [--board FILE] [--state FILE] [--map-out FILE]\n"
    "Runs the maze viewer headless in DIR and writes what its last frame showed.\n"
    "  --dir DIR        the world's folder (default: the working directory)\n"
    "  --seed N         seed of the random generator (default 1)\n"
    "  --pose X,Y,Z,ANG places the viewer after start-up\n"
    "  --keys K1,...    keys for the first frame: left, right, up, down, esc, comma, tab, close\n"
    "                   (the window's close button) or any single character\n"
    "  --frames N       frames to run, 1 to 1000000 (default 1)\n"
    "  --size WxH       draws at the window's own resolution, W x H pixels, each 1 to 16384\n"
    "  --play FILE      replays a recorded session or script instead of --frames\n"
    "  --raw FILE       the last frame's page as raw B, G, R, X bytes\n"
    "  --bmp FILE       the last frame's page as a BMP\n"
    "  --board FILE     the board as label=value lines joined by CR LF\n"
    "  --state FILE     the parameters and the viewer's pose\n"
    "  --map-out FILE   the board, start and goal as a map file (MAP=FILE loads it)\n"
    "  --help, --version\n"
    "Output names are taken from the working directory maze-snapshot was started in.\n"
    "Exit codes: 0 done; 64 bad arguments; 65 a session line that is no event, or a board that\n"
    "cannot be written as a map; 66 DIR or the session cannot be read; 71 out of memory for the\n"
    "pages of --size; 74 an output cannot be written; otherwise the viewer's runtime-error\n"
    "number, with its report.\n";

[[noreturn]] void Usage(const std::string& problem) {
  cli::Refuse("maze-snapshot", kUsage, problem, 64);
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    parts.push_back(text.substr(start, comma - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// A finite number; anything else (no number, trailing bytes, NaN, an infinity or a value past
// the double range) is refused with the usage.
double ParseNumber(const std::string& text, const char* what) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value))
    Usage(std::string("bad ") + what + ": " + text);
  return value;
}

// A whole number from 1 to kMaxFrames, checked before it becomes an integer.
long ParseFrames(const std::string& text) {
  constexpr double kMaxFrames = 1000000;
  const double value = ParseNumber(text, "frame count");
  if (!(value >= 1 && value <= kMaxFrames) || value != std::floor(value))
    Usage("--frames must be a whole number from 1 to 1000000");
  return static_cast<long>(value);
}

std::string KeyText(const std::string& name) {
  if (name == "left") return platform::kLeft;
  if (name == "right") return platform::kRight;
  if (name == "up") return platform::kUp;
  if (name == "down") return platform::kDown;
  if (name == "esc") return platform::kEscape;
  if (name == "comma") return ",";
  if (name == "tab") return "\t";
  if (name == "close") return platform::kClose;
  if (name.size() == 1) return name;
  Usage("unknown key: " + name);
}

// W x H of --size: two whole numbers 1 to kMaxWindowSide joined by an x.
void ParseSize(const std::string& text, Options& parsed) {
  const size_t x = text.find('x');
  auto side = [&](const std::string& digits) {
    const bool whole = !digits.empty() && digits.size() <= 5 &&
                       digits.find_first_not_of("0123456789") == std::string::npos;
    const int value = whole ? std::atoi(digits.c_str()) : 0;
    if (value < 1 || value > platform::kMaxWindowSide) {
      Usage("--size needs WxH, each side 1 to " + std::to_string(platform::kMaxWindowSide) + ": " +
            text);
    }
    return value;
  };
  parsed.width = side(x == std::string::npos ? "" : text.substr(0, x));
  parsed.height = side(x == std::string::npos ? "" : text.substr(x + 1));
}

Options Parse(int argc, char** argv) {
  Options parsed;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) Usage("missing value after " + flag);
    const std::string value = argv[++i];
    if (flag == "--dir") {
      parsed.dir = value;
    } else if (flag == "--seed") {
      parsed.seed = ParseNumber(value, "seed");
    } else if (flag == "--pose") {
      std::vector<double> pose;
      for (const std::string& part : SplitCommas(value)) pose.push_back(ParseNumber(part, "pose"));
      if (pose.size() != 4) Usage("--pose needs X,Y,Z,ANG");
      parsed.pose = pose;
    } else if (flag == "--keys") {
      for (const std::string& name : SplitCommas(value)) parsed.keys.push_back(KeyText(name));
    } else if (flag == "--frames") {
      parsed.frames = ParseFrames(value);
    } else if (flag == "--size") {
      ParseSize(value, parsed);
    } else if (flag == "--play") {
      parsed.play = value;
    } else if (flag == "--raw") {
      parsed.raw = value;
    } else if (flag == "--bmp") {
      parsed.bmp = value;
    } else if (flag == "--board") {
      parsed.board = value;
    } else if (flag == "--state") {
      parsed.state = value;
    } else if (flag == "--map-out") {
      parsed.map_out = value;
    } else {
      Usage("unknown option " + flag);
    }
  }
  return parsed;
}

// Replaces the output `path` as a whole (an existing one keeps its permission bits); a failure
// names the file and the cause and ends the program with exit code 74.
void WriteFile(const std::string& path, const void* data, size_t size) {
  struct stat old;
  const mode_t mode =
      ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : safe_file::NewFileMode();
  const int error =
      safe_file::Replace(path, std::string_view(static_cast<const char*>(data), size), mode);
  if (error != 0) {
    std::fprintf(stderr, "maze-snapshot: cannot write %s: %s\n", path.c_str(),
                 std::strerror(error));
    std::exit(74);
  }
}

// Makes the output names absolute against the working directory the program started in, before
// --dir changes it.
void AnchorOutputs(Options& parsed) {
  for (std::string* path :
       {&parsed.raw, &parsed.bmp, &parsed.board, &parsed.state, &parsed.map_out}) {
    if (path->empty()) continue;
    std::error_code failure;
    const std::filesystem::path absolute = std::filesystem::absolute(*path, failure);
    if (failure) {
      std::fprintf(stderr, "maze-snapshot: cannot place %s: %s\n", path->c_str(),
                   failure.message().c_str());
      std::exit(74);
    }
    *path = absolute.string();
  }
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, text.data(), text.size());
}

// The captured page as a top-down 32-bit BMP whose fourth byte viewers ignore.
std::string EncodeBmp() {
  return bmpwriter::Encode(
      capture.width, capture.height, bmpwriter::Format::kXrgb32, true,
      [](int x, int y) { return capture.pixels[static_cast<size_t>(y) * capture.width + x].U; });
}

std::string BoardText() {
  std::string text;
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
    if (i > 0) text += "\r\n";
    text += BOARDDB[i].LABEL + "=" + BOARDDB[i].VALUE;
  }
  return text;
}

std::string StateText() {
  std::string text;
  auto integer = [&](const char* label, int32_t v) {
    text += std::string(label) + "=" + std::to_string(v) + "\n";
  };
  auto real = [&](const char* label, double v) {
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.17g", v);
    text += std::string(label) + "=" + digits + "\n";
  };
  integer("XDIM", XDIM);
  integer("YDIM", YDIM);
  integer("HVAL", HVAL);
  integer("PPL", PPL);
  real("GAMMA", GAMMA);
  real("TURNRATE", TURNRATE);
  real("FWMOVERATE", FWMOVERATE);
  real("REVMOVERATE", REVMOVERATE);
  real("POSX", POSX);
  real("POSY", POSY);
  real("POSZ", POSZ);
  real("ANG", ANG);
  return text;
}

// The board as a map file; a board that no map file can hold ends the tool with exit code 65.
void WriteMap() {
  std::string text, problem;
  if (!MAPTEXT(text, problem)) {
    std::fprintf(stderr, "maze-snapshot: cannot write the board as a map: %s\n", problem.c_str());
    std::exit(65);
  }
  WriteText(options.map_out, text);
}

void WriteOutputs() {
  if (!options.raw.empty()) {
    WriteFile(options.raw, capture.pixels.data(), capture.pixels.size() * 4);
  }
  if (!options.bmp.empty()) WriteText(options.bmp, EncodeBmp());
  if (!options.board.empty()) WriteText(options.board, BoardText());
  if (!options.state.empty()) WriteText(options.state, StateText());
  if (!options.map_out.empty()) WriteMap();
}

// Program end from the frame loop (the quit key): the outputs are written first. A runtime
// error during start-up ends before any frame, so it writes nothing.
[[noreturn]] void EndAfterOutputs(int code) {
  if (!capture.pixels.empty()) WriteOutputs();
  std::exit(code);
}

// Ends the program with exit code 71 and the problem on the standard error stream.
[[noreturn]] void NoMemory(const char* what) {
  std::fprintf(stderr, "maze-snapshot: not enough memory for %s\n", what);
  std::exit(71);
}

void CaptureWorkPage() {
  capture.width = platform::ScreenWidth();
  capture.height = platform::ScreenHeight();
  const platform::PIXEL* page = platform::ScreenPtr();
  try {
    capture.pixels.assign(page, page + static_cast<size_t>(capture.width) * capture.height);
  } catch (const std::bad_alloc&) {
    NoMemory("the copy of the frame");
  }
}

// --size: the pages follow a window that shows W x H pixels, as the desktop viewer's do with
// RESOLUTION=window.
void UseWindowSize() {
  platform::SetNativeResolution(true);
  platform::headless::ResizeWindow(options.width, options.height);
  FOLLOWPAGE();
  if (XDIM != options.width || YDIM != options.height) NoMemory("the pages");
}

// Reads the whole session FILE before anything runs, so that a refused line ends the tool at
// once (exit code 65, with the file and line); its seed line, if any, replaces --seed.
void CheckSession(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "maze-snapshot: cannot read %s\n", path.c_str());
    std::exit(66);
  }
  platform::recording::Reader reader(in);
  platform::recording::Event event;
  std::string error;
  while (reader.Next(event, error)) {
    if (event.kind == platform::recording::Event::kSeed) options.seed = event.value;
  }
  if (!error.empty()) {
    std::fprintf(stderr, "maze-snapshot: %s: %s\n", path.c_str(), error.c_str());
    std::exit(65);
  }
}

// The frames: the session's with --play, else --frames of them.
void RunFrames() {
  if (!options.play.empty() && !platform::headless::Play(options.play)) {
    std::fprintf(stderr, "maze-snapshot: cannot read %s\n", options.play.c_str());
    std::exit(66);
  }
  for (long frame = 0;
       options.play.empty() ? frame < options.frames : frame == 0 || platform::headless::Playing();
       ++frame) {
    RAYTRACE();
    DRAWMINIMAP();
    CaptureWorkPage();
    FINISHFRAME();
  }
}

}  // namespace

int main(int argc, char** argv) {
  cli::AnswerHelpAndVersion(argc, argv, "maze-snapshot", kUsage);
  options = Parse(argc, argv);
  AnchorOutputs(options);
  if (!options.play.empty()) {
    options.play = std::filesystem::absolute(options.play).string();  // --dir changes folder
    CheckSession(options.play);
  }
  if (!options.dir.empty() && platform::ChDir(options.dir) != 0) {
    std::fprintf(stderr, "maze-snapshot: cannot enter %s\n", options.dir.c_str());
    return 66;
  }
  platform::SetCommandLine(argc, argv);
  platform::SetEndHook(EndAfterOutputs);
  platform::recording::Disable();
  platform::headless::SetAutoAnswer(" ");
  STARTUP_BEGIN();
  platform::Randomize(options.seed);
  STARTUP_END();
  if (options.width > 0) UseWindowSize();
  if (options.pose) {
    POSX = (*options.pose)[0];
    POSY = (*options.pose)[1];
    POSZ = (*options.pose)[2];
    ANG = (*options.pose)[3];
  }
  for (const std::string& key : options.keys) platform::PushKey(key);
  RunFrames();
  WriteOutputs();
  return 0;
}
