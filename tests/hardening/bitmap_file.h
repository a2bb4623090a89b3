// Bitmap files built field by field, for the tests that feed the decoder odd and large files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace testbitmap {

// Writes the low `bytes` bytes of v little-endian at `at`, growing s as needed.
inline void Put(std::string& s, size_t at, uint32_t v, int bytes) {
  if (s.size() < at + bytes) s.resize(at + bytes, '\0');
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A bitmap file, well-formed unless a field is set to something else: a 4 x 4 picture whose
// pixel bytes count up, headers of info_size bytes, masks after a 40-byte header or inside a
// longer one, a palette of `colours` entries for depths up to 8.
struct Bitmap {
  int32_t width = 4;
  int32_t height = 4;
  uint32_t bits = 24;
  uint32_t compression = 0;
  uint32_t info_size = 40;
  std::vector<uint32_t> masks = {};  // R, G, B (and A) for compression 3
  uint32_t colours = 0;              // palette entries in the file (0: as many as the depth allows)
  std::string pixels = {};           // the pixel array; empty: rows of counting bytes
  int64_t pixel_offset = -1;         // -1: right after the headers, masks and palette

  std::string Bytes() const {
    std::string s;
    Put(s, 0, 'B' | 'M' << 8, 2);
    Put(s, 14, info_size, 4);
    Put(s, 18, static_cast<uint32_t>(width), 4);
    Put(s, 22, static_cast<uint32_t>(height), 4);
    Put(s, 26, 1, 2);
    Put(s, 28, bits, 2);
    Put(s, 30, compression, 4);
    Put(s, 46, colours, 4);
    s.resize(14 + info_size, '\0');
    for (size_t i = 0; i < masks.size(); ++i) Put(s, 54 + 4 * i, masks[i], 4);
    if (bits <= 8) {
      const uint32_t entries = colours != 0 ? colours : 1u << bits;
      for (uint32_t i = 0; i < entries; ++i) Put(s, s.size(), 0x00102030u * (i + 1), 4);
    }
    const size_t offset = pixel_offset >= 0 ? static_cast<size_t>(pixel_offset) : s.size();
    std::string rows = pixels;
    if (rows.empty()) {
      const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
      for (size_t i = 0; i < stride * static_cast<size_t>(height); ++i)
        rows.push_back(static_cast<char>(bits <= 8 ? 0 : i));
    }
    Put(s, 10, static_cast<uint32_t>(offset), 4);
    s.resize(std::max(s.size(), offset), '\0');
    s.insert(std::min(offset, s.size()), rows);
    Put(s, 2, static_cast<uint32_t>(s.size()), 4);
    return s;
  }
};

}  // namespace testbitmap
