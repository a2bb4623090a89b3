// The headless backend: no window, a virtual clock, and automatic answers for key waits. It has
// no pointer and ignores the desktop settings.
#include <string>

#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/platform.h"

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
bool TakeMotion(int&, int&, int&) {
  return false;
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

}  // namespace headless

}  // namespace platform
