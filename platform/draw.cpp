// Drawing primitives on images and the work page.
#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

void PSet(IMAGE* target, int x, int y, uint32_t colour) {
  internal::Surface s;
  if (!internal::TargetSurface(target, s) || !s.Contains(x, y)) return;
  internal::PlotPrimitive(s, x, y, colour);
}

uint32_t Point(const IMAGE* target, int x, int y) {
  internal::Surface s;
  if (!internal::TargetSurface(target, s) || !s.Contains(x, y)) return 0xFFFFFFFFu;
  return s.At(x, y);
}

namespace internal {

uint32_t Blend(uint32_t dst, uint32_t src) {
  const int32_t a = static_cast<int32_t>(src >> kShiftX);
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int32_t d = static_cast<int32_t>((dst >> shift) & 0xFF);
    const int32_t s = static_cast<int32_t>((src >> shift) & 0xFF);
    // (s - d) * a may be negative: the division truncates toward zero, as the formula says.
    const int32_t c = d + ((s - d) * a) / 256;
    result |= static_cast<uint32_t>(c & 0xFF) << shift;
  }
  return result;
}

void PlotPrimitive(const Surface& s, int x, int y, uint32_t colour) {
  uint32_t& pixel = s.At(x, y);
  pixel = AlphaPrimitives() ? Blend(pixel, colour) : colour;
}

}  // namespace internal

}  // namespace platform
