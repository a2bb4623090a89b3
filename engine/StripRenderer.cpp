// The fast path of the frame: the same picture and the same frame globals as the literal ray
// caster and column renderer, drawn at a small multiple of the cost of writing the page once.
//
// It covers a frame when every run of every column lies inside the page: PPL = XDIM = the page's
// width, YDIM = its height, HVAL > 0 and POSZ within [-0.5, 0.5] (each wall then starts at or
// above the middle row and ends at or below it), and every cell whose wall is drawn lies inside
// BOARD. Any other frame is left to the literal renderer, before anything is written.
//
// Where the time goes instead:
// - Nothing changes the stores during a frame, so each cell is asked of BOARDDB (and its texture
//   of TEXTUREDB) once per frame and thread; nothing is remembered from one frame to the next.
// - A wall pixel's brightness depends only on the column's depth value (0..64) and GAMMA: one
//   darkening table per depth value, kept while GAMMA is unchanged, with the multiplier that
//   gives the same bytes as vector code where one exists. Each texel is darkened once per
//   texture column and depth value, and neighbouring columns with the same texture, texture
//   column and depth value share the darkened texels.
// - The page is row-major and the columns run down it. Columns are drawn in strips of kStrip,
//   one cache line of each page row: the rows above and below every wall of the strip are pure
//   ceiling and floor ramps, computed in row order; the rows between are drawn column by column
//   into a small row-major tile that stays in the nearest cache, and then copied to the page
//   row by row. Page rows are prefetched for writing well before they are written.
// - Most rows between do not need the tile: where each of the strip's 16 columns shows one
//   texture column, already darkened, a page row is 16 texels written straight to it. With
//   AVX-512 they are picked by permutes from the few darkened columns the strip shows, held in
//   registers, and two neighbouring strips write their common rows side by side; with AVX2 two
//   gathers fetch them.
// - Rays are cast and strips drawn on THREADS threads of a pool started once. Each ray is cast
//   on its own and the columns are projected in order after, and the frame globals are set
//   from their results, so that they and the page do not depend on the thread count. Each
//   thread draws one run of neighbouring strips.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/CellLabel.h"
#include "engine/Engine.h"
#include "engine/ThreadPool.h"

static constexpr char MODULE_NAME[] = "engine/StripRenderer";

namespace {

constexpr int32_t kStrip = 16;   // columns drawn together: one 64-byte run of each page row
constexpr int32_t kCells = 64;   // the board's side: cells whose answers are kept for the frame
constexpr int32_t kDepths = 65;  // depth values 0..64
constexpr int32_t kAhead = 64;   // rows between a page row's prefetch and its writing
constexpr int32_t kChunk = 256;  // rows of a strip drawn into the tile at a time (16 KiB)
constexpr int32_t kBlock = 4;    // neighbouring strips a thread draws in a row
constexpr int32_t kRays = 64;    // neighbouring rays a thread casts in a row

FastVectors vector_limit = FastVectors::kAvx512;  // set by LIMITFASTVECTORS, read by Widest

// ---------------------------------------------------------------------------------------------
// Answers of the stores for one frame

// What the stores say about a cell: solid or not, and the image of its texture.
struct CellAnswer {
  bool solid = false;
  const platform::IMAGE* texture = nullptr;
};

CellAnswer AskStores(int32_t x, int32_t y) {
  const PROPERTY_DB_TYPE cell = PROPERTY_GET(BOARDDB, CellLabel(x, y).View());
  if (cell.LABEL.empty()) return {};
  return {true, PROPERTY_GET(TEXTUREDB, cell.VALUE).IMAGE};
}

// The answers for the cells of the board, each asked once per frame; cells outside it (rays of
// an open board) are asked every time.
class FrameCells {
 public:
  void Forget() { known_.fill(false); }
  const CellAnswer& At(int32_t x, int32_t y) {
    if (x < 0 || x >= kCells || y < 0 || y >= kCells) return outside_ = AskStores(x, y);
    const size_t i = static_cast<size_t>(y) * kCells + static_cast<size_t>(x);
    if (!known_[i]) {
      answers_[i] = AskStores(x, y);
      known_[i] = true;
    }
    return answers_[i];
  }

 private:
  std::array<bool, kCells * kCells> known_{};
  std::array<CellAnswer, kCells * kCells> answers_{};
  CellAnswer outside_;
};

// ---------------------------------------------------------------------------------------------
// Rays: the literal stepping, on locals

// -1, 0 or +1 (0 for NaN).
int32_t Sign(double v) {
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

double Frac(double v) {
  return v - std::floor(v);
}

// The ray and hit globals of one column, under their global names in lower case.
struct Ray {
  int32_t xscan, yscan, xdir, ydir;
  double incx, incy, xtemp, ytemp, d;
  double hx, hy, dist;
  int32_t bbx;
  const platform::IMAGE* texture;  // the hit cell's texture
  bool hit;                        // the ray met a wall
};

// What every ray of the frame shares: cos and sin of the heading, and the viewer's cell.
struct View {
  double cosang, sinang;
  int32_t xcell, ycell;
};

// Where the ray enters the solid cell `cell`, across a vertical grid line or a horizontal one.
void Hit(Ray& ray, double vx, double vy, const View& view, bool across_x, const CellAnswer& cell) {
  if (across_x) {
    ray.hx = ray.xscan + (ray.xdir < 0 ? 1 : 0);
    ray.hy = (ray.hx - POSX) * vy / vx + POSY;
    ray.bbx = rt::FloorInt(Frac(ray.hy) * 64);
    if (ray.xdir < 0) ray.bbx = 63 - ray.bbx;
  } else {
    ray.hy = ray.yscan + (ray.ydir < 0 ? 1 : 0);
    ray.hx = (ray.hy - POSY) * vx / vy + POSX;
    ray.bbx = rt::FloorInt(Frac(ray.hx) * 64);
    if (ray.ydir > 0) ray.bbx = 63 - ray.bbx;
  }
  ray.texture = cell.texture;
  ray.dist = (ray.hx - POSX) * view.cosang + (ray.hy - POSY) * view.sinang;
}

// Steps the ray along (vx, vy) until it enters a solid cell, as the literal ray caster does;
// hx, hy and bbx keep their values when it meets no wall, and dist is then infinite. Which way
// each step goes is chosen without a branch (a ray's steps alternate unpredictably).
void Cast(Ray& ray, double vx, double vy, const View& view, FrameCells& cells) {
  ray.hit = true;
  ray.xscan = view.xcell;
  ray.xdir = Sign(vx);
  ray.incx = std::fabs(vx);
  ray.yscan = view.ycell;
  ray.ydir = Sign(vy);
  ray.incy = std::fabs(vy);
  ray.xtemp = POSX - ray.xscan;
  if (ray.xdir > 0) ray.xtemp = 1 - ray.xtemp;
  ray.ytemp = POSY - ray.yscan;
  if (ray.ydir > 0) ray.ytemp = 1 - ray.ytemp;
  ray.d = ray.incy * ray.xtemp - ray.incx * ray.ytemp;
  for (int32_t step = 0; step < MAXRAYSTEPS; ++step) {
    const bool across_x = ray.d < 0;  // the step crosses a vertical grid line
    ray.xscan += across_x ? ray.xdir : 0;
    ray.yscan += across_x ? 0 : ray.ydir;
    const CellAnswer& cell = cells.At(ray.xscan, ray.yscan);
    if (cell.solid) {
      Hit(ray, vx, vy, view, across_x, cell);
      return;
    }
    // A NaN stays the same NaN, as in the literal caster's D + INCY and D - INCX: the select is
    // kept off it, since a compiler may fold it into one sum with the other operand first.
    const double next = across_x ? ray.d + ray.incy : ray.d - ray.incx;
    ray.d = std::isnan(ray.d) ? ray.d : next;
  }
  ray.dist = std::numeric_limits<double>::infinity();
  ray.hit = false;
}

// ---------------------------------------------------------------------------------------------
// Columns: the projection of each hit

// What the renderer needs of one column.
struct Column {
  int32_t sy1, sy2;  // first wall row, first floor row
  int32_t by, byi;   // packed texture address at row sy1, its change per row
  int32_t depth;     // CCA
  const platform::IMAGE* texture;
};

// Projects the column's wall as the literal renderer does. `by` and `byi` hold the previous wall
// column's values and are replaced when this column has a wall. False when the wall's cell lies
// outside BOARD (which the literal renderer reports as an error), or when its packed address
// does not stay negative from its first row to its last (it always does while BOARD holds 0).
bool Project(const Ray& ray, Column& column, int32_t& by, int32_t& byi) {
  const int32_t half = rt::IntDiv(YDIM, 2);
  column.sy1 = column.sy2 = half;
  column.texture = ray.texture;
  const double dist = ray.dist;
  if (dist > NEARESTWALL && std::isfinite(dist)) {
    if (ray.xscan < BOARD.LBound(1) || ray.xscan > BOARD.UBound(1) || ray.yscan < BOARD.LBound(2) ||
        ray.yscan > BOARD.UBound(2)) {
      return false;
    }
    column.sy1 = std::max(rt::FloorInt(half + (-0.5 - POSZ) * HVAL / dist), 0);
    column.sy2 = std::min(rt::FloorInt(half + (0.5 - POSZ) * HVAL / dist), YDIM);
    byi = rt::FloorInt(4194304 * dist / HVAL);
    const int32_t rows = (column.sy1 + 1 - half) * byi;  // a 32-bit product
    const int32_t start = rt::RoundInt(rows + 4194304 * POSZ + 2097151);
    const int32_t cell = BOARD.At(ray.xscan, ray.yscan, RT_HERE);
    by = (cell * 4096 + ray.bbx * 64) * 65536 + start - 268435456;
    const int64_t last = by + int64_t{byi} * (column.sy2 - column.sy1 - 1);
    if (column.sy2 > column.sy1 && last >= 0) return false;
  }
  column.by = by;
  column.byi = byi;
  column.depth = ADJUSTDEPTH(column.sy1);
  by = static_cast<int32_t>(static_cast<uint32_t>(by) +
                            static_cast<uint32_t>(byi) *
                                static_cast<uint32_t>(column.sy2 - column.sy1));
  return true;
}

// ---------------------------------------------------------------------------------------------
// Shading

// The darkening of one depth value: each byte value b becomes round(b * ADJUSTGAMMA(depth,
// GAMMA)) \ 255, kept as a byte. Where a multiplier gives the same byte for every b,
// ((256 b + offset) * scale) >> 24, runs of texels are darkened by that instead: compilers make
// it vector code, several bytes an instruction.
struct Shade {
  std::array<uint8_t, 256> table;
  bool exact = false;  // scale and offset give the table's bytes
  uint16_t scale = 0;
  uint16_t offset = 0;
};

int64_t FloorDiv(int64_t a, int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Looks for the multiplier of a shade: scale and offset such that ((256 b + offset) * scale) >> 24
// is table[b] for every byte b. Each scale near the last byte's ratio is tried; the offsets that
// fit narrow byte by byte to an interval, and a scale that leaves it empty is passed over.
void FindMultiplier(Shade& shade) {
  const int64_t top = shade.table[255];
  const int64_t first = std::max<int64_t>(1, (top << 24) / 65535);
  const int64_t last = std::min<int64_t>(65535, FloorDiv(((top + 1) << 24) - 1, 65280));
  for (int64_t scale = first; scale <= last; ++scale) {
    int64_t low = 0, high = 255;  // the offsets that fit so far
    for (int64_t b = 255; b >= 0 && low <= high; --b) {
      const int64_t base = 256 * b * scale, byte = shade.table[static_cast<size_t>(b)];
      low = std::max(low, -FloorDiv(base - (byte << 24), scale));
      high = std::min(high, FloorDiv(((byte + 1) << 24) - 1 - base, scale));
    }
    if (low <= high) {
      shade.exact = true;
      shade.scale = static_cast<uint16_t>(scale);
      shade.offset = static_cast<uint16_t>(low);
      return;
    }
  }
}

// The shades of every depth value, rebuilt when GAMMA changes.
class Shades {
 public:
  // Builds the shades for the current GAMMA unless they hold it already.
  void Follow() {
    uint64_t bits;
    std::memcpy(&bits, &GAMMA, sizeof bits);
    if (built_ && bits == gamma_bits_) return;
    for (int32_t d = 0; d < kDepths; ++d) {
      Shade& shade = shades_[static_cast<size_t>(d)];
      const double brightness = ADJUSTGAMMA(d, GAMMA);
      for (int b = 0; b < 256; ++b) {
        shade.table[b] = static_cast<uint8_t>(rt::IntDiv(rt::RoundInt(b * brightness), 255));
      }
      shade.exact = false;
      FindMultiplier(shade);
    }
    gamma_bits_ = bits;
    built_ = true;
  }
  const Shade& Of(int32_t depth) const { return shades_[static_cast<size_t>(depth)]; }

 private:
  bool built_ = false;
  uint64_t gamma_bits_ = 0;  // the bits of the GAMMA the shades hold
  std::array<Shade, kDepths> shades_;
};

uint32_t DarkenPixel(uint32_t u, const Shade& shade) {
  const uint8_t* table = shade.table.data();
  return uint32_t{table[u & 0xFF]} | uint32_t{table[(u >> 8) & 0xFF]} << 8 |
         uint32_t{table[(u >> 16) & 0xFF]} << 16 | uint32_t{table[u >> 24]} << 24;
}

// Texels `from`[0 .. count - 1] darkened into `to` by the shade's multiplier, byte by byte.
void DarkenRun(const uint32_t* from, uint32_t* to, size_t count, const Shade& shade) {
  const uint8_t* in = reinterpret_cast<const uint8_t*>(from);
  uint8_t* out = reinterpret_cast<uint8_t*>(to);
  for (size_t j = 0; j < count * sizeof(uint32_t); ++j) {
    const uint32_t x = uint32_t{in[j]} << 8 | shade.offset;
    out[j] = static_cast<uint8_t>(static_cast<uint16_t>((x * shade.scale) >> 16) >> 8);
  }
}

// Texture column y of an image as stored (transposed): image row y, indexed by texture row. An
// image smaller than 64 x 64 is read through Point (white outside it) into `copy`.
const uint32_t* TextureColumn(const platform::IMAGE* image, int32_t y, uint32_t* copy) {
  if (image->WIDTH >= 64 && image->HEIGHT >= 64) return image->Row(static_cast<uint32_t>(y));
  for (int32_t x = 0; x < 64; ++x) copy[x] = platform::Point(image, x, y);
  return copy;
}

// One texture column darkened for one depth value, each texel when first needed. A wall taller
// than its 64 texels repeats them, and its neighbouring columns show the same texture column at
// the same depth value: they all share one.
struct DarkColumn {
  const platform::IMAGE* texture = nullptr;
  int32_t y = -1;           // texture column
  int32_t depth = -1;       // depth value
  uint64_t done = 0;        // bit x set: texel[x] is darkened
  uint32_t texel[64] = {};  // read whole by vector code, so never left unset

  // Darkens the texels of `wanted` (bit x for texture row x) that are not darkened yet. Kept
  // out of line, where its loop gets registers of its own.
  [[gnu::noinline]] void Darken(uint64_t wanted, const Shade& shade) {
    uint64_t missing = wanted & ~done;
    if (missing == 0) return;
    // Whole groups of four texels, 16 bytes, which the vector code darkens without a byte-wise
    // tail: every group with a missing texel is darkened whole.
    const uint64_t groups = missing | missing >> 1 | missing >> 2 | missing >> 3;
    missing = (groups & 0x1111111111111111) * 0xF;
    const uint64_t groups_done = missing;
    uint32_t copy[64];
    const uint32_t* source = TextureColumn(texture, y, copy);
    while (missing != 0) {  // each run of missing texels
      const int first = std::countr_zero(missing);
      const int end = first + std::countr_one(missing >> first);
      if (shade.exact) {
        DarkenRun(source + first, texel + first, static_cast<size_t>(end - first), shade);
      } else {
        for (int x = first; x < end; ++x) texel[x] = DarkenPixel(source[x], shade);
      }
      missing &= end < 64 ? ~uint64_t{0} << end : 0;
    }
    done |= groups_done;
  }
};

// The darkened columns of the frame, two per texture column: the columns of a strip that show
// one texture column on a slanting wall may fall on two neighbouring depth values, and then
// keep one each.
class DarkColumns {
 public:
  void Forget() {
    for (DarkColumn& column : columns_) column.texture = nullptr;
  }
  // The first darkened texel of the first column, from which every column's are counted.
  const uint32_t* First() const { return columns_[0].texel; }
  DarkColumn& For(const platform::IMAGE* texture, int32_t y, int32_t depth) {
    DarkColumn& column = columns_[static_cast<size_t>(y + 64 * (depth & 1))];
    if (column.texture != texture || column.depth != depth) {
      column.texture = texture;
      column.y = y;
      column.depth = depth;
      column.done = 0;
    }
    return column;
  }

 private:
  std::array<DarkColumn, 128> columns_;
};

// ---------------------------------------------------------------------------------------------
// Drawing

// A pixel index i of the ramps as its step i x 320 \ area (see RAMPSTEP) and the remainder, so
// that moving along a row or down a column needs no division.
struct RampPoint {
  int64_t step;  // i x 320 = step x area + rest, 0 <= rest < area
  int64_t rest;
};

uint32_t Ceiling(const RampPoint& p) {
  return static_cast<uint32_t>(255 - p.step);
}
uint32_t Floor(const RampPoint& p) {
  return static_cast<uint32_t>(p.step / 2);
}

// The ramps of a page `width` pixels wide: the pixels they span, and what a row adds.
struct Ramps {
  int64_t area;
  int64_t row_step, row_rest;  // width x 320 = row_step x area + row_rest

  Ramps(int64_t spanned, int32_t width)
      : area(spanned),
        row_step(int64_t{width} * 320 / spanned),
        row_rest(int64_t{width} * 320 % spanned) {}
  RampPoint At(uint32_t i) const {
    const int64_t scaled = int64_t{i} * 320;
    return {scaled / area, scaled % area};
  }
  // Moves p one row down.
  void Down(RampPoint& p) const {
    p.step += row_step;
    p.rest += row_rest;
    if (p.rest >= area) p.rest -= area, ++p.step;
  }
  // Moves p one pixel to the right.
  void Right(RampPoint& p) const {
    p.rest += 320;
    for (; p.rest >= area; p.rest -= area) ++p.step;
  }
};

// `count` pixels of a row of a ramp (Ceiling or Floor) from the point p: a whole strip the ramp
// does not step in is one value.
template <uint32_t (*Value)(const RampPoint&)>
void RampRow(uint32_t* row, const Ramps& ramps, RampPoint p, int32_t count) {
  if (count == kStrip && p.rest + 320 * (kStrip - 1) < ramps.area) {
    std::fill_n(row, kStrip, Value(p));
  } else {
    for (int32_t c = 0; c < count; ++c, ramps.Right(p)) row[c] = Value(p);
  }
}

// The state of one frame's drawing.
struct Canvas {
  uint32_t* page;
  bool cleared;  // the page's memory is to be taken as 0
  int32_t width, height;
  const Shades* shades;
  DarkColumns* dark;
  Ramps ramps;
};

// Bit t & 63 for every t from `first` to `last`.
uint64_t TextureRows(int32_t first, int32_t last) {
  const int32_t n = last - first + 1;
  if (n >= 64) return ~uint64_t{0};
  return std::rotl((uint64_t{1} << n) - 1, first & 63);
}

// Rows k0 to k1 - 1 of the wall of a column with a texture (row 0 is its first wall row), into
// out[0], out[kStrip], ... Its packed address stays negative (see
// Project), so the truncating division by 65536 is a shift of the address plus 65535: row k
// shows texel t = (BY + k * BYI + 65535) >> 16, texture row t & 63 of texture column
// ceil(t / 64) & 63. The rows go in segments of one texture column each, since a wall's ends
// may reach into the texture columns beside its own. A wall shorter than its 64 texels (BYI of
// 65536 or more) shows each texel at most once and shares no texture column with its
// neighbours: its texels are darkened as they are drawn.
void DrawTexturedWall(const Canvas& canvas, const Column& column, int32_t k0, int32_t k1,
                      uint32_t* out) {
  const Shade& shade = canvas.shades->Of(column.depth);
  const int64_t byi = column.byi;
  int64_t u = int64_t{column.by} + 65535 + k0 * byi;
  for (int32_t k = k0; k < k1;) {
    const int32_t t = static_cast<int32_t>(u >> 16);
    const int32_t y = (t + 63) >> 6;
    const int64_t next = (int64_t{y} * 64 + 1) * 65536;  // where texture column y + 1 starts
    const bool stays = byi <= 0 || u + (k1 - k - 1) * byi < next;  // in column y to row k1
    const int32_t end =
        stays ? k1 : static_cast<int32_t>(std::min<int64_t>(k1, k + (next - u + byi - 1) / byi));
    // The texture row t & 63 is bits 16 to 21 of u: moved to the top of a 32-bit word, it is
    // one shift away, and the word may wrap.
    uint32_t w = static_cast<uint32_t>(u) << 10;
    const uint32_t step = static_cast<uint32_t>(byi) << 10;
    const size_t rows = static_cast<size_t>(end - k);
    uint32_t* o = out + static_cast<size_t>(k - k0) * kStrip;
    if (byi >= 65536) {
      uint32_t copy[64];
      const uint32_t* source = TextureColumn(column.texture, y & 63, copy);
      for (size_t n = 0; n < rows; ++n, w += step)
        o[n * kStrip] = DarkenPixel(source[w >> 26], shade);
    } else {
      DarkColumn& dark = canvas.dark->For(column.texture, y & 63, column.depth);
      dark.Darken(TextureRows(t, static_cast<int32_t>((u + (end - k - 1) * byi) >> 16)), shade);
      const uint32_t* texels = dark.texel;
      size_t n = 0;
      for (; n + 4 <= rows; n += 4, w += 4 * step) {
        o[n * kStrip] = texels[w >> 26];
        o[(n + 1) * kStrip] = texels[(w + step) >> 26];
        o[(n + 2) * kStrip] = texels[(w + 2 * step) >> 26];
        o[(n + 3) * kStrip] = texels[(w + 3 * step) >> 26];
      }
      for (; n < rows; ++n, w += step) o[n * kStrip] = texels[w >> 26];
    }
    u += (end - k) * byi;
    k = end;
  }
}

// Rows r0 to r1 - 1 of column x, inside its wall and without a texture: the page's own pixels,
// darkened; into out[0], out[kStrip], ...
void DrawUntexturedWall(const Canvas& canvas, const Column& column, int32_t x, int32_t r0,
                        int32_t r1, uint32_t* out) {
  const Shade& shade = canvas.shades->Of(column.depth);
  for (int32_t r = r0; r < r1; ++r) {
    const uint32_t pixel = canvas.cleared ? 0 : canvas.page[size_t(r) * canvas.width + x];
    out[static_cast<size_t>(r - r0) * kStrip] = DarkenPixel(pixel, shade);
  }
}

// Rows r0 to r1 - 1 of column x: ceiling, wall and floor, into tile[0], tile[kStrip], ...
void DrawColumn(const Canvas& canvas, const Column& column, int32_t x, int32_t r0, int32_t r1,
                uint32_t* tile) {
  const int32_t wall0 = std::clamp(column.sy1, r0, r1), wall1 = std::clamp(column.sy2, r0, r1);
  auto out = [&](int32_t r) -> uint32_t& { return tile[static_cast<size_t>(r - r0) * kStrip]; };
  const Ramps& ramps = canvas.ramps;
  if (r0 < wall0) {
    RampPoint p = ramps.At(static_cast<uint32_t>(x + r0 * canvas.width));
    for (int32_t r = r0; r < wall0; ++r, ramps.Down(p)) out(r) = Ceiling(p);
  }
  if (wall0 < wall1 && column.texture != nullptr) {
    DrawTexturedWall(canvas, column, wall0 - column.sy1, wall1 - column.sy1, &out(wall0));
  } else if (wall0 < wall1) {
    DrawUntexturedWall(canvas, column, x, wall0, wall1, &out(wall0));
  }
  if (wall1 < r1) {
    RampPoint p = ramps.At(static_cast<uint32_t>(x + wall1 * canvas.width));
    for (int32_t r = wall1; r < r1; ++r, ramps.Down(p)) out(r) = Floor(p);
  }
}

// Rows r0 to r1 - 1 of columns x0 .. x0 + count - 1, in row order: write(row, r) writes the
// row's pixels. Each page row is asked for well before it is written.
template <class Write>
void WriteRows(const Canvas& canvas, int32_t x0, int32_t r0, int32_t r1, Write write) {
  const size_t width = static_cast<size_t>(canvas.width);
  for (int32_t r = r0; r < r1; ++r) {
    uint32_t* row = canvas.page + static_cast<size_t>(r) * width + x0;
    if (r + kAhead < canvas.height) __builtin_prefetch(row + kAhead * width, 1);
    write(row, r);
  }
}

// Rows top to bottom - 1 of columns x0 .. x0 + count - 1 in chunks of kChunk rows, each drawn
// column by column into `tile` (kStrip pixels a row, small enough to stay in the nearest cache)
// and then copied row by row.
void DrawBand(const Canvas& canvas, const Column* columns, int32_t x0, int32_t count, int32_t top,
              int32_t bottom, uint32_t* tile) {
  for (int32_t r0 = top; r0 < bottom; r0 += kChunk) {
    const int32_t r1 = std::min(bottom, r0 + kChunk);
    for (int32_t c = 0; c < count; ++c) DrawColumn(canvas, columns[c], x0 + c, r0, r1, tile + c);
    WriteRows(canvas, x0, r0, r1, [&](uint32_t* row, int32_t r) {
      const uint32_t* from = tile + static_cast<size_t>(r - r0) * kStrip;
      if (count == kStrip) {
        std::memcpy(row, from, sizeof(uint32_t) * kStrip);
      } else {
        std::copy(from, from + count, row);
      }
    });
  }
}

#if defined(__x86_64__)
// Steady rows: where every column of a strip shows its one texture column through the shared
// darkened columns, a page row is 16 texels written straight to the page without the tile.
// With AVX-512 they are picked by permutes from the few darkened columns the strip shows, held
// in registers; with AVX2 alone, or from more columns, two vector gathers fetch them. Without
// AVX2 DrawBand draws them.

constexpr int32_t kSteadyRows = 8;  // fewer steady rows are left to DrawBand
constexpr int32_t kSources = 4;     // darkened columns a strip's texels are picked from at most

// The widest vectors the processor has and LIMITFASTVECTORS allows: AVX-512 picks steady rows,
// AVX2 gathers them, and without either DrawBand draws them.
FastVectors Widest() {
  static const FastVectors processor = __builtin_cpu_supports("avx512f") ? FastVectors::kAvx512
                                       : __builtin_cpu_supports("avx2")  ? FastVectors::kAvx2
                                                                         : FastVectors::kNone;
  return std::min(processor, vector_limit);
}

// Where each column of a strip shows its texture column, and how it moves down the rows.
struct SteadyStrip {
  int32_t row0, row1;              // the steady rows [row0, row1) of the page
  int32_t y[kStrip];               // each column's texture column
  alignas(64) int32_t at[kStrip];  // its darkened texels, as an index from the first one's
  alignas(64) uint32_t w[kStrip];  // texture row at row0 in the top 6 bits (see DrawTexturedWall)
  alignas(64) uint32_t step[kStrip];
  int32_t sources;                   // distinct darkened columns, 0 when over kSources
  const uint32_t* source[kSources];  // their texels
  uint16_t lanes[kSources];          // bit c: column c shows source[d]
};

// The rows from `top` to `bottom` in which every column of a full strip lies inside its textured
// wall and shows one texture column, the one of its middle row; false when fewer than
// kSteadyRows. Row k of a wall shows texture column y from the first k at which its address
// BY + k * BYI + 65535 reaches (64 y - 63) * 65536 until it reaches (64 y + 1) * 65536.
bool FindSteadyRows(const Column* columns, int32_t top, int32_t bottom, SteadyStrip& strip) {
  strip.row0 = top;
  strip.row1 = bottom;
  for (int32_t c = 0; c < kStrip; ++c) {
    const Column& column = columns[c];
    if (column.texture == nullptr || column.byi <= 0 || column.sy2 <= column.sy1) return false;
    const int64_t byi = column.byi, u0 = int64_t{column.by} + 65535;
    const int32_t rows = column.sy2 - column.sy1;
    const int32_t y = static_cast<int32_t>(((u0 + rows / 2 * byi) >> 16) + 63) >> 6;
    const int64_t from = (int64_t{y} * 64 - 63) * 65536, to = (int64_t{y} * 64 + 1) * 65536;
    const int64_t first = from <= u0 ? 0 : (from - u0 + byi - 1) / byi;
    const int64_t end =
        u0 + (rows - 1) * byi < to ? rows : std::min<int64_t>(rows, (to - u0 + byi - 1) / byi);
    strip.row0 = std::max(strip.row0, column.sy1 + static_cast<int32_t>(first));
    strip.row1 = std::min(strip.row1, column.sy1 + static_cast<int32_t>(end));
    strip.y[c] = y & 63;
  }
  return strip.row1 - strip.row0 >= kSteadyRows;
}

// The distinct darkened columns that a strip's columns show, when there are at most kSources.
void FindSources(SteadyStrip& strip, DarkColumn* const* dark) {
  strip.sources = 0;
  for (int32_t c = 0; c < kStrip; ++c) {
    int32_t d = 0;
    while (d < strip.sources && strip.source[d] != dark[c]->texel) ++d;
    if (d == kSources) {
      strip.sources = 0;
      return;
    }
    if (d == strip.sources) {
      strip.source[d] = dark[c]->texel;
      strip.lanes[d] = 0;
      ++strip.sources;
    }
    strip.lanes[d] = static_cast<uint16_t>(strip.lanes[d] | 1u << c);
  }
}

// Makes the darkened columns of `count` steady strips (of 16 columns each, side by side) hold
// every texel their steady rows show, and fills in how each column picks them; false, with
// nothing darkened, when two of the columns would need the same darkened column.
bool PrepareSteadyRows(const Canvas& canvas, const Column* columns, SteadyStrip* strips,
                       int32_t count) {
  DarkColumn* dark[2 * kStrip];
  for (int32_t c = 0; c < count * kStrip; ++c) {
    dark[c] =
        &canvas.dark->For(columns[c].texture, strips[c / kStrip].y[c % kStrip], columns[c].depth);
  }
  for (int32_t c = 0; c < count * kStrip; ++c) {
    if (dark[c]->texture != columns[c].texture || dark[c]->depth != columns[c].depth) return false;
  }
  const uint32_t* texels = canvas.dark->First();
  for (int32_t i = 0; i < count; ++i) FindSources(strips[i], dark + i * kStrip);
  for (int32_t c = 0; c < count * kStrip; ++c) {
    SteadyStrip& strip = strips[c / kStrip];
    const int32_t lane = c % kStrip;
    const Column& column = columns[c];
    const int64_t u = int64_t{column.by} + 65535 + int64_t{strip.row0 - column.sy1} * column.byi;
    const int64_t last = u + int64_t{strip.row1 - strip.row0 - 1} * column.byi;
    dark[c]->Darken(TextureRows(static_cast<int32_t>(u >> 16), static_cast<int32_t>(last >> 16)),
                    canvas.shades->Of(column.depth));
    strip.at[lane] = static_cast<int32_t>(dark[c]->texel - texels);
    strip.w[lane] = static_cast<uint32_t>(u) << 10;
    strip.step[lane] = static_cast<uint32_t>(column.byi) << 10;
  }
  return true;
}

// Rows r0 to r1 - 1 of the steady rows of the strip at x0: column c shows texel at[c] + (w[c] >>
// 26) of `texels`, w[c] moving on by step[c] a row.
[[gnu::target("avx2")]] void GatherRows(const Canvas& canvas, int32_t x0, const SteadyStrip& strip,
                                        int32_t r0, int32_t r1) {
  const __m256i* at = reinterpret_cast<const __m256i*>(strip.at);
  const __m256i* step = reinterpret_cast<const __m256i*>(strip.step);
  const __m256i* w = reinterpret_cast<const __m256i*>(strip.w);
  const __m256i at0 = _mm256_load_si256(at), at1 = _mm256_load_si256(at + 1);
  const __m256i step0 = _mm256_load_si256(step), step1 = _mm256_load_si256(step + 1);
  const __m256i skip = _mm256_set1_epi32(r0 - strip.row0);
  __m256i w0 = _mm256_add_epi32(_mm256_load_si256(w), _mm256_mullo_epi32(step0, skip));
  __m256i w1 = _mm256_add_epi32(_mm256_load_si256(w + 1), _mm256_mullo_epi32(step1, skip));
  const int* base = reinterpret_cast<const int*>(canvas.dark->First());
  const size_t width = static_cast<size_t>(canvas.width);
  for (int32_t r = r0; r < r1; ++r) {
    uint32_t* row = canvas.page + static_cast<size_t>(r) * width + x0;
    if (r + kAhead < canvas.height) __builtin_prefetch(row + kAhead * width, 1);
    const __m256i left =
        _mm256_i32gather_epi32(base, _mm256_add_epi32(at0, _mm256_srli_epi32(w0, 26)), 4);
    const __m256i right =
        _mm256_i32gather_epi32(base, _mm256_add_epi32(at1, _mm256_srli_epi32(w1, 26)), 4);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), left);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + 8), right);
    w0 = _mm256_add_epi32(w0, step0);
    w1 = _mm256_add_epi32(w1, step1);
  }
}

// The texels of a strip with D sources, in registers: each row picks each column's texel by its
// texture row, the top 6 bits of w, from the 64 texels of its source.
template <int D>
struct Picker {
  __m512i texels[D][4];
  __mmask16 lanes[D];
  __m512i w, step;

  [[gnu::target("avx512f")]] Picker(const SteadyStrip& strip, int32_t r0) {
    for (int d = 0; d < D; ++d) {
      for (int q = 0; q < 4; ++q) texels[d][q] = _mm512_loadu_si512(strip.source[d] + 16 * q);
      lanes[d] = strip.lanes[d];
    }
    step = _mm512_load_si512(strip.step);
    w = _mm512_add_epi32(_mm512_load_si512(strip.w),
                         _mm512_mullo_epi32(step, _mm512_set1_epi32(r0 - strip.row0)));
  }
  // The row's 16 texels; moves on to the next row.
  [[gnu::target("avx512f"), gnu::always_inline]] __m512i Next() {
    const __m512i row = _mm512_maskz_srli_epi32(0xFFFF, w, 26);  // (no unset source to warn of)
    const __mmask16 high = _mm512_test_epi32_mask(row, _mm512_set1_epi32(32));
    __m512i out = Pick(0, row, high);
    for (int d = 1; d < D; ++d) out = _mm512_mask_mov_epi32(out, lanes[d], Pick(d, row, high));
    w = _mm512_add_epi32(w, step);
    return out;
  }
  [[gnu::target("avx512f"), gnu::always_inline]] __m512i Pick(int d, __m512i row,
                                                              __mmask16 high) const {
    return _mm512_mask_blend_epi32(high, _mm512_permutex2var_epi32(texels[d][0], row, texels[d][1]),
                                   _mm512_permutex2var_epi32(texels[d][2], row, texels[d][3]));
  }
};

// No strip: the second of a pair that is one strip alone.
template <>
struct Picker<0> {
  Picker(const SteadyStrip&, int32_t) {}
};

// Rows r0 to r1 - 1 of the steady rows of the strip at x0 and, unless DB is 0, of the strip
// beside it, picked row by row: two runs side by side in each row. A strip's runs alone, down
// many rows, fall into a few cache sets when the page's row is a multiple of 1 KiB, and there
// their stores queue up.
template <int DA, int DB>
[[gnu::target("avx512f")]] void PickRows(const Canvas& canvas, int32_t x0, const SteadyStrip& a,
                                         const SteadyStrip& b, int32_t r0, int32_t r1) {
  Picker<DA> left(a, r0);
  Picker<DB> right(b, r0);
  const size_t width = static_cast<size_t>(canvas.width);
  for (int32_t r = r0; r < r1; ++r) {
    uint32_t* row = canvas.page + static_cast<size_t>(r) * width + x0;
    if (r + kAhead < canvas.height) {
      __builtin_prefetch(row + kAhead * width, 1);
      if constexpr (DB > 0) __builtin_prefetch(row + kAhead * width + kStrip, 1);
    }
    _mm512_storeu_si512(row, left.Next());
    if constexpr (DB > 0) _mm512_storeu_si512(row + kStrip, right.Next());
  }
}

using RowsFunction = void (*)(const Canvas&, int32_t, const SteadyStrip&, const SteadyStrip&,
                              int32_t, int32_t);

// The picking functions for every number of sources of the first strip and the second: entry
// [d - 1][e] for d and e sources, e = 0 for the first strip alone.
template <int left, int... e>
constexpr std::array<RowsFunction, kSources + 1> PickWith(std::integer_sequence<int, e...>) {
  return {PickRows<left, e>...};
}

template <int... d>
constexpr std::array<std::array<RowsFunction, kSources + 1>, kSources> PickTable(
    std::integer_sequence<int, d...>) {
  return {PickWith<d + 1>(std::make_integer_sequence<int, kSources + 1>{})...};
}

constexpr auto kPick = PickTable(std::make_integer_sequence<int, kSources>{});

// Rows r0 to r1 - 1 of a prepared strip's steady rows.
void DrawSteadyRows(const Canvas& canvas, int32_t x0, const SteadyStrip& strip, int32_t r0,
                    int32_t r1) {
  if (r0 >= r1) return;
  if (strip.sources > 0 && Widest() == FastVectors::kAvx512) {
    kPick[static_cast<size_t>(strip.sources - 1)][0](canvas, x0, strip, strip, r0, r1);
  } else {
    GatherRows(canvas, x0, strip, r0, r1);
  }
}

// The steady rows of two prepared neighbouring strips at x0: the rows both have, picked as pairs.
void DrawSteadyPair(const Canvas& canvas, int32_t x0, const SteadyStrip& a, const SteadyStrip& b) {
  const int32_t r0 = std::max(a.row0, b.row0), r1 = std::min(a.row1, b.row1);
  if (a.sources == 0 || b.sources == 0 || Widest() != FastVectors::kAvx512 || r0 >= r1) {
    DrawSteadyRows(canvas, x0, a, a.row0, a.row1);
    DrawSteadyRows(canvas, x0 + kStrip, b, b.row0, b.row1);
    return;
  }
  DrawSteadyRows(canvas, x0, a, a.row0, r0);
  DrawSteadyRows(canvas, x0 + kStrip, b, b.row0, r0);
  kPick[static_cast<size_t>(a.sources - 1)][static_cast<size_t>(b.sources)](canvas, x0, a, b, r0,
                                                                            r1);
  DrawSteadyRows(canvas, x0, a, r1, a.row1);
  DrawSteadyRows(canvas, x0 + kStrip, b, r1, b.row1);
}

// The steady rows of the full strips at x0 (`count` of them, one or two) that have any: prepared
// and drawn together where their darkened columns can all be kept, one by one otherwise, and by
// DrawBand where a strip's own columns would need the same darkened column.
void DrawSteady(const Canvas& canvas, const Column* columns, int32_t x0, SteadyStrip* strips,
                const bool* steady, int32_t count, uint32_t* tile) {
  if (count == 2 && steady[0] && steady[1] && PrepareSteadyRows(canvas, columns, strips, 2)) {
    DrawSteadyPair(canvas, x0, strips[0], strips[1]);
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    if (!steady[i]) continue;
    const Column* own = columns + i * kStrip;
    SteadyStrip& strip = strips[i];
    if (PrepareSteadyRows(canvas, own, &strip, 1)) {
      DrawSteadyRows(canvas, x0 + i * kStrip, strip, strip.row0, strip.row1);
    } else {
      DrawBand(canvas, own, x0 + i * kStrip, kStrip, strip.row0, strip.row1, tile);
    }
  }
}

// The rows from top to bottom - 1 of the strip, between the ceiling and the floor, all but its
// steady rows: true when it has them, found in `steady` for DrawSteady.
bool DrawWallsBesideSteady(const Canvas& canvas, const Column* columns, int32_t x0, int32_t count,
                           int32_t top, int32_t bottom, uint32_t* tile, SteadyStrip& steady) {
  if (count < kStrip || Widest() == FastVectors::kNone ||
      !FindSteadyRows(columns, top, bottom, steady)) {
    DrawBand(canvas, columns, x0, count, top, bottom, tile);
    return false;
  }
  DrawBand(canvas, columns, x0, count, top, steady.row0, tile);
  DrawBand(canvas, columns, x0, count, steady.row1, bottom, tile);
  return true;
}
#else
struct SteadyStrip {};

bool DrawWallsBesideSteady(const Canvas& canvas, const Column* columns, int32_t x0, int32_t count,
                           int32_t top, int32_t bottom, uint32_t* tile, SteadyStrip&) {
  DrawBand(canvas, columns, x0, count, top, bottom, tile);
  return false;
}

void DrawSteady(const Canvas&, const Column*, int32_t, SteadyStrip*, const bool*, int32_t,
                uint32_t*) {}
#endif

// Columns x0 .. x0 + count - 1 of a strip, in row order, all but its steady rows: rows above
// every wall of the strip are ceiling, rows below every wall floor, and the rows between its
// walls. True when it has steady rows, found in `steady`.
bool DrawStrip(const Canvas& canvas, const Column* columns, int32_t x0, int32_t count,
               uint32_t* tile, SteadyStrip& steady) {
  int32_t top = canvas.height, bottom = 0;
  for (int32_t c = 0; c < count; ++c) {
    top = std::min(top, columns[c].sy1);
    bottom = std::max(bottom, columns[c].sy2);
  }
  bottom = std::max(bottom, top);
  const Ramps& ramps = canvas.ramps;
  RampPoint p = ramps.At(static_cast<uint32_t>(x0));
  WriteRows(canvas, x0, 0, top, [&](uint32_t* row, int32_t) {
    RampRow<Ceiling>(row, ramps, p, count);
    ramps.Down(p);
  });
  const bool has = DrawWallsBesideSteady(canvas, columns, x0, count, top, bottom, tile, steady);
  p = ramps.At(static_cast<uint32_t>(x0 + bottom * canvas.width));
  WriteRows(canvas, x0, bottom, canvas.height, [&](uint32_t* row, int32_t) {
    RampRow<Floor>(row, ramps, p, count);
    ramps.Down(p);
  });
  return has;
}

// Columns x0 .. x0 + count - 1 of one or two strips. Their steady rows are drawn last, after
// every other row of both, so that the darkened columns they show stay as they were prepared.
void DrawStrips(const Canvas& canvas, const Column* columns, int32_t x0, int32_t count,
                uint32_t* tile) {
  const int32_t strips = (count + kStrip - 1) / kStrip;
  SteadyStrip steady[2];
  bool has[2] = {false, false};
  for (int32_t i = 0; i < strips; ++i) {
    has[i] = DrawStrip(canvas, columns + i * kStrip, x0 + i * kStrip,
                       std::min(kStrip, count - i * kStrip), tile, steady[i]);
  }
  DrawSteady(canvas, columns, x0, steady, has, strips, tile);
}

// True when every run of every column lies inside the page (see the top of this file).
bool Covers() {
  return XDIM > 0 && PPL == XDIM && XDIM == platform::ScreenWidth() &&
         YDIM == platform::ScreenHeight() && HVAL > 0 && POSZ >= -0.5 && POSZ <= 0.5;
}

// What each thread casting rays and drawing strips keeps: the answers of the stores it has
// asked, its darkened texture columns and its tile.
struct Worker {
  FrameCells cells;
  DarkColumns dark;
  std::vector<uint32_t> tile;
};

// A ray's direction.
struct Direction {
  double vx, vy;
};

// Kept from frame to frame: the shading tables (while GAMMA holds) and memory whose contents
// every frame writes anew.
struct Scratch {
  Shades shades;
  std::vector<Direction> directions;
  std::vector<Ray> rays;
  std::vector<Column> columns;
  std::vector<Worker> workers;  // one per drawing thread
};

Scratch scratch;

// Casts the ray of every column on the pool's threads, kRays columns a task: the directions
// first, in column order (each the one before plus the increment, as the literal caster adds
// them), then each ray on its own with its thread's cells. A ray that meets no wall then takes
// the hit of the ray before it (`before` for the first), as the literal caster's one ray keeps
// it. Writes: scratch.directions, scratch.rays, and the direction after the last column.
void CastAll(const View& view, const Ray& before, double& vx, double& vy) {
  const double vxinc = -2 * view.sinang / XDIM, vyinc = 2 * view.cosang / XDIM;
  vx = (view.sinang + view.cosang) + 0.5 * vxinc;
  vy = (view.sinang - view.cosang) + 0.5 * vyinc;
  for (Direction& direction : scratch.directions) {
    direction = {vx, vy};
    vx = vx + vxinc;
    vy = vy + vyinc;
  }
  for (Worker& worker : scratch.workers) worker.cells.Forget();
  const int32_t tasks = (XDIM + kRays - 1) / kRays;
  pool::Run(static_cast<int32_t>(scratch.workers.size()), tasks, [&](int32_t task, int32_t w) {
    FrameCells& cells = scratch.workers[static_cast<size_t>(w)].cells;
    for (int32_t sx = task * kRays; sx < std::min(XDIM, (task + 1) * kRays); ++sx) {
      const Direction& direction = scratch.directions[static_cast<size_t>(sx)];
      Cast(scratch.rays[static_cast<size_t>(sx)], direction.vx, direction.vy, view, cells);
    }
  });
  const Ray* last = &before;
  for (Ray& ray : scratch.rays) {
    if (!ray.hit) {
      ray.hx = last->hx;
      ray.hy = last->hy;
      ray.bbx = last->bbx;
      ray.texture = last->texture;
    }
    last = &ray;
  }
}

// Projects every column in order; false when a wall would be drawn from a cell outside BOARD.
// Writes: scratch.columns, BY and BYI after the last column.
bool ProjectAll(int32_t& by, int32_t& byi) {
  for (size_t sx = 0; sx < scratch.rays.size(); ++sx) {
    if (!Project(scratch.rays[sx], scratch.columns[sx], by, byi)) return false;
  }
  return true;
}

// Draws the strips on the pool's threads, in blocks of kBlock neighbouring strips, which share
// their darkened texture columns: every pixel belongs to one strip, and a strip reads nothing
// that another one writes, so the page is the same whatever thread draws which strip. Each
// thread draws one run of neighbouring blocks, left to right: the memory takes the threads'
// stores far better than from blocks dealt out in turn.
void DrawAll(uint32_t* page, bool cleared) {
  const Ramps ramps(RAMPAREA > 0 ? RAMPAREA : 640 * 480, XDIM);
  scratch.shades.Follow();
  for (Worker& worker : scratch.workers) worker.dark.Forget();
  constexpr int32_t kBlockWidth = kBlock * kStrip;
  const int32_t blocks = (XDIM + kBlockWidth - 1) / kBlockWidth;
  const int32_t threads = static_cast<int32_t>(scratch.workers.size());
  const int32_t per = (blocks + threads - 1) / threads;
  pool::Run(threads, threads * per, [&](int32_t task, int32_t w) {
    const int32_t block = task % threads * per + task / threads;
    if (block >= blocks) return;
    Worker& worker = scratch.workers[static_cast<size_t>(w)];
    const Canvas canvas{page, cleared, XDIM, YDIM, &scratch.shades, &worker.dark, ramps};
    const int32_t end = std::min(XDIM, (block + 1) * kBlockWidth);
    for (int32_t x0 = block * kBlockWidth; x0 < end; x0 += 2 * kStrip) {
      DrawStrips(canvas, &scratch.columns[static_cast<size_t>(x0)], x0,
                 std::min(2 * kStrip, end - x0), worker.tile.data());
    }
  });
}

// Makes room for the frame's columns and a worker for each thread THREADS asks for; false when
// memory runs out.
bool MakeRoom() {
  try {
    scratch.directions.resize(static_cast<size_t>(XDIM));
    scratch.rays.resize(static_cast<size_t>(XDIM));
    scratch.columns.resize(static_cast<size_t>(XDIM));
    scratch.workers.resize(static_cast<size_t>(pool::ThreadsFor(THREADS)));
    for (Worker& worker : scratch.workers) worker.tile.resize(size_t{kStrip} * kChunk);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

void LIMITFASTVECTORS(FastVectors widest) {
  vector_limit = widest;
}

// Reads: the viewer, XDIM, YDIM, PPL, HVAL, GAMMA, THREADS, BOARD, BOARDDB, TEXTUREDB. Writes: what
// LITERALRAYTRACE writes, with the same values.
bool STRIPRAYTRACE() {
  if (!Covers() || !MakeRoom()) return false;
  const View view{std::cos(ANG), std::sin(ANG), rt::FloorInt(POSX), rt::FloorInt(POSY)};
  Ray before{};
  before.hx = HX;
  before.hy = HY;
  before.bbx = BBX;
  double vx = 0, vy = 0;
  int32_t by = BY, byi = BYI;
  CastAll(view, before, vx, vy);
  if (!ProjectAll(by, byi)) return false;
  const Ray& ray = scratch.rays.back();
  bool cleared = false;
  PPIX = platform::ScreenPtrToOverwrite(cleared);
  DrawAll(&PPIX->U, cleared);

  COSANG = view.cosang;
  SINANG = view.sinang;
  VXINC = -2 * SINANG / XDIM;
  VYINC = 2 * COSANG / XDIM;
  VX = vx;
  VY = vy;
  SX = XDIM;
  XSCAN = ray.xscan;
  YSCAN = ray.yscan;
  XDIR = ray.xdir;
  YDIR = ray.ydir;
  INCX = ray.incx;
  INCY = ray.incy;
  XTEMP = ray.xtemp;
  YTEMP = ray.ytemp;
  D = ray.d;
  HX = ray.hx;
  HY = ray.hy;
  DIST = ray.dist;
  BBX = ray.bbx;
  const Column& last = scratch.columns.back();
  SY1 = last.sy1;
  SY2 = last.sy2;
  BY = by;
  BYI = byi;
  P = XDIM - 1 + YDIM * PPL;
  PE = PPL * YDIM;
  CCA = last.depth;
  ADJUSTEDGAMMA = ADJUSTGAMMA(CCA, GAMMA);
  return true;
}
