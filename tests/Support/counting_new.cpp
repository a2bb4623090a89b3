// Replaces the global operator new and delete (kept in their own file so that no call site
// inlines them: GCC would then see free() meet a new-expression and warn of a mismatch).
#include "tests/Support/counting_new.h"

#include <cstdlib>
#include <new>

namespace countingnew {

long allocations = 0;
bool refuse_large = false;

static void* Allocate(size_t size) noexcept {
  if (refuse_large && size >= kLarge) return nullptr;
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}

static void* AllocateOrThrow(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace countingnew

void* operator new(size_t size) {
  return countingnew::AllocateOrThrow(size);
}
void* operator new[](size_t size) {
  return countingnew::AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return countingnew::Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return countingnew::Allocate(size);
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
