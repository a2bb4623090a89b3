// The headless backend: no window, a virtual clock, and automatic answers for key waits. It has
// no pointer (except while it replays a session) and ignores the desktop settings.
#include <fstream>
#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/recording.h"

namespace platform {

namespace {

double clock_seconds = 0.0;        // the virtual clock; Sleep advances it
std::string auto_answer = kEnter;  // the key that answers a wait; empty for none
long auto_answers = 0;             // automatic answers given
long presents = 0;                 // Present calls
bool window_open = false;          // OpenWindow succeeded and CloseWindow has not run since
bool fail_windows = false;         // OpenWindow and ResizePicture fail while set
int shown_width = 0;   // the picture the window shows unscaled: the size last opened, or
int shown_height = 0;  // the size ResizeWindow gave it since

// A session being replayed.
struct Replay {
  std::string path;
  std::ifstream file;
  std::unique_ptr<recording::Reader> reader;
  recording::Event next;            // the event read ahead
  bool has_next = false;            // `next` holds an event not yet handed out
  int dx = 0, dy = 0, buttons = 0;  // the frame's pointer counts
};
std::unique_ptr<Replay> replay;  // null unless a session plays

// Reads the replay's next event ahead; a refused line ends the program.
void ReadAhead() {
  std::string error;
  replay->has_next = replay->reader->Next(replay->next, error);
  if (!error.empty()) {
    WriteError(replay->path + ": " + error + "\n");
    End(65);
  }
}

void Apply(const recording::Event& event) {
  switch (event.kind) {
    case recording::Event::kDown:
      KeyDown(event.key);
      break;
    case recording::Event::kUp:
      KeyUp(event.key);
      break;
    case recording::Event::kType:
      PushKey(event.key);
      break;
    case recording::Event::kMouse:
      replay->dx += event.dx;
      replay->dy += event.dy;
      replay->buttons = event.buttons;
      break;
    case recording::Event::kAxis:
      SetAxis(event.axis, event.value);
      break;
    default:
      break;
  }
}

// Hands out the events of the replay's next frame and its duration.
void HandOutFrame() {
  replay->buttons = 0;
  double seconds = 0;
  for (; replay->has_next; ReadAhead()) {
    if (replay->next.kind == recording::Event::kFrame) {
      seconds = replay->next.value;
      ReadAhead();
      break;
    }
    Apply(replay->next);
  }
  internal::GiveFrameSeconds(seconds);
  clock_seconds += seconds;
}

}  // namespace

namespace backend {

bool OpenWindow(int width, int height) {
  if (fail_windows) return false;
  window_open = true;
  shown_width = width;
  shown_height = height;
  return true;
}
bool ShownSize(int& width, int& height) {
  width = shown_width;
  height = shown_height;
  return window_open;
}
bool ResizePicture(int, int) {
  return !fail_windows;
}
void CloseWindow() {
  window_open = false;
}
void Present(const uint32_t*, int, int) {
  ++presents;
  if (headless::Playing()) HandOutFrame();
}
void PumpEvents() {}
std::string IdleKey() {
  if (!auto_answer.empty()) ++auto_answers;
  return auto_answer;
}
double Clock() {
  return clock_seconds;
}
void SleepMs(int milliseconds) {
  if (milliseconds > 0) clock_seconds += milliseconds / 1000.0;
}
void ApplyFullscreen(bool) {}
void ApplyVsync(bool) {}
bool TakeMotion(int& dx, int& dy, int& buttons) {
  if (replay == nullptr) return false;
  dx = replay->dx;
  dy = replay->dy;
  buttons = replay->buttons;
  replay->dx = replay->dy = 0;
  return true;
}

}  // namespace backend

namespace headless {

void SetClock(double seconds) {
  clock_seconds = seconds;
}
double GetClock() {
  return clock_seconds;
}
void SetAutoAnswer(std::string key) {
  auto_answer = std::move(key);
}
long AutoAnswerCount() {
  return auto_answers;
}
long PresentCount() {
  return presents;
}
bool WindowOpen() {
  return window_open;
}
void SetWindowFailure(bool fail) {
  fail_windows = fail;
}
void ResizeWindow(int width, int height) {
  shown_width = width;
  shown_height = height;
}

bool Play(const std::string& path) {
  replay = std::make_unique<Replay>();
  replay->path = path;
  replay->file.open(path, std::ios::binary);
  if (!replay->file) {
    replay.reset();
    return false;
  }
  replay->reader = std::make_unique<recording::Reader>(replay->file);
  ReadAhead();
  return true;
}

bool Playing() {
  return replay != nullptr && replay->has_next;
}

void StopPlaying() {
  replay.reset();
}

}  // namespace headless

}  // namespace platform
