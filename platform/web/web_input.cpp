// The browser backend's input: the page's key events (queued by page.js) become key texts and
// held keys with the desktop's names, or act as the page's own keys, the captured pointer's
// motion and buttons are taken from the page, and so are the first game controller's axes.
#include <emscripten.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/web/key_names.h"
#include "platform/web/web.h"

// The page's side, in page.js. (clang-format would take JavaScript's operators for C++'s.)
// clang-format off
// The oldest queued key event as a new UTF-8 text (see mazePage.keyEvent), or null when none
// waits. The caller frees it.
EM_JS(char*, maze_page_take_key, (), {
  var e = mazePage.keys.shift();
  if (!e) return 0;
  var size = lengthBytesUTF8(e) + 1;
  var text = _malloc(size);
  if (text) stringToUTF8(e, text, size);
  return text;
});
// Writes the pointer's motion and buttons to motion[0..2] and starts its counts again.
EM_JS(void, maze_page_take_motion, (int* motion), { mazePage.takeMotion(motion); });
EM_JS(void, maze_page_release_pointer, (), { mazePage.releasePointer(); });
// Writes the first game controller's six axes to axes[0..5] (in platform::Axis order); false,
// writing nothing, while none is connected.
EM_JS(bool, maze_page_take_axes, (double* axes), { return mazePage.takeAxes(axes); });
// clang-format on

namespace platform::backend {

namespace {

namespace keys = ::platform::web;

constexpr int kAlt = 1, kCtrl = 2, kRepeat = 4, kShift = 8;  // the flags of a queued key event

// One queued key event: 'd' or 'u', the flags as the character '0' + flags, KeyboardEvent.code,
// a tab and KeyboardEvent.key; or 'r', every held key let up.
void Dispatch(std::string_view event) {
  if (event == "r") {
    ReleaseKeys();
    return;
  }
  const size_t tab = event.find('\t');
  if (event.size() < 2 || tab == std::string_view::npos) return;
  const int flags = event[1] - '0';
  const std::string_view code = event.substr(2, tab - 2), key = event.substr(tab + 1);
  const bool alt = (flags & kAlt) != 0, ctrl = (flags & kCtrl) != 0;
  const std::string name = keys::HeldKeyName(key, code, (flags & kShift) != 0);
  if (event[0] == 'u') {
    KeyUp(name);
    return;
  }
  // The page's own keys are never held, as the desktop window's own keys are not.
  if (keys::TranslateKey(key, alt, ctrl, false).page == keys::PageKey::kNone) KeyDown(name);
  const keys::KeyPress press = keys::TranslateKey(key, alt, ctrl, (flags & kRepeat) != 0);
  PushKey(press.text);
  switch (press.page) {
    case keys::PageKey::kReleasePointer:
      web::ReleasePointer();
      break;
    case keys::PageKey::kFullscreen:
      web::ToggleFullscreen();
      break;
    case keys::PageKey::kScreenshot:
      web::SaveScreenshot();
      break;
    case keys::PageKey::kNone:
      break;
  }
}

}  // namespace

namespace web {

void ReleasePointer() {
  maze_page_release_pointer();
}

}  // namespace web

void PumpEvents() {
  while (char* event = maze_page_take_key()) {
    if (event[0] != '\0') Dispatch(event);
    std::free(event);
  }
  // The controller's axes as they change; they rest when it goes, as the desktop's do.
  static double last[kAxisCount] = {};
  double axes[kAxisCount] = {};
  maze_page_take_axes(axes);
  for (int axis = 0; axis < kAxisCount; ++axis) {
    if (axes[axis] != last[axis]) SetAxis(axis, axes[axis]);
    last[axis] = axes[axis];
  }
}

bool TakeMotion(int& dx, int& dy, int& buttons) {
  int motion[3];
  maze_page_take_motion(motion);
  dx = motion[0];
  dy = motion[1];
  buttons = motion[2];
  return true;
}

}  // namespace platform::backend
