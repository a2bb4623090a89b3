// Draws the default world's wall textures procedurally and writes them as 64 x 64 24-bit BMP
// files. The output depends on nothing but this program, so the same build always writes the
// same bytes.
//
//   texture-maker DIR     writes DIR/<name>.bmp for every texture below
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "tools/bmp-writer.h"
#include "tools/cli.h"

namespace {

constexpr int kSize = 64;

struct Rgb {
  double r, g, b;
};

// A reproducible value in [0, 1) for integer lattice point (x, y) and a seed.
double Hash(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
               seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return (h & 0xFFFFFF) / 16777216.0;
}

// Smooth value noise in [0, 1) with the given period in pixels, tiling across the texture.
double Noise(double x, double y, int period, uint32_t seed) {
  const int cells = kSize / period;
  const double fx = x / period, fy = y / period;
  const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  const double tx = fx - x0, ty = fy - y0;
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  auto at = [&](int i, int j) {
    return Hash(((i % cells) + cells) % cells, ((j % cells) + cells) % cells, seed);
  };
  const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
  const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
  return top + (bottom - top) * sy;
}

// Three octaves of noise, in [0, 1).
double Fractal(double x, double y, uint32_t seed) {
  return (Noise(x, y, 16, seed) * 4 + Noise(x, y, 8, seed + 1) * 2 + Noise(x, y, 4, seed + 2)) / 7;
}

Rgb Scale(Rgb c, double f) {
  return {c.r * f, c.g * f, c.b * f};
}
Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Red bricks in running bond with grey mortar.
Rgb Brick(int x, int y) {
  const int row = y / 16, ry = y % 16;
  const int rx = (x + (row % 2) * 16) % 32;
  if (ry < 2 || rx < 2) return Scale({170, 165, 150}, 0.8 + 0.3 * Fractal(x, y, 11));
  const int brick = ((x + (row % 2) * 16) / 32) % 2 + row * 2;
  const double tone = 0.75 + 0.25 * Hash(brick, row, 12) + 0.2 * (Fractal(x, y, 13) - 0.5);
  return Scale({165, 62, 40}, tone);
}

// Grey cobblestones: the nearest of a jittered grid of centres decides the stone, and the gap
// between the two nearest centres draws the joints.
Rgb Stone(int x, int y) {
  double best = 1e9, second = 1e9;
  int stone = 0;
  for (int j = -1; j <= 4; ++j) {
    for (int i = -1; i <= 4; ++i) {
      const int ci = (i + 4) % 4, cj = (j + 4) % 4;
      const double cx = i * 16 + 4 + 8 * Hash(ci, cj, 21), cy = j * 16 + 4 + 8 * Hash(ci, cj, 22);
      const double d = std::hypot(x - cx, y - cy);
      if (d < best) {
        second = best;
        best = d;
        stone = cj * 4 + ci;
      } else if (d < second) {
        second = d;
      }
    }
  }
  if (second - best < 2.0) return Scale({70, 70, 72}, 0.8 + 0.3 * Fractal(x, y, 23));
  const double tone = 0.7 + 0.3 * Hash(stone, 0, 24) + 0.25 * (Fractal(x, y, 25) - 0.5);
  return Scale({150, 148, 140}, tone);
}

// Vertical pine planks with wavy grain and dark seams.
Rgb Wood(int x, int y) {
  const int plank = x / 16, px = x % 16;
  if (px == 0) return {60, 35, 18};
  const double grain = std::sin((px + 3 * Noise(x, y, 16, 31 + plank)) * 1.7 + y * 0.05);
  const double tone = 0.8 + 0.15 * grain + 0.2 * (Hash(plank, 0, 32) - 0.5);
  Rgb c = Scale({178, 122, 70}, tone);
  if ((y + plank * 23) % 64 == 40 && px > 5 && px < 11) c = {90, 55, 30};  // a knot
  return c;
}

// Blue-grey steel panels with bevelled edges and rivets.
Rgb Metal(int x, int y) {
  const int px = x % 32, py = y % 32;
  const double scratch = 0.1 * (Noise(x * 4.0, y * 0.25, 16, 41) - 0.5);
  Rgb c = Scale({120, 130, 150}, 0.9 + scratch + 0.1 * Fractal(x, y, 42));
  if (px == 0 || py == 0) c = Scale(c, 1.35);
  if (px == 31 || py == 31) c = Scale(c, 0.55);
  const int dx = std::min(px, 31 - px), dy = std::min(py, 31 - py);
  if (dx >= 3 && dx <= 4 && dy >= 3 && dy <= 4) c = {210, 215, 225};
  return c;
}

// Mossy green stone blocks.
Rgb Moss(int x, int y) {
  const bool joint = y % 21 == 0 || (x + (y / 21) * 13) % 32 == 0;
  const double n = Fractal(x, y, 51);
  Rgb rock = Scale({110, 112, 100}, 0.8 + 0.3 * Fractal(x, y, 52));
  Rgb moss = Scale({60, 120, 40}, 0.7 + 0.5 * Fractal(x, y, 53));
  Rgb c = Mix(rock, moss, std::clamp((n - 0.35) * 3, 0.0, 1.0));
  return joint ? Scale(c, 0.45) : c;
}

// White and blue glazed tiles.
Rgb Tile(int x, int y) {
  const int tx = x / 16, ty = y / 16, px = x % 16, py = y % 16;
  if (px == 0 || py == 0) return {200, 200, 190};
  Rgb c = (tx + ty) % 2 ? Rgb{235, 235, 240} : Rgb{40, 80, 170};
  const double shine = (px + py < 8) ? 1.12 : 1.0;
  return Scale(c, shine * (0.95 + 0.1 * Fractal(x, y, 61)));
}

// Plain dressed sandstone blocks.
Rgb Ashlar(int x, int y) {
  if (y % 32 == 0 || (x + (y / 32) * 32) % 64 == 0) return {120, 105, 80};
  return Scale({205, 185, 140}, 0.85 + 0.2 * Fractal(x, y, 71));
}

struct Texture {
  const char* name;
  std::function<Rgb(int, int)> draw;
};

uint8_t Byte(double v) {
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// The texture as a bottom-up 24-bit BMP.
std::string EncodeTexture(const Texture& texture) {
  return bmpwriter::Encode(kSize, kSize, bmpwriter::Format::kRgb24, false, [&](int x, int y) {
    const Rgb c = texture.draw(x, y);
    return uint32_t{Byte(c.r)} << 16 | uint32_t{Byte(c.g)} << 8 | Byte(c.b);
  });
}

}  // namespace

constexpr char kUsage[] =
    "usage: texture-maker DIR\n"
    "Draws the default world's wall textures and writes them into DIR (created when missing)\n"
    "as 64 x 64 BMP files.\n";

int main(int argc, char** argv) {
  cli::AnswerHelpAndVersion(argc, argv, "texture-maker", kUsage);
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  if (error) {
    std::fprintf(stderr, "texture-maker: cannot create %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  const Texture textures[] = {{"ashlar", Ashlar}, {"brick", Brick}, {"metal", Metal},
                              {"moss", Moss},     {"stone", Stone}, {"tile", Tile},
                              {"wood", Wood}};
  for (const Texture& texture : textures) {
    const std::string path = std::string(argv[1]) + "/" + texture.name + ".bmp";
    const std::string bytes = EncodeTexture(texture);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool ok =
        file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr && std::fclose(file) != 0) return 1;
    if (!ok) {
      std::fprintf(stderr, "texture-maker: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
