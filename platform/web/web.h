// Shared between the browser backend's canvas (web_backend.cpp) and its input (web_input.cpp).
#pragma once

namespace platform::backend::web {

// Canvas side.
void ToggleFullscreen();
// Offers the picture last presented as a PNG download and names it in the title.
void SaveScreenshot();

// Input side.
// Lets the pointer go: it moves freely again and its counts and buttons are 0.
void ReleasePointer();

}  // namespace platform::backend::web
