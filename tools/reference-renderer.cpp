#include "tools/reference-renderer.h"

#include <cmath>
#include <cstdio>

#include "engine/Engine.h"

ReferenceRenderer::ReferenceRenderer() {
  for (int32_t i = 0; i < TEXTUREDB.Count(); ++i) {
    Texture texture{};
    const platform::IMAGE* image = TEXTUREDB[i].IMAGE;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) texture[y * 64 + x] = platform::Point(image, x, y);
    }
    textures_.push_back(texture);
    has_image_.push_back(image != nullptr);
  }
  textures_.push_back(Texture{});  // cells whose texture label is unknown
  has_image_.push_back(false);
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
    int x = 0, y = 0;
    if (std::sscanf(BOARDDB[i].LABEL.c_str(), "%d,%d", &x, &y) != 2) continue;
    if (x < 0 || x >= kCells || y < 0 || y >= kCells) continue;
    size_t texture = textures_.size() - 1;
    for (int32_t t = 0; t < TEXTUREDB.Count(); ++t) {
      if (TEXTUREDB[t].LABEL == BOARDDB[i].VALUE) texture = static_cast<size_t>(t);
    }
    cells_[x][y] = static_cast<uint8_t>(1 + texture);
  }
}

uint8_t ReferenceRenderer::Cell(int x, int y) const {
  if (x < 0 || x >= kCells || y < 0 || y >= kCells) return 0;
  return cells_[x][y];
}

void ReferenceRenderer::Draw(std::vector<uint32_t>& page) const {
  page.assign(static_cast<size_t>(XDIM) * YDIM, 0);
  const double c = std::cos(ANG), s = std::sin(ANG);
  const double vxinc = -2 * s / XDIM, vyinc = 2 * c / XDIM;
  double vx = (s + c) + 0.5 * vxinc, vy = (s - c) + 0.5 * vyinc;
  for (int sx = 0; sx < XDIM; ++sx) {
    DrawColumn(page, sx, vx, vy);
    vx += vxinc;
    vy += vyinc;
  }
}

void ReferenceRenderer::DrawColumn(std::vector<uint32_t>& page, int sx, double vx,
                                   double vy) const {
  // Walk the grid until the ray enters a solid cell.
  int mapx = static_cast<int>(std::floor(POSX)), mapy = static_cast<int>(std::floor(POSY));
  const int stepx = vx > 0 ? 1 : (vx < 0 ? -1 : 0), stepy = vy > 0 ? 1 : (vy < 0 ? -1 : 0);
  double tx = POSX - mapx, ty = POSY - mapy;
  if (stepx > 0) tx = 1 - tx;
  if (stepy > 0) ty = 1 - ty;
  double d = std::fabs(vy) * tx - std::fabs(vx) * ty;
  double hitx = 0, hity = 0;
  int column = 0;
  bool hit = false;
  for (int step = 0; step < 128 && !hit; ++step) {
    if (d < 0) {
      mapx += stepx;
      if (Cell(mapx, mapy) != 0) {
        hitx = mapx + (stepx < 0 ? 1 : 0);
        hity = (hitx - POSX) * vy / vx + POSY;
        column = static_cast<int>(std::floor((hity - std::floor(hity)) * 64));
        if (stepx < 0) column = 63 - column;
        hit = true;
      }
      d += std::fabs(vy);
    } else {
      mapy += stepy;
      if (Cell(mapx, mapy) != 0) {
        hity = mapy + (stepy < 0 ? 1 : 0);
        hitx = (hity - POSY) * vx / vy + POSX;
        column = static_cast<int>(std::floor((hitx - std::floor(hitx)) * 64));
        if (stepy > 0) column = 63 - column;
        hit = true;
      }
      d -= std::fabs(vx);
    }
  }
  const double dist = (hitx - POSX) * std::cos(ANG) + (hity - POSY) * std::sin(ANG);

  // Project the wall and set up the 16.16 texture row stepping.
  const int half = YDIM / 2;
  int top = half, bottom = half, by = 0, byi = 0;
  if (hit && dist > 1.0 / 64) {
    top = static_cast<int>(std::floor(half + (-0.5 - POSZ) * HVAL / dist));
    bottom = static_cast<int>(std::floor(half + (0.5 - POSZ) * HVAL / dist));
    if (top < 0) top = 0;
    if (bottom > YDIM) bottom = YDIM;
    byi = static_cast<int>(std::floor(4194304 * dist / HVAL));
    const double row = static_cast<double>((top + 1 - half) * byi) + 4194304 * POSZ + 2097151;
    by = static_cast<int>(std::nearbyint(row)) + column * 64 * 65536 - 268435456;
  }
  const int depth = (half - top) * 128 / YDIM;
  const double brightness = 255 * std::pow(depth / 255.0, 1 / GAMMA);

  for (int y = 0; y < top; ++y) {
    const int p = sx + y * XDIM;
    page[p] = static_cast<uint32_t>(255 - p / 960);
  }
  const uint8_t cell = Cell(mapx, mapy);
  for (int y = top; y < bottom; ++y, by += byi) {
    const int p = sx + y * XDIM;
    const int addr = by / 65536;
    const size_t texture = cell - 1u;
    uint32_t colour = page[p];
    if (has_image_[texture]) colour = textures_[texture][((addr / 64) & 63) * 64 + (addr & 63)];
    uint32_t darkened = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const double byte = (colour >> shift) & 0xFF;
      darkened |= static_cast<uint32_t>(static_cast<int>(std::nearbyint(byte * brightness)) / 255)
                  << shift;
    }
    page[p] = darkened;
  }
  for (int y = bottom; y < YDIM; ++y) {
    const int p = sx + y * XDIM;
    page[p] = static_cast<uint32_t>(p / 1920);
  }
}
