// The SDL2 backend: a resizable window, never opened larger than its screen's usable area, that
// shows the visible page letterboxed and scaled by nearest neighbour (in a window or fullscreen)
// or, when the pages follow the window, unscaled; a streaming texture updated on every Flip, and
// window events turned into the key texts of the keyboard buffer. The title shows the frame rate.
// Its own keys never reach the keyboard buffer: F11 and Alt+Enter toggle fullscreen, F12 and
// Print Screen save a screenshot (written on a thread of its own), F10 releases the pointer.
// Interrupt and termination signals end the program from the event pump.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/backend.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/screenshot_writer.h"
#include "platform/sdl_window.h"
#include "platform/signals.h"
#include "platform/title.h"

namespace platform::backend {

namespace {

constexpr double kNoteSeconds = 4.0;  // how long the title shows where a screenshot went
constexpr int kIdleWaitMs = 10;       // longest block for events while a wait keeps finding no key
constexpr int kUnknownRefresh = 60;   // display refresh assumed when the display does not say
// With vsync on, frames are still held at least this share of a refresh apart, in case the
// renderer reports vsync that does not block; the margin covers refresh rates that the display
// rounds to whole hertz, so that the timer never makes a real vsync miss a refresh.
constexpr double kVsyncBackstop = 0.97;

struct Display {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int width = 0;  // size of the texture and of the logical picture
  int height = 0;
  const uint32_t* shown = nullptr;  // the page last presented, until the pages change
  WindowTitle title;                // the window's title and the frame rate it shows
  double frame_interval = 0.0;      // least time between presents; 0 leaves frames unpaced
  double last_present = 0.0;        // Clock() when the previous present began
};

Display display;          // the one window of the program
bool fullscreen = false;  // the window is (or opens) fullscreen
bool vsync = false;       // presents are paced to the display's refresh

void DestroyTexture() {
  if (display.texture != nullptr) SDL_DestroyTexture(display.texture);
  display.texture = nullptr;
}

// Makes the texture and the logical size match a picture of width x height.
bool SizePicture(int width, int height) {
  DestroyTexture();
  display.shown = nullptr;
  display.texture = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, width, height);
  if (display.texture == nullptr) return false;
  SDL_SetTextureBlendMode(display.texture, SDL_BLENDMODE_NONE);
  if (SDL_RenderSetLogicalSize(display.renderer, width, height) != 0) return false;
  display.width = width;
  display.height = height;
  return true;
}

// True when the picture, scaled to the window with its aspect kept, leaves black bars beside or
// above it: only then does the window need clearing before the picture is drawn over it.
bool HasBars() {
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(display.renderer, &width, &height) != 0) return true;
  return int64_t{width} * display.height != int64_t{height} * display.width;
}

// Seconds per refresh of the window's display.
double RefreshPeriod() {
  SDL_DisplayMode mode;
  const int index = SDL_GetWindowDisplayIndex(display.window);
  const bool known =
      index >= 0 && SDL_GetCurrentDisplayMode(index, &mode) == 0 && mode.refresh_rate > 0;
  return 1.0 / (known ? mode.refresh_rate : kUnknownRefresh);
}

// Sets the renderer's vsync and the timer that holds frames apart: a whole refresh where the
// renderer cannot wait for the display, a backstop where it says it does.
void SetPacing() {
  if (display.renderer == nullptr) return;
  SDL_RenderSetVSync(display.renderer, vsync ? 1 : 0);
  SDL_RendererInfo info;
  const bool waits = SDL_GetRendererInfo(display.renderer, &info) == 0 &&
                     (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  display.frame_interval = !vsync ? 0.0 : RefreshPeriod() * (waits ? kVsyncBackstop : 1.0);
}

// Holds the frame back until the least interval since the previous one has passed.
void Pace() {
  if (display.frame_interval <= 0) return;
  double now = Clock();
  const double due = display.last_present + display.frame_interval;
  if (now < due) {
    std::this_thread::sleep_for(std::chrono::duration<double>(due - now));
    now = Clock();
  }
  display.last_present = now;
}

// Leaves SDL only the video drivers that show a window on a display (unless SDL_VIDEODRIVER
// names one): SDL would otherwise fall back to an off-screen driver and run unseen. Wayland is
// tried only where WAYLAND_DISPLAY names a compositor.
void ChooseVideoDrivers() {
  if (SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr) return;
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const std::string name = SDL_GetVideoDriver(i);
    if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
    if (name == "wayland" && std::getenv("WAYLAND_DISPLAY") == nullptr) continue;
    drivers += (drivers.empty() ? "" : ",") + name;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.empty() ? "none" : drivers.c_str());
}

// The one-line hint that goes before the report of a window that cannot open for want of a
// display.
void ReportNoDisplay() {
  const char* x_display = std::getenv("DISPLAY");
  WriteError(
      std::string("No display to open the window on (") + SDL_GetError() +
      (x_display == nullptr ? "; DISPLAY is not set" : "; DISPLAY is " + std::string(x_display)) +
      "): run the viewer in a desktop session, or set SDL_VIDEODRIVER=offscreen to run "
      "it without a window.\n");
}

// Makes a window size fit the usable area (the screen less its panels) of the display the window
// is on, or of the first display before the window opens.
void FitScreen(int& width, int& height) {
  const int index = display.window != nullptr ? SDL_GetWindowDisplayIndex(display.window) : 0;
  SDL_Rect area;
  if (index >= 0 && SDL_GetDisplayUsableBounds(index, &area) == 0) {
    internal::FitInside(width, height, area.w, area.h);
  }
}

bool CreateWindow(int width, int height) {
  signals::Install();
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  ChooseVideoDrivers();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    ReportNoDisplay();
    return false;
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  FitScreen(width, height);
  const Uint32 flags = SDL_WINDOW_RESIZABLE | (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  display.window = SDL_CreateWindow(WindowTitle::kName, SDL_WINDOWPOS_CENTERED,
                                    SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (display.window == nullptr) return false;
  display.renderer = SDL_CreateRenderer(display.window, -1, 0);
  if (display.renderer == nullptr) return false;
  SDL_StartTextInput();
  SetPacing();
  display.title.Start(Clock());
  return true;
}

void ShowTitle() {
  SDL_SetWindowTitle(display.window, display.title.Text(Clock()).c_str());
}

void UpdateTitle() {
  if (display.title.Renew(Clock())) ShowTitle();
}

// Says what became of a screenshot: on the standard output (the error stream when it was not
// saved) and for a few seconds in the title.
void Tell(const screenshot::Outcome& outcome) {
  if (outcome.path.empty()) {
    WriteError("Screenshot not saved: " + outcome.error + "\n");
    display.title.Note("screenshot not saved", Clock() + kNoteSeconds);
  } else {
    std::printf("Screenshot saved to %s\n", outcome.path.c_str());
    std::fflush(stdout);
    display.title.Note("saved " + outcome.path, Clock() + kNoteSeconds);
  }
  if (display.window != nullptr) ShowTitle();  // the note at once, beside the last frame rate
}

// Tells what became of the screenshots written since the last call.
void TellScreenshots() {
  for (const screenshot::Outcome& outcome : screenshot::TakeOutcomes()) Tell(outcome);
}

}  // namespace

namespace sdl {

void ToggleFullscreen() {
  ApplyFullscreen(!fullscreen);
}

void SaveScreenshot() {
  std::string error;
  if (!screenshot::SaveLater(display.shown, display.width, display.height, Desktop().screenshots,
                             error)) {
    Tell(screenshot::Outcome{"", error});
  }
}

}  // namespace sdl

bool OpenWindow(int width, int height) {
  if (display.window == nullptr) {
    if (!CreateWindow(width, height)) {
      CloseWindow();
      return false;
    }
  } else {
    int window_width = width, window_height = height;
    FitScreen(window_width, window_height);
    SDL_SetWindowSize(display.window, window_width, window_height);
  }
  if (!SizePicture(width, height)) {
    CloseWindow();
    return false;
  }
  return true;
}

bool ShownSize(int& width, int& height) {
  if (display.renderer == nullptr ||
      SDL_GetRendererOutputSize(display.renderer, &width, &height) != 0) {
    return false;
  }
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(display.renderer, &info) == 0) {
    internal::FitInside(width, height, info.max_texture_width, info.max_texture_height);
  }
  return true;
}

bool ResizePicture(int width, int height) {
  const int old_width = display.width, old_height = display.height;
  if (SizePicture(width, height)) return true;
  SizePicture(old_width, old_height);
  return false;
}

void CloseWindow() {
  screenshot::FinishWriting();  // no picture is left half written
  TellScreenshots();
  sdl::ReleasePointer();
  sdl::CloseControllers();
  DestroyTexture();
  if (display.renderer != nullptr) SDL_DestroyRenderer(display.renderer);
  if (display.window != nullptr) SDL_DestroyWindow(display.window);
  SDL_Quit();
  display = Display{};
}

void Present(const uint32_t* pixels, int width, int height) {
  if (display.texture == nullptr || width != display.width || height != display.height) return;
  display.shown = pixels;
  SDL_UpdateTexture(display.texture, nullptr, pixels, width * 4);
  if (HasBars()) {
    SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
    SDL_RenderClear(display.renderer);
  }
  SDL_RenderCopy(display.renderer, display.texture, nullptr, nullptr);
  Pace();
  SDL_RenderPresent(display.renderer);
  display.title.CountPresent();
  UpdateTitle();
}

void PumpEvents() {
  if (const int signal_number = signals::Pending()) End(128 + signal_number);
  if (display.window != nullptr) sdl::DispatchEvents();
  TellScreenshots();
}

std::string IdleKey() {
  if (display.window != nullptr) SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
  return std::string();
}

double Clock() {
  using clock = std::chrono::steady_clock;
  static const clock::time_point start = clock::now();
  return std::chrono::duration<double>(clock::now() - start).count();
}

void SleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ApplyFullscreen(bool on) {
  fullscreen = on;
  if (display.window != nullptr) {
    SDL_SetWindowFullscreen(display.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }
}

void ApplyVsync(bool on) {
  vsync = on;
  SetPacing();
}

}  // namespace platform::backend
