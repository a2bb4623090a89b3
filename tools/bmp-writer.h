// Writes Windows bitmaps: the tools' picture output and the tests' sample files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bmpwriter {

enum class Format {
  kRgb24,   // 24 bits, no alpha
  kXrgb32,  // 32 bits whose fourth byte readers ignore
  kArgb32,  // 32 bits with an alpha mask, so that readers keep the fourth byte as alpha
};

inline void PutLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// A bitmap of width x height whose pixel (x, y), counted from the picture's top row, is
// colour(x, y) as 0xAARRGGBB; top_down stores the top row first.
inline std::string Encode(int width, int height, Format format, bool top_down,
                          const std::function<uint32_t(int, int)>& colour) {
  const bool masks = format == Format::kArgb32;
  const int bytes = format == Format::kRgb24 ? 3 : 4;
  const uint32_t info = masks ? 56 : 40, offset = 14 + info;
  const uint32_t row_bytes = (static_cast<uint32_t>(width) * bytes + 3) / 4 * 4;
  const uint32_t size = row_bytes * static_cast<uint32_t>(height);
  std::string out = "BM";
  PutLe(out, offset + size, 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  PutLe(out, info, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(top_down ? -height : height), 4);
  PutLe(out, 1, 2);
  PutLe(out, static_cast<uint32_t>(bytes * 8), 2);
  PutLe(out, masks ? 3 : 0, 4);
  PutLe(out, size, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  if (masks) {
    for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) PutLe(out, mask, 4);
  }
  out.reserve(out.size() + size);
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    const size_t start = out.size();
    for (int x = 0; x < width; ++x) PutLe(out, colour(x, y), bytes);
    out.resize(start + row_bytes, '\0');
  }
  return out;
}

}  // namespace bmpwriter
