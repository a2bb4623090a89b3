// The desktop window's settings, the captured pointer's scaled counts and showing the work page.
#include <cmath>
#include <string>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/recording.h"
#include "platform/runtime.h"

namespace platform {

namespace {

DesktopSettings settings;         // as the parameter file's desktop keys left them
double carry_x = 0, carry_y = 0;  // fractions of a count not yet handed out by TakeMouse

// The whole counts of `motion` scaled, the fraction kept in `carry` for the next call.
int32_t Scaled(int motion, double& carry) {
  const double counts = motion * settings.mouse_scale + carry;
  const int32_t whole = rt::TruncInt(counts);
  carry = std::isfinite(counts) ? counts - whole : 0.0;
  return whole;
}

}  // namespace

const DesktopSettings& Desktop() {
  return settings;
}

void SetFullscreen(bool on) {
  settings.fullscreen = on;
  backend::ApplyFullscreen(on);
}

void SetVsync(bool on) {
  settings.vsync = on;
  backend::ApplyVsync(on);
}

void SetMouseScale(double scale) {
  settings.mouse_scale = scale;
  carry_x = carry_y = 0;
}

void SetScreenshotFolder(const std::string& folder) {
  settings.screenshots = folder;
}

void SetWaitTitle(const std::string& text) {
  settings.wait_title = text;
}

void SetNativeResolution(bool on) {
  settings.native_resolution = on;
}

void SetTitleNote(const std::string& note) {
  settings.title_note = note;
}

bool TakeMouse(int32_t& horizontal, int32_t& vertical, int32_t& buttons) {
  int dx = 0, dy = 0, pressed = 0;
  if (!backend::TakeMotion(dx, dy, pressed)) return false;
  recording::Event event;
  event.kind = recording::Event::kMouse;
  event.dx = dx;
  event.dy = dy;
  event.buttons = pressed;
  recording::Note(event);
  horizontal = Scaled(dx, carry_x);
  vertical = Scaled(dy, carry_y);
  buttons = pressed;
  return true;
}

void ShowWorkPage() {
  if (PIXEL* page = ScreenPtr()) {
    backend::Present(reinterpret_cast<const uint32_t*>(page), ScreenWidth(), ScreenHeight());
  }
}

}  // namespace platform
