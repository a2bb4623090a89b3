// The plain bitmap decoder: the formats whose pixels need no channel scaling, read straight into
// the image. The browser build decodes with it; the desktop build keeps it to check it against
// SDL's decoder.
#include <algorithm>
#include <cstdint>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform::internal {

namespace {

constexpr uint32_t kRed = 0x00FF0000u, kGreen = 0x0000FF00u, kBlue = 0x000000FFu;
constexpr uint32_t kAlpha = 0xFF000000u;

uint32_t Byte(const char* p, int64_t i) {
  return static_cast<uint8_t>(p[i]);
}
uint32_t Bgr(const char* p) {
  return Byte(p, 2) << 16 | Byte(p, 1) << 8 | Byte(p, 0);
}

// Pixel x of a file row as 0xAARRGGBB; `opaque` forces alpha 255 on 32-bit pixels.
uint32_t PixelAt(const BitmapLayout& b, const char* row, int64_t x, bool opaque) {
  if (b.bits == 24) return kAlpha | Bgr(row + x * 3);
  if (b.bits == 32) {
    const uint32_t alpha = opaque ? 0xFFu : Byte(row, x * 4 + 3);
    return alpha << 24 | Bgr(row + x * 4);
  }
  const int64_t bit = x * b.bits;
  const uint32_t index = (Byte(row, bit / 8) >> (8 - b.bits - bit % 8)) & ((1u << b.bits) - 1);
  return kAlpha | Bgr(b.palette + 4 * index);
}

// True when a 32-bit file without an alpha mask has only zero fourth bytes (it is then opaque).
bool OpaqueThirtyTwo(const BitmapLayout& b) {
  if (b.bits != 32) return false;
  if (b.bit_fields) return b.masks[3] == 0;
  for (int64_t y = 0; y < b.height; ++y) {
    const char* row = b.rows + y * b.stride;
    for (int64_t x = 0; x < b.width; ++x) {
      if (row[x * 4 + 3] != 0) return false;
    }
  }
  return true;
}

}  // namespace

bool PlainKnownMasks(uint32_t bits, const uint32_t masks[4]) {
  return bits == 32 && masks[0] == kRed && masks[1] == kGreen && masks[2] == kBlue &&
         (masks[3] == 0 || masks[3] == kAlpha);
}

int DecodePlainBitmap(const BitmapLayout& b, IMAGE* image, bool clear_alpha) {
  if (b.bits == 16 || (b.bit_fields && !PlainKnownMasks(b.bits, b.masks))) return 1;
  const bool opaque = OpaqueThirtyTwo(b);
  const int64_t width = std::min<int64_t>(b.width, image->WIDTH);
  const int64_t height = std::min<int64_t>(b.height, image->HEIGHT);
  for (int64_t y = 0; y < height; ++y) {
    const char* row = b.rows + (b.top_down ? y : b.height - 1 - y) * b.stride;
    uint32_t* out = image->Row(static_cast<uint32_t>(y));
    for (int64_t x = 0; x < width; ++x) {
      out[x] = PixelAt(b, row, x, opaque) & (clear_alpha ? 0x00FFFFFFu : 0xFFFFFFFFu);
    }
  }
  return 0;
}

}  // namespace platform::internal
