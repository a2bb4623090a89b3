// The browser backend: the page's canvas shows the visible page (page.js scales it to the window
// with its aspect kept), and every Present, key wait and pause yields to the browser, so that
// the program's own loops run unchanged in the page. With VSYNC on, a Present waits for the
// browser's next animation frame, so frames follow the display; off, it only lets the browser
// run. The page's title shows what the desktop window's does: a wait's title or the frame rate,
// the engine's note, and for a few seconds the name of a picture offered for download. The
// canvas's element fills the browser window; with RESOLUTION=window the pictures are the size
// that element shows in the display's pixels (ShownSize), so they follow the browser window.
#include <emscripten.h>

#include <string>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/title.h"
#include "platform/web/web.h"

// The page's side, in page.js. (clang-format would take JavaScript's operators for C++'s.)
// clang-format off
EM_JS(void, maze_page_present, (const uint32_t* pixels, int width, int height), {
  mazePage.present(pixels, width, height);
});
EM_ASYNC_JS(void, maze_page_next_frame, (), { await mazePage.nextFrame(); });
EM_JS(void, maze_page_set_title, (const char* title), { document.title = UTF8ToString(title); });
EM_JS(void, maze_page_fullscreen, (bool on), { mazePage.fullscreen(on); });
EM_JS(bool, maze_page_is_fullscreen, (), { return mazePage.isFullscreen(); });
// Writes the canvas element's size in the display's pixels to size[0..1].
EM_JS(void, maze_page_shown_size, (int* size), { mazePage.shownSize(size); });
EM_JS(void, maze_page_save_screenshot, (char* name, int size), {
  stringToUTF8(mazePage.saveScreenshot(), name, size);
});
// clang-format on

namespace platform::backend {

namespace {

constexpr double kNoteSeconds = 4.0;  // how long the title shows a screenshot's name
constexpr int kIdleWaitMs = 10;       // the yield of a wait that keeps finding no key

struct Page {
  bool open = false;
  int width = 0;
  int height = 0;
  const uint32_t* shown = nullptr;  // the page last presented
  WindowTitle title;                // the window's title and the frame rate it shows
};

Page page;                // the canvas
bool fullscreen = false;  // the canvas is (or is asked to be) fullscreen
bool vsync = false;       // presents wait for the browser's animation frames

void ShowTitle() {
  maze_page_set_title(page.title.Text(Clock()).c_str());
}

void UpdateTitle() {
  if (page.title.Renew(Clock())) ShowTitle();
}

}  // namespace

namespace web {

void ToggleFullscreen() {
  ApplyFullscreen(!maze_page_is_fullscreen());
}

void SaveScreenshot() {
  if (page.shown == nullptr) return;
  char name[64] = "";
  maze_page_save_screenshot(name, sizeof name);
  page.title.Note(std::string("saved ") + name, Clock() + kNoteSeconds);
  ShowTitle();  // the note at once, beside the last frame rate
}

}  // namespace web

bool OpenWindow(int width, int height) {
  page = Page{};
  page.open = true;
  page.width = width;
  page.height = height;
  page.title.Start(Clock());
  maze_page_set_title(WindowTitle::kName);
  if (fullscreen) maze_page_fullscreen(true);
  return true;
}

bool ShownSize(int& width, int& height) {
  if (!page.open) return false;
  int size[2];
  maze_page_shown_size(size);
  width = size[0];
  height = size[1];
  return true;
}

bool ResizePicture(int width, int height) {
  if (!page.open) return false;
  page.width = width;
  page.height = height;
  page.shown = nullptr;  // the pages of the old size are gone
  return true;
}

void CloseWindow() {
  web::ReleasePointer();
  page = Page{};
}

void Present(const uint32_t* pixels, int width, int height) {
  if (!page.open || width != page.width || height != page.height) return;
  page.shown = pixels;
  maze_page_present(pixels, width, height);
  if (vsync) {
    maze_page_next_frame();
  } else {
    emscripten_sleep(0);
  }
  page.title.CountPresent();
  UpdateTitle();
}

std::string IdleKey() {
  emscripten_sleep(kIdleWaitMs);
  return std::string();
}

double Clock() {
  return emscripten_get_now() / 1000.0;
}

void SleepMs(int milliseconds) {
  emscripten_sleep(milliseconds > 0 ? static_cast<unsigned>(milliseconds) : 0);
}

void ApplyFullscreen(bool on) {
  fullscreen = on;
  if (page.open) maze_page_fullscreen(on);
}

void ApplyVsync(bool on) {
  vsync = on;
}

}  // namespace platform::backend
