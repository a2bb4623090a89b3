// Drawing primitives on images and the work page. Clipping is done on the coordinates, in
// 64-bit (and for line slopes 128-bit) arithmetic, so that any int corners cost only the
// pixels that are visible.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

using internal::Surface;

// The visible part of the row y from x = a to x = b (a <= b).
void HorizontalSpan(const Surface& s, int64_t y, int64_t a, int64_t b, uint32_t colour) {
  if (y < 0 || y >= s.height) return;
  const int64_t from = std::max<int64_t>(a, 0), to = std::min<int64_t>(b, s.width - 1);
  for (int64_t x = from; x <= to; ++x)
    internal::PlotPrimitive(s, static_cast<int>(x), static_cast<int>(y), colour);
}

// The visible part of the column x from y = a to y = b (a <= b).
void VerticalSpan(const Surface& s, int64_t x, int64_t a, int64_t b, uint32_t colour) {
  if (x < 0 || x >= s.width) return;
  const int64_t from = std::max<int64_t>(a, 0), to = std::min<int64_t>(b, s.height - 1);
  for (int64_t y = from; y <= to; ++y)
    internal::PlotPrimitive(s, static_cast<int>(x), static_cast<int>(y), colour);
}

// A line as a run along its major axis: step i (0..major) moves i along the major axis and
// MinorSteps(i) along the minor one, the ideal line's offset rounded half up.
struct Run {
  int64_t major = 0, minor = 0;  // lengths along the two axes, major >= minor >= 0

  int64_t MinorSteps(int64_t i) const {
    if (major == 0) return 0;
    const __int128 numerator = static_cast<__int128>(2 * i) * minor + major;
    return static_cast<int64_t>(numerator / (2 * static_cast<__int128>(major)));
  }
  // The first step in [lo, hi] whose minor offset is at least m, or hi + 1.
  int64_t FirstAtLeast(int64_t lo, int64_t hi, int64_t m) const {
    while (lo <= hi) {
      const int64_t mid = lo + (hi - lo) / 2;
      if (MinorSteps(mid) >= m) {
        hi = mid - 1;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  }
};

// The steps i in [lo, hi] with start + sign * i inside 0..limit-1, narrowed in place.
void ClipSteps(int64_t start, int64_t sign, int64_t limit, int64_t& lo, int64_t& hi) {
  if (sign > 0) {
    lo = std::max(lo, -start);
    hi = std::min(hi, limit - 1 - start);
  } else {
    lo = std::max(lo, start - (limit - 1));
    hi = std::min(hi, start);
  }
}

void Segment(const Surface& s, int x1, int y1, int x2, int y2, uint32_t colour) {
  const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
  const bool x_major = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const int64_t a1 = x_major ? x1 : y1, da = x_major ? dx : dy;
  const int64_t b1 = x_major ? y1 : x1, db = x_major ? dy : dx;
  const int64_t sa = da < 0 ? -1 : 1, sb = db < 0 ? -1 : 1;
  const int64_t a_limit = x_major ? s.width : s.height, b_limit = x_major ? s.height : s.width;
  const Run run{da * sa, db * sb};

  // Steps whose major coordinate is visible, then those whose minor coordinate is: the minor
  // offset grows with i, so its visible window is one interval of steps.
  int64_t lo = 0, hi = run.major;
  ClipSteps(a1, sa, a_limit, lo, hi);
  int64_t m_lo = 0, m_hi = run.minor;
  ClipSteps(b1, sb, b_limit, m_lo, m_hi);
  if (lo > hi || m_lo > m_hi) return;
  lo = run.FirstAtLeast(lo, hi, m_lo);
  hi = run.FirstAtLeast(lo, hi, m_hi + 1) - 1;
  if (lo > hi) return;

  // Walk the visible steps, carrying the rounding remainder as Bresenham does.
  const int64_t denominator = 2 * std::max<int64_t>(run.major, 1);
  int64_t m = run.MinorSteps(lo);
  int64_t remainder =
      static_cast<int64_t>((static_cast<__int128>(2 * lo) * run.minor + run.major) % denominator);
  for (int64_t i = lo; i <= hi; ++i) {
    const int64_t a = a1 + sa * i, b = b1 + sb * m;
    const int64_t x = x_major ? a : b, y = x_major ? b : a;
    if (s.Contains(static_cast<int>(x), static_cast<int>(y)))
      internal::PlotPrimitive(s, static_cast<int>(x), static_cast<int>(y), colour);
    remainder += 2 * run.minor;
    if (remainder >= denominator) {
      remainder -= denominator;
      ++m;
    }
  }
}

}  // namespace

int Put(IMAGE* target, int x, int y, const IMAGE* source) {
  Surface dst, src;
  if (source == nullptr || !internal::TargetSurface(target, dst)) return 1;
  internal::TargetSurface(source, src);
  const int64_t x0 = std::max<int64_t>(x, 0),
                x1 = std::min<int64_t>(int64_t{x} + src.width, dst.width);
  const int64_t y0 = std::max<int64_t>(y, 0),
                y1 = std::min<int64_t>(int64_t{y} + src.height, dst.height);
  if (x0 >= x1 || y0 >= y1) return 0;
  // An image put onto itself reads from a copy, so that no pixel is read after it was drawn.
  std::vector<uint32_t> copy;
  if (target == source) {
    copy.assign(src.pixels, src.pixels + src.pitch * static_cast<size_t>(src.height));
    src.pixels = copy.data();
  }
  for (int64_t ty = y0; ty < y1; ++ty) {
    for (int64_t tx = x0; tx < x1; ++tx) {
      uint32_t& pixel = dst.At(static_cast<int>(tx), static_cast<int>(ty));
      pixel = internal::Blend(pixel, src.At(static_cast<int>(tx - x), static_cast<int>(ty - y)));
    }
  }
  return 0;
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

void Line(IMAGE* target, int x1, int y1, int x2, int y2, uint32_t colour, int kind) {
  Surface s;
  if (!internal::TargetSurface(target, s)) return;
  if (kind == kLine) {
    Segment(s, x1, y1, x2, y2, colour);
    return;
  }
  const int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (kind == kFilledBox) {
    for (int64_t y = std::max<int64_t>(top, 0); y <= std::min<int64_t>(bottom, s.height - 1); ++y)
      HorizontalSpan(s, y, left, right, colour);
  } else if (kind == kBox) {
    // Each pixel of the outline is drawn once, so that blending does not double at corners.
    HorizontalSpan(s, top, left, right, colour);
    if (bottom != top) HorizontalSpan(s, bottom, left, right, colour);
    VerticalSpan(s, left, top + 1, bottom - 1, colour);
    if (right != left) VerticalSpan(s, right, top + 1, bottom - 1, colour);
  }
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
