// What a backend supplies to the platform core: the real display, its events and the clock.
// Exactly one backend is linked into a program: the SDL2 window or the headless twin.
#pragma once

#include <cstdint>
#include <string>

namespace platform::backend {

// Opens the window, or resizes the open one, to show width x height pixels; false on failure.
bool OpenWindow(int width, int height);
// Closes the window; harmless when none is open.
void CloseWindow();
// Shows a page of width x height pixels (0xXXRRGGBB, alpha ignored).
void Present(const uint32_t* pixels, int width, int height);
// Moves pending window events into the keyboard buffer (platform::PushKey).
void PumpEvents();
// The key that answers a program waiting for one (see headless.h), or the empty text. Called
// when Inkey finds the buffer empty for the second time in a row without a Flip in between.
std::string IdleKey();
// Seconds since an arbitrary start.
double Clock();
// Pauses the program thread.
void SleepMs(int milliseconds);

}  // namespace platform::backend
