// Image buffers in their fixed layout: a 32-byte header followed by the pixel rows.
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/testing.h"

namespace platform {

namespace {

long live_images = 0;   // images created and not yet destroyed
bool tracking = false;  // whether the live images are recorded (a test hook, off in the program)

// The live images created since tracking began (see testing.h).
std::unordered_set<IMAGE*>& Tracked() {
  static std::unordered_set<IMAGE*> images;
  return images;
}

}  // namespace

IMAGE* ImageCreate(int width, int height) {
  return ImageCreate(width, height, kMaskColour);
}

IMAGE* ImageCreate(int width, int height, uint32_t fill, int depth) {
  if (depth != 32 || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
    return nullptr;
  }
  // With both sides at most 16384 the sizes below stay far inside size_t.
  const size_t pitch = (static_cast<size_t>(width) * 4 + 15) / 16 * 16;
  const size_t bytes = sizeof(IMAGE) + pitch * static_cast<size_t>(height);
  void* memory = ::operator new (bytes, std::align_val_t{16}, std::nothrow);
  if (memory == nullptr) return nullptr;
  IMAGE* image = new (memory) IMAGE{};
  image->type = 7;
  image->BPP = 4;
  image->WIDTH = static_cast<uint32_t>(width);
  image->HEIGHT = static_cast<uint32_t>(height);
  image->PITCH = static_cast<uint32_t>(pitch);
  // The allocation implicitly creates the pixel words (C++20); the padding of a row stays 0.
  for (int y = 0; y < height; ++y) {
    uint32_t* row = image->Row(static_cast<uint32_t>(y));
    for (size_t x = 0; x < pitch / 4; ++x) row[x] = x < static_cast<size_t>(width) ? fill : 0;
  }
  ++live_images;
  if (tracking) Tracked().insert(image);
  return image;
}

void ImageDestroy(IMAGE* image) {
  if (image == nullptr) return;
  --live_images;
  if (tracking) Tracked().erase(image);
  ::operator delete (image, std::align_val_t{16});
}

long LiveImageCount() {
  return live_images;
}

void testing::TrackImages() {
  tracking = true;
}

void testing::DestroyTrackedImages() {
  const std::vector<IMAGE*> images(Tracked().begin(), Tracked().end());
  for (IMAGE* image : images) ImageDestroy(image);
}

namespace internal {

bool TargetSurface(const IMAGE* image, Surface& out) {
  if (image == nullptr) return WorkSurface(out);
  IMAGE* writable = const_cast<IMAGE*>(image);
  out.pixels = writable->Row(0);
  out.width = static_cast<int>(image->WIDTH);
  out.height = static_cast<int>(image->HEIGHT);
  out.pitch = image->PITCH / 4;
  return true;
}

}  // namespace internal

}  // namespace platform
