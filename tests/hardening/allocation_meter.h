// The allocation meter of the hardening tests: the test program's global operator new (every
// form, ImageCreate's aligned one included) and SDL's allocator go through it. It adds up the
// bytes requested, follows the bytes held, and can refuse memory beyond a limit as a host that
// runs out would: operator new then calls the new handler as the standard library's does, the
// nothrow forms and SDL's allocator give null.
#pragma once

#include <cstddef>

namespace allocmeter {

// Starts counting from zero; SDL's allocator is routed through the meter on the first call.
void Start();
// Bytes requested since Start (an upper bound of the memory held at any moment).
size_t Bytes();
// The largest single request since Start.
size_t Largest();
// The most bytes held at once since Start, beyond those held at Start.
size_t Peak();
// From now on, refuses any request that would hold more than `bytes` beyond those held at Start.
void Limit(size_t bytes);

}  // namespace allocmeter
