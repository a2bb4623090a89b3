// What a backend supplies to the platform core: the real display, its events and the clock.
// Exactly one backend is linked into a program: the SDL2 window or the headless twin.
#pragma once

#include <cstdint>
#include <string>

namespace platform::backend {

// Opens the window, or resizes the open one, to show width x height pixels; false on failure. A
// window larger than the screen's usable area is made smaller to fit it, its aspect kept, and
// shows the picture scaled down.
bool OpenWindow(int width, int height);
// The size in pixels of the picture the window can show unscaled now (its drawable area, which a
// resize or fullscreen changes), at most the largest picture the backend can show; false without
// a window.
bool ShownSize(int& width, int& height);
// Makes the open window show pictures of width x height pixels from now on, leaving the window's
// own size alone; false when it cannot, the previous picture size then staying.
bool ResizePicture(int width, int height);
// Closes the window; harmless when none is open.
void CloseWindow();
// Shows a page of width x height pixels (0xXXRRGGBB, alpha ignored).
void Present(const uint32_t* pixels, int width, int height);
// Moves pending window events into the keyboard buffer (platform::PushKey), and reports keys
// going down and up by name (platform::KeyDown, KeyUp; ReleaseKeys when the focus is lost) and
// the game controller's axes (platform::SetAxis).
void PumpEvents();
// The key that answers a program waiting for one (see headless.h), or the empty text. Called
// when Inkey finds the buffer empty for the second time in a row without a Flip in between.
std::string IdleKey();
// Seconds since an arbitrary start.
double Clock();
// Pauses the program thread.
void SleepMs(int milliseconds);

// Puts the open window into fullscreen or back (and opens later windows so).
void ApplyFullscreen(bool on);
// Turns the pacing of Present to the display's refresh on or off.
void ApplyVsync(bool on);
// The captured pointer's motion in pixels since the last call and its buttons (bit 0 the first,
// bit 1 the second), all 0 while it is not captured; false when there is no pointer at all.
bool TakeMotion(int& dx, int& dy, int& buttons);

}  // namespace platform::backend
