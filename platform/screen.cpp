// The window's two pages in plain memory; the backend shows the visible one.
//
// Showing and clearing are lazy where nobody can tell: a Flip from the work page onto the visible
// page exchanges the two pages, and the work page then owes a copy of the visible one; Cls
// leaves the work page owing zeros. A page pays what it owes before anyone reads or draws on a
// page (ScreenPtr, the drawing primitives, the console, Flip), so every reader sees what an eager
// copy and fill would have left; a frame that paints every pixel skips the debt.
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/backend.h"
#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Allocates page memory on cache-line boundaries, so that a renderer writing runs of 64 bytes
// fills whole lines. Pages of 2 MiB or more are laid on huge-page boundaries and the kernel is
// asked to back them with huge pages: a renderer that writes one run to each of thousands of rows
// then stays within a few TLB entries instead of missing on every row.
template <class T>
struct PageAllocator {
  using value_type = T;
  static constexpr size_t kLine = 64, kHuge = size_t{2} << 20;
  PageAllocator() = default;
  template <class U>
  PageAllocator(const PageAllocator<U>&) {}
  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kHuge) return static_cast<T*>(::operator new (bytes, std::align_val_t{kLine}));
    const size_t whole = (bytes + kHuge - 1) / kHuge * kHuge;
    void* memory = ::operator new (whole, std::align_val_t{kHuge});
    madvise(memory, whole, MADV_HUGEPAGE);  // advice only: ordinary pages serve as well
    return static_cast<T*>(memory);
  }
  void deallocate(T* p, size_t n) {
    ::operator delete (p, std::align_val_t{n * sizeof(T) < kHuge ? kLine : kHuge});
  }
  bool operator==(const PageAllocator&) const = default;
};

// One page's pixels.
using PageBuffer = std::vector<uint32_t, PageAllocator<uint32_t>>;

// What a page owes: the content it stands for but does not hold yet.
enum class Owed { kNothing, kCopyOfOther, kZeros };

struct Window {
  int width = 0;
  int height = 0;
  int flags = 0;
  PageBuffer pages[2];
  int page_count = 0;
  int work = 0;
  int visible = 0;
  bool open = false;
  Owed owed = Owed::kNothing;  // at most one page owes; the other holds its content
  int owing = 0;               // the page that owes, when owed is not kNothing
};

Window window;  // the one window of the program

PageBuffer* Page(int index) {
  return index >= 0 && index < window.page_count ? &window.pages[index] : nullptr;
}

// Makes the owing page hold what it stands for.
void Settle() {
  PageBuffer& page = window.pages[window.owing];
  if (window.owed == Owed::kCopyOfOther) {
    const PageBuffer& other = window.pages[1 - window.owing];
    std::memcpy(page.data(), other.data(), page.size() * sizeof(uint32_t));
  } else if (window.owed == Owed::kZeros) {
    std::memset(page.data(), 0, page.size() * sizeof(uint32_t));
  }
  window.owed = Owed::kNothing;
}

// Fills `fresh` with `pages` cleared pages of width x height; false when memory runs out.
bool Allocate(PageBuffer (&fresh)[2], int pages, int width, int height) {
  try {
    for (int i = 0; i < pages; ++i) fresh[i].assign(static_cast<size_t>(width) * height, 0u);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Reopens the open window's pages at width x height, cleared, with the same page count and
// choice; the pages stay as they were when they cannot be allocated or shown.
void ReopenPages(int width, int height) {
  PageBuffer fresh[2];
  if (!Allocate(fresh, window.page_count, width, height)) return;
  if (!backend::ResizePicture(width, height)) return;
  for (int i = 0; i < 2; ++i) window.pages[i].swap(fresh[i]);
  window.width = width;
  window.height = height;
  window.owed = Owed::kNothing;
  internal::ResetConsole();
}

}  // namespace

int ScreenRes(int width, int height, int depth, int pages, int flags) {
  if (width < 1 || height < 1 || depth != 32 || pages < 1 || pages > 2) return 1;
  // One rule for every backend, well inside what X11 can show (32767 a side); it also caps a
  // page at 16384 x 16384 pixels.
  if (width > kMaxWindowSide || height > kMaxWindowSide) return 1;
  PageBuffer fresh[2];
  if (!Allocate(fresh, pages, width, height)) return 1;
  if (!backend::OpenWindow(width, height)) return 1;
  for (int i = 0; i < 2; ++i) window.pages[i].swap(fresh[i]);
  window.width = width;
  window.height = height;
  window.flags = flags;
  window.page_count = pages;
  window.work = 0;
  window.visible = 0;
  window.open = true;
  window.owed = Owed::kNothing;
  internal::ResetConsole();
  return 0;
}

void PageSet(int work, int visible) {
  if (Page(work) != nullptr) window.work = work;
  if (Page(visible) != nullptr) window.visible = visible;
}

PIXEL* ScreenPtr() {
  if (!window.open) return nullptr;
  Settle();
  return reinterpret_cast<PIXEL*>(window.pages[window.work].data());
}

PIXEL* ScreenPtrToOverwrite(bool& cleared) {
  cleared = window.owed == Owed::kZeros && window.owing == window.work;
  if (cleared) window.owed = Owed::kNothing;
  return ScreenPtr();
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
  Settle();
  PageBuffer* source = Page(from);
  PageBuffer* target = Page(to);
  if (source != nullptr && target != nullptr && source != target) {
    if (from == window.work && to == window.visible) {
      source->swap(*target);
      window.owed = Owed::kCopyOfOther;
      window.owing = from;
    } else {
      std::memcpy(target->data(), source->data(), source->size() * sizeof(uint32_t));
    }
  }
  backend::Present(window.pages[window.visible].data(), window.width, window.height);
  backend::PumpEvents();
}

void Flip() {
  Flip(window.work, window.visible);
}

void Cls() {
  if (!window.open) return;
  if (window.owed != Owed::kNothing && window.owing != window.work) Settle();
  window.owed = Owed::kZeros;
  window.owing = window.work;
  internal::ResetConsole();
}

int Screen(int mode) {
  if (mode != 0) return 1;
  backend::CloseWindow();
  window = Window{};
  return 0;
}

bool FitPagesToWindow() {
  if (!Desktop().native_resolution || !window.open) return false;
  int width = 0, height = 0;
  if (!backend::ShownSize(width, height) || width < 1 || height < 1) return true;
  internal::FitInside(width, height, kMaxWindowSide, kMaxWindowSide);
  if (width != window.width || height != window.height) ReopenPages(width, height);
  return true;
}

namespace internal {

void FitInside(int& width, int& height, int limit_width, int limit_height) {
  if (limit_width < 1 || limit_height < 1 || (width <= limit_width && height <= limit_height)) {
    return;
  }
  const int64_t w = width, h = height;
  if (w * limit_height >= h * limit_width) {  // the width binds
    width = limit_width;
    height = static_cast<int>(std::max<int64_t>(1, h * limit_width / w));
  } else {
    height = limit_height;
    width = static_cast<int>(std::max<int64_t>(1, w * limit_height / h));
  }
}

bool WorkSurface(Surface& out) {
  if (!window.open) return false;
  Settle();
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
