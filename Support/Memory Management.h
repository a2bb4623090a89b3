// Image release: the one way the library frees an image.
#pragma once

#include "platform/platform.h"

// Destroys the image when there is one and leaves the caller's pointer null; returns null.
// Safe to call twice on the same variable.
platform::IMAGE* IMAGEDESTROY2(platform::IMAGE*& IMAGE);
