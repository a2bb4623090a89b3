// A plain reference renderer of the viewer's frame, written the way a ray-casting tutorial
// would: a byte grid for the board, one texel fetch per wall pixel, and the darkening evaluated
// per byte in double precision. It draws the same picture as RAYTRACE for a viewer inside the
// closed board with PPL equal to XDIM; the frame benchmark and the tests compare the two.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

class ReferenceRenderer {
 public:
  // Copies the board and the textures out of BOARDDB and TEXTUREDB.
  ReferenceRenderer();
  // Draws one frame of XDIM x YDIM pixels from the engine's viewer and parameters into `page`.
  void Draw(std::vector<uint32_t>& page) const;

 private:
  static constexpr int kCells = 64;
  using Texture = std::array<uint32_t, 64 * 64>;  // [row * 64 + column] of the bitmap

  // 0 for an open cell, else 1 + the index of its texture in textures_ (0 if it has none).
  uint8_t cells_[kCells][kCells] = {};
  std::vector<Texture> textures_;
  std::vector<bool> has_image_;

  uint8_t Cell(int x, int y) const;
  void DrawColumn(std::vector<uint32_t>& page, int sx, double vx, double vy) const;
};
