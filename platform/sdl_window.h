// Shared between the SDL backend's window (sdl_backend.cpp) and its input (sdl_input.cpp).
#pragma once

namespace platform::backend::sdl {

// Window side.
void ToggleFullscreen();
// Hands a copy of the picture last presented to the screenshot thread, which saves it as a PNG;
// where it went is told (standard output and title) once it is written.
void SaveScreenshot();

// Input side.
// Moves pending events into the keyboard buffer, the pointer's counts and the window's own keys.
void DispatchEvents();
// Lets the pointer go: it moves freely again and its counts and buttons are 0.
void ReleasePointer();
// Closes the game controllers and their subsystem (the window is closing).
void CloseControllers();

}  // namespace platform::backend::sdl
