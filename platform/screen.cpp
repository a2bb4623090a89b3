// The window's two pages in plain memory; the backend shows the visible one.
#include <cstring>
#include <new>
#include <vector>

#include "platform/backend.h"
#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

struct Window {
  int width = 0;
  int height = 0;
  int flags = 0;
  std::vector<uint32_t> pages[2];
  int page_count = 0;
  int work = 0;
  int visible = 0;
  bool open = false;
};

Window window;  // the one window of the program

std::vector<uint32_t>* Page(int index) {
  return index >= 0 && index < window.page_count ? &window.pages[index] : nullptr;
}

}  // namespace

int ScreenRes(int width, int height, int depth, int pages, int flags) {
  if (width < 1 || height < 1 || depth != 32 || pages < 1 || pages > 2) return 1;
  // One rule for every backend, well inside what X11 can show (32767 a side); it also caps a
  // page at 16384 x 16384 pixels.
  if (width > kMaxWindowSide || height > kMaxWindowSide) return 1;
  std::vector<uint32_t> fresh[2];
  try {
    for (int i = 0; i < pages; ++i) fresh[i].assign(static_cast<size_t>(width) * height, 0u);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  if (!backend::OpenWindow(width, height)) return 1;
  for (int i = 0; i < 2; ++i) window.pages[i].swap(fresh[i]);
  window.width = width;
  window.height = height;
  window.flags = flags;
  window.page_count = pages;
  window.work = 0;
  window.visible = 0;
  window.open = true;
  internal::ResetConsole();
  return 0;
}

void PageSet(int work, int visible) {
  if (Page(work) != nullptr) window.work = work;
  if (Page(visible) != nullptr) window.visible = visible;
}

PIXEL* ScreenPtr() {
  if (!window.open) return nullptr;
  return reinterpret_cast<PIXEL*>(window.pages[window.work].data());
}

int ScreenWidth() {
  return window.open ? window.width : 0;
}
int ScreenHeight() {
  return window.open ? window.height : 0;
}

void Flip(int from, int to) {
  internal::NoteFlip();
  if (!window.open) return;
  std::vector<uint32_t>* source = Page(from);
  std::vector<uint32_t>* target = Page(to);
  if (source != nullptr && target != nullptr && source != target) {
    std::memcpy(target->data(), source->data(), source->size() * sizeof(uint32_t));
  }
  backend::Present(window.pages[window.visible].data(), window.width, window.height);
  backend::PumpEvents();
}

void Cls() {
  if (!window.open) return;
  std::vector<uint32_t>& page = window.pages[window.work];
  std::memset(page.data(), 0, page.size() * sizeof(uint32_t));
  internal::ResetConsole();
}

int Screen(int mode) {
  if (mode != 0) return 1;
  backend::CloseWindow();
  window = Window{};
  return 0;
}

namespace internal {

bool WorkSurface(Surface& out) {
  if (!window.open) return false;
  out.pixels = window.pages[window.work].data();
  out.width = window.width;
  out.height = window.height;
  out.pitch = static_cast<size_t>(window.width);
  return true;
}

bool AlphaPrimitives() {
  return window.open && (window.flags & 64) != 0;
}

}  // namespace internal

}  // namespace platform
