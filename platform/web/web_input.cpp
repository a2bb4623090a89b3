// The browser backend's input: the page's key events (queued by page.js) become key texts or act
// as the page's own keys, and the captured pointer's motion and buttons are taken from the page.
#include <emscripten.h>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/web/key_names.h"
#include "platform/web/web.h"

// The page's side, in page.js. (clang-format would take JavaScript's operators for C++'s.)
// clang-format off
// The oldest queued key event as a new UTF-8 text (the flags digit, then the key's name), or
// null when none waits. The caller frees it.
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
// clang-format on

namespace platform::backend {

namespace {

namespace keys = ::platform::web;

constexpr int kAlt = 1, kCtrl = 2, kRepeat = 4;  // the flags digit of a queued key event

void Dispatch(const std::string& event) {
  const int flags = event[0] - '0';
  const keys::KeyPress press =
      keys::TranslateKey(std::string_view(event).substr(1), (flags & kAlt) != 0,
                         (flags & kCtrl) != 0, (flags & kRepeat) != 0);
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
