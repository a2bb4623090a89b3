// The global operator new of the test program that links counting_new.cpp: it counts every
// allocation and can refuse large ones.
#pragma once

#include <cstddef>

namespace countingnew {

extern long allocations;   // allocations made through operator new so far
extern bool refuse_large;  // when set, requests of kLarge bytes or more get no memory
inline constexpr size_t kLarge = 1000;

}  // namespace countingnew
