// Drawing primitives on images and the work page.
#include <algorithm>
#include <cstdlib>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Sorts a pair of coordinates and clips the closed range [a, b] to [0, size - 1]; false when
// nothing of it remains.
bool ClipRange(int64_t& a, int64_t& b, int size) {
  if (a > b) std::swap(a, b);
  a = std::max<int64_t>(a, 0);
  b = std::min<int64_t>(b, int64_t{size} - 1);
  return a <= b;
}

void FillBox(const internal::Surface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
             uint32_t colour) {
  if (!ClipRange(x1, x2, s.width) || !ClipRange(y1, y2, s.height)) return;
  for (int64_t y = y1; y <= y2; ++y) {
    for (int64_t x = x1; x <= x2; ++x) {
      internal::PlotPrimitive(s, static_cast<int>(x), static_cast<int>(y), colour);
    }
  }
}

// A straight line, both ends included: step i along the major axis (0 to its length) puts the
// pixel whose minor coordinate is i * minor / major rounded half up. Only the steps whose major
// coordinate lies on the surface are visited, so far-away endpoints cost nothing; 128-bit
// products keep the arithmetic exact for any int coordinates.
void DrawLine(const internal::Surface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
              uint32_t colour) {
  const bool steep = std::llabs(y2 - y1) > std::llabs(x2 - x1);
  const int64_t a1 = steep ? y1 : x1, a2 = steep ? y2 : x2;  // major axis
  const int64_t b1 = steep ? x1 : y1, b2 = steep ? x2 : y2;  // minor axis
  const int64_t major = std::llabs(a2 - a1), minor = b2 - b1, step = a1 <= a2 ? 1 : -1;
  const int64_t limit = steep ? s.height : s.width;
  // Steps i with 0 <= a1 + step * i < limit.
  int64_t first = step > 0 ? -a1 : a1 - (limit - 1), last = step > 0 ? limit - 1 - a1 : a1;
  first = std::max<int64_t>(first, 0);
  last = std::min(last, major);
  for (int64_t i = first; i <= last; ++i) {
    int64_t b = b1;
    if (major > 0) {
      const __int128 twice = static_cast<__int128>(2) * i * minor + major;
      __int128 q = twice / (2 * major);
      if (twice % (2 * major) < 0) --q;  // floor division
      b = b1 + static_cast<int64_t>(q);
    }
    const int64_t a = a1 + step * i;
    const int64_t x = steep ? b : a, y = steep ? a : b;
    if (x >= 0 && y >= 0 && x < s.width && y < s.height) {
      internal::PlotPrimitive(s, static_cast<int>(x), static_cast<int>(y), colour);
    }
  }
}

}  // namespace

int Put(IMAGE* target, int x, int y, const IMAGE* source) {
  internal::Surface t;
  if (source == nullptr || !internal::TargetSurface(target, t)) return 1;
  int64_t x1 = x, x2 = int64_t{x} + source->WIDTH - 1;
  int64_t y1 = y, y2 = int64_t{y} + source->HEIGHT - 1;
  if (source->WIDTH == 0 || source->HEIGHT == 0) return 0;
  if (!ClipRange(x1, x2, t.width) || !ClipRange(y1, y2, t.height)) return 0;
  for (int64_t ty = y1; ty <= y2; ++ty) {
    const uint32_t* row = source->Row(static_cast<uint32_t>(ty - y));
    for (int64_t tx = x1; tx <= x2; ++tx) {
      uint32_t& pixel = t.At(static_cast<int>(tx), static_cast<int>(ty));
      pixel = internal::Blend(pixel, row[tx - x]);
    }
  }
  return 0;
}

void Line(IMAGE* target, int x1, int y1, int x2, int y2, uint32_t colour, int kind) {
  internal::Surface s;
  if (!internal::TargetSurface(target, s)) return;
  if (kind == kFilledBox) {
    FillBox(s, x1, y1, x2, y2, colour);
  } else if (kind == kBox) {
    FillBox(s, x1, y1, x2, y1, colour);
    if (y2 != y1) FillBox(s, x1, y2, x2, y2, colour);
    const int64_t top = std::min(y1, y2) + int64_t{1}, bottom = std::max(y1, y2) - int64_t{1};
    if (top <= bottom) {
      FillBox(s, x1, top, x1, bottom, colour);
      if (x2 != x1) FillBox(s, x2, top, x2, bottom, colour);
    }
  } else {
    DrawLine(s, x1, y1, x2, y2, colour);
  }
}

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
