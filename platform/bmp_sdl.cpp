// The desktop's bitmap decoder: SDL's, with its conversion to ARGB8888.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform::internal {

namespace {

// Copies a decoded ARGB8888 surface into the image, clipped to both; with `clear_alpha` every
// pixel's alpha becomes 0.
void CopyInto(SDL_Surface* surface, IMAGE* image, bool clear_alpha) {
  const int width = std::min(surface->w, static_cast<int>(image->WIDTH));
  const int height = std::min(surface->h, static_cast<int>(image->HEIGHT));
  const auto* pixels = static_cast<const uint8_t*>(surface->pixels);
  for (int y = 0; y < height; ++y) {
    uint32_t* row = image->Row(static_cast<uint32_t>(y));
    std::memcpy(row, pixels + static_cast<size_t>(y) * static_cast<size_t>(surface->pitch),
                static_cast<size_t>(width) * 4);
    if (clear_alpha) {
      for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFFu;
    }
  }
}

}  // namespace

int DecodeBitmap(const std::string& bitmap, const BitmapLayout&, IMAGE* image, bool clear_alpha) {
  SDL_RWops* rw = SDL_RWFromConstMem(bitmap.data(), static_cast<int>(bitmap.size()));
  if (rw == nullptr) return 1;
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (loaded == nullptr) return 1;
  // Formats without an alpha channel convert with alpha 255.
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (argb == nullptr) return 1;
  int result = 1;
  if (SDL_LockSurface(argb) == 0) {
    CopyInto(argb, image, clear_alpha);
    SDL_UnlockSurface(argb);
    result = 0;
  }
  SDL_FreeSurface(argb);
  return result;
}

bool KnownMasks(uint32_t bits, const uint32_t masks[4]) {
  return SDL_MasksToPixelFormatEnum(static_cast<int>(bits), masks[0], masks[1], masks[2],
                                    masks[3]) != SDL_PIXELFORMAT_UNKNOWN;
}

}  // namespace platform::internal
