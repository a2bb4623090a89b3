#include "Support/Memory Management.h"

platform::IMAGE* IMAGEDESTROY2(platform::IMAGE*& IMAGE) {
  if (IMAGE != nullptr) {
    platform::ImageDestroy(IMAGE);
    IMAGE = nullptr;
  }
  return IMAGE;
}
