// Replaces every form of the global operator new and delete (kept in a file of its own so that
// no call site inlines them) and wraps SDL's allocator, counting what they are asked for.
#include "tests/hardening/allocation_meter.h"

#include <SDL.h>

#include <cstdlib>
#include <new>

namespace allocmeter {

namespace {

size_t bytes = 0;    // requested since Start
size_t largest = 0;  // the largest request since Start
SDL_malloc_func sdl_malloc = nullptr;
SDL_calloc_func sdl_calloc = nullptr;
SDL_realloc_func sdl_realloc = nullptr;
SDL_free_func sdl_free = nullptr;

void Note(size_t size) {
  bytes += size;
  if (size > largest) largest = size;
}

void* Allocate(size_t size, size_t alignment) noexcept {
  Note(size);
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size == 0 ? 1 : size);
  return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* AllocateOrThrow(size_t size, size_t alignment) {
  if (void* p = Allocate(size, alignment)) return p;
  throw std::bad_alloc();
}

void* SdlMalloc(size_t size) {
  Note(size);
  return sdl_malloc(size);
}
void* SdlCalloc(size_t count, size_t size) {
  Note(count * size);
  return sdl_calloc(count, size);
}
void* SdlRealloc(void* p, size_t size) {
  Note(size);
  return sdl_realloc(p, size);
}
void SdlFree(void* p) {
  sdl_free(p);
}

}  // namespace

void Start() {
  if (sdl_malloc == nullptr) {
    SDL_GetMemoryFunctions(&sdl_malloc, &sdl_calloc, &sdl_realloc, &sdl_free);
    SDL_SetMemoryFunctions(SdlMalloc, SdlCalloc, SdlRealloc, SdlFree);
  }
  bytes = largest = 0;
}

size_t Bytes() {
  return bytes;
}

size_t Largest() {
  return largest;
}

}  // namespace allocmeter

using allocmeter::Allocate;
using allocmeter::AllocateOrThrow;
constexpr size_t kPlain = alignof(std::max_align_t);

void* operator new(size_t size) {
  return AllocateOrThrow(size, kPlain);
}
void* operator new[](size_t size) {
  return AllocateOrThrow(size, kPlain);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, kPlain);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, kPlain);
}
void* operator new(size_t size, std::align_val_t a) {
  return AllocateOrThrow(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a) {
  return AllocateOrThrow(size, static_cast<size_t>(a));
}
void* operator new(size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(size, static_cast<size_t>(a));
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(p);
}
