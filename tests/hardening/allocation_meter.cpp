// Replaces every form of the global operator new and delete (kept in a file of its own so that
// no call site inlines them) and wraps SDL's allocator, counting what they are asked for.
#include "tests/hardening/allocation_meter.h"

#include <SDL.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>

namespace allocmeter {

namespace {

size_t bytes = 0;                                     // requested since Start
size_t largest = 0;                                   // the largest request since Start
int64_t held = 0;                                     // usable bytes of the live blocks
int64_t held_at_start = 0;                            // `held` when Start ran
int64_t peak = 0;                                     // the most held since Start
int64_t limit = std::numeric_limits<int64_t>::max();  // the most that may be held past Start
SDL_malloc_func sdl_malloc = nullptr;
SDL_calloc_func sdl_calloc = nullptr;
SDL_realloc_func sdl_realloc = nullptr;
SDL_free_func sdl_free = nullptr;

void Note(size_t size) {
  bytes += size;
  if (size > largest) largest = size;
}

// Counts a new block p (null when the host gave none) and returns it.
void* Hold(void* p) {
  if (p != nullptr) {
    held += static_cast<int64_t>(malloc_usable_size(p));
    if (held - held_at_start > peak) peak = held - held_at_start;
  }
  return p;
}

void Release(void* p) {
  if (p != nullptr) held -= static_cast<int64_t>(malloc_usable_size(p));
}

// False when a request of size bytes would pass the limit.
bool Allowed(size_t size) {
  return size <= static_cast<uint64_t>(limit) && held - held_at_start <= limit - int64_t(size);
}

void* Allocate(size_t size, size_t alignment) noexcept {
  Note(size);
  if (!Allowed(size)) return nullptr;
  if (alignment <= alignof(std::max_align_t)) return Hold(std::malloc(size == 0 ? 1 : size));
  return Hold(std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment));
}

// What the standard library's operator new does: while memory is refused, the new handler runs
// (it may free some, throw or end the program), and without one std::bad_alloc is thrown.
void* AllocateOrThrow(size_t size, size_t alignment) {
  for (;;) {
    if (void* p = Allocate(size, alignment)) return p;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* AllocateOrNull(size_t size, size_t alignment) noexcept {
  try {
    return AllocateOrThrow(size, alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void Free(void* p) {
  Release(p);
  std::free(p);
}

void* SdlMalloc(size_t size) {
  Note(size);
  return Allowed(size) ? Hold(sdl_malloc(size)) : nullptr;
}
void* SdlCalloc(size_t count, size_t size) {
  Note(count * size);
  return Allowed(count * size) ? Hold(sdl_calloc(count, size)) : nullptr;
}
void* SdlRealloc(void* p, size_t size) {
  Note(size);
  if (!Allowed(size)) return nullptr;
  const int64_t before = p != nullptr ? static_cast<int64_t>(malloc_usable_size(p)) : 0;
  void* moved = sdl_realloc(p, size);
  if (moved != nullptr) {
    held -= before;
    Hold(moved);
  }
  return moved;
}
void SdlFree(void* p) {
  Release(p);
  sdl_free(p);
}

}  // namespace

void Start() {
  if (sdl_malloc == nullptr) {
    SDL_GetMemoryFunctions(&sdl_malloc, &sdl_calloc, &sdl_realloc, &sdl_free);
    SDL_SetMemoryFunctions(SdlMalloc, SdlCalloc, SdlRealloc, SdlFree);
  }
  bytes = largest = 0;
  held_at_start = held;
  peak = 0;
  limit = std::numeric_limits<int64_t>::max();
}

void Limit(size_t most) {
  limit = static_cast<int64_t>(most);
}

size_t Peak() {
  return static_cast<size_t>(peak);
}

size_t Bytes() {
  return bytes;
}

size_t Largest() {
  return largest;
}

}  // namespace allocmeter

using allocmeter::AllocateOrNull;
using allocmeter::AllocateOrThrow;
using allocmeter::Free;
constexpr size_t kPlain = alignof(std::max_align_t);

void* operator new(size_t size) {
  return AllocateOrThrow(size, kPlain);
}
void* operator new[](size_t size) {
  return AllocateOrThrow(size, kPlain);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, kPlain);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, kPlain);
}
void* operator new(size_t size, std::align_val_t a) {
  return AllocateOrThrow(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a) {
  return AllocateOrThrow(size, static_cast<size_t>(a));
}
void* operator new(size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, static_cast<size_t>(a));
}
void operator delete(void* p) noexcept {
  Free(p);
}
void operator delete[](void* p) noexcept {
  Free(p);
}
void operator delete(void* p, size_t) noexcept {
  Free(p);
}
void operator delete[](void* p, size_t) noexcept {
  Free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  Free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  Free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
  Free(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
  Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  Free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  Free(p);
}
