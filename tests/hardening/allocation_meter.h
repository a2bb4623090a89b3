// The allocation meter of the hardening tests: the test program's global operator new (every
// form, ImageCreate's aligned one included) and SDL's allocator go through it, and it adds up
// the bytes requested while it runs.
#pragma once

#include <cstddef>

namespace allocmeter {

// Starts counting from zero; SDL's allocator is routed through the meter on the first call.
void Start();
// Bytes requested since Start (an upper bound of the memory held at any moment).
size_t Bytes();
// The largest single request since Start.
size_t Largest();

}  // namespace allocmeter
