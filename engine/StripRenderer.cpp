// The fast path of the frame: the same picture and the same frame globals as the literal ray
// caster and column renderer, drawn at close to the cost of writing the page once.
//
// It covers a frame when every run of every column lies inside the page: PPL = XDIM = the page's
// width, YDIM = its height, HVAL > 0 and POSZ within [-0.5, 0.5] (each wall then starts at or
// above the middle row and ends at or below it), and every cell whose wall is drawn lies inside
// BOARD. Any other frame is left to the literal renderer, before anything is written.
//
// Where the time goes instead:
// - Nothing changes the stores during a frame, so each cell is asked of BOARDDB (and its texture
//   of TEXTUREDB) once per frame; nothing is remembered from one frame to the next.
// - A wall pixel's brightness depends only on the column's depth value (0..64) and GAMMA: one
//   darkening table per depth value, kept while GAMMA is unchanged. Each texel is darkened once
//   per texture column and depth value, and neighbouring columns with the same texture, texture
//   column and depth value share the darkened texels.
// - The page is row-major, the columns run down it. Columns are drawn in strips of kStrip into a
//   small column-major scratch, which is then written to the page in row order; the rows above
//   and below every wall of the strip are pure ceiling and floor ramps, computed in row order.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/StripRenderer";

namespace {

constexpr int32_t kStrip = 16;   // columns drawn together: one 64-byte run of each page row
constexpr int32_t kCells = 64;   // the board's side: cells whose answers are kept for the frame
constexpr int32_t kDepths = 65;  // depth values 0..64

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
};

// cos and sin of the frame's heading.
struct View {
  double cosang, sinang;
};

// Steps the ray along (vx, vy) until it enters a solid cell, as the literal ray caster does;
// hx, hy and bbx keep their values when it meets no wall, and dist is then infinite.
void Cast(Ray& ray, double vx, double vy, const View& view, FrameCells& cells) {
  ray.xscan = rt::FloorInt(POSX);
  ray.xdir = Sign(vx);
  ray.incx = std::fabs(vx);
  ray.yscan = rt::FloorInt(POSY);
  ray.ydir = Sign(vy);
  ray.incy = std::fabs(vy);
  ray.xtemp = POSX - ray.xscan;
  if (ray.xdir > 0) ray.xtemp = 1 - ray.xtemp;
  ray.ytemp = POSY - ray.yscan;
  if (ray.ydir > 0) ray.ytemp = 1 - ray.ytemp;
  ray.d = ray.incy * ray.xtemp - ray.incx * ray.ytemp;
  for (int32_t step = 0; step < MAXRAYSTEPS; ++step) {
    if (ray.d < 0) {
      ray.xscan = ray.xscan + ray.xdir;
      const CellAnswer& cell = cells.At(ray.xscan, ray.yscan);
      if (cell.solid) {
        ray.hx = ray.xscan + (ray.xdir < 0 ? 1 : 0);
        ray.hy = (ray.hx - POSX) * vy / vx + POSY;
        ray.bbx = rt::FloorInt(Frac(ray.hy) * 64);
        if (ray.xdir < 0) ray.bbx = 63 - ray.bbx;
        ray.texture = cell.texture;
        ray.dist = (ray.hx - POSX) * view.cosang + (ray.hy - POSY) * view.sinang;
        return;
      }
      ray.d = ray.d + ray.incy;
    } else {
      ray.yscan = ray.yscan + ray.ydir;
      const CellAnswer& cell = cells.At(ray.xscan, ray.yscan);
      if (cell.solid) {
        ray.hy = ray.yscan + (ray.ydir < 0 ? 1 : 0);
        ray.hx = (ray.hy - POSY) * vx / vy + POSX;
        ray.bbx = rt::FloorInt(Frac(ray.hx) * 64);
        if (ray.ydir > 0) ray.bbx = 63 - ray.bbx;
        ray.texture = cell.texture;
        ray.dist = (ray.hx - POSX) * view.cosang + (ray.hy - POSY) * view.sinang;
        return;
      }
      ray.d = ray.d - ray.incx;
    }
  }
  ray.dist = std::numeric_limits<double>::infinity();
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
// column's values and are replaced when this column has a wall; false when its cell lies outside
// BOARD, which the literal renderer reports as an error.
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

// Each byte value darkened for each depth value: round(b * ADJUSTGAMMA(depth, GAMMA)) \ 255,
// kept as a byte. Rebuilt when GAMMA changes.
class Shades {
 public:
  const uint8_t* Table(int32_t depth) {
    uint64_t bits;
    std::memcpy(&bits, &GAMMA, sizeof bits);
    if (!built_ || bits != gamma_bits_) {
      for (int32_t d = 0; d < kDepths; ++d) {
        const double brightness = ADJUSTGAMMA(d, GAMMA);
        for (int b = 0; b < 256; ++b) {
          tables_[d][b] = static_cast<uint8_t>(rt::IntDiv(rt::RoundInt(b * brightness), 255));
        }
      }
      gamma_bits_ = bits;
      built_ = true;
    }
    return tables_[depth].data();
  }

 private:
  bool built_ = false;
  uint64_t gamma_bits_ = 0;
  std::array<std::array<uint8_t, 256>, kDepths> tables_;
};

uint32_t Darken(uint32_t u, const uint8_t* table) {
  return uint32_t{table[u & 0xFF]} | uint32_t{table[(u >> 8) & 0xFF]} << 8 |
         uint32_t{table[(u >> 16) & 0xFF]} << 16 | uint32_t{table[u >> 24]} << 24;
}

// Texel (x, y) of a texture image as stored (transposed): x the texture row, y its column.
uint32_t Texel(const platform::IMAGE* image, int32_t x, int32_t y) {
  if (image->WIDTH >= 64 && image->HEIGHT >= 64) return image->Row(static_cast<uint32_t>(y))[x];
  return platform::Point(image, x, y);
}

// One texture column darkened for one depth value, texel by texel as walls ask for them.
struct DarkColumn {
  const platform::IMAGE* texture = nullptr;
  int32_t y = -1;      // texture column
  int32_t depth = -1;  // depth value
  uint64_t done = 0;   // bit x set: texel[x] is darkened
  uint32_t texel[64];

  uint32_t Get(int32_t x, const uint8_t* table) {
    if (!(done >> x & 1)) {
      texel[x] = Darken(Texel(texture, x, y), table);
      done |= uint64_t{1} << x;
    }
    return texel[x];
  }
};

// A few darkened columns, one per texture column modulo kWays: a wall's rows may cross into the
// neighbouring texture columns at its ends.
class DarkColumns {
 public:
  void Forget() { ways_.fill(DarkColumn{}); }
  DarkColumn& For(const platform::IMAGE* texture, int32_t y, int32_t depth) {
    DarkColumn& column = ways_[static_cast<size_t>(y) % kWays];
    if (column.texture != texture || column.y != y || column.depth != depth) {
      column.texture = texture;
      column.y = y;
      column.depth = depth;
      column.done = 0;
    }
    return column;
  }

 private:
  static constexpr size_t kWays = 4;
  std::array<DarkColumn, kWays> ways_;
};

// ---------------------------------------------------------------------------------------------
// Drawing

// The state of one frame's drawing.
struct Canvas {
  uint32_t* page;
  bool cleared;  // the page's memory is to be taken as 0
  int32_t width, height;
  Shades* shades;
  DarkColumns* dark;
};

uint32_t CeilingAt(int64_t i) {
  return static_cast<uint32_t>(255 - static_cast<int32_t>(i / 960));
}
uint32_t FloorAt(int64_t i) {
  return static_cast<uint32_t>(i / 1920);
}

// The wall rows of a column (from its first wall row down), darkened texels of its texture, or
// the page's own pixels darkened when it has none.
void DrawWall(const Canvas& canvas, const Column& column, int32_t x, uint32_t* out) {
  const uint8_t* table = canvas.shades->Table(column.depth);
  const int32_t rows = column.sy2 - column.sy1;
  if (column.texture == nullptr) {
    for (int32_t k = 0; k < rows; ++k) {
      const size_t i = static_cast<size_t>(column.sy1 + k) * canvas.width + x;
      out[k] = Darken(canvas.cleared ? 0 : canvas.page[i], table);
    }
    return;
  }
  uint32_t by = static_cast<uint32_t>(column.by);
  DarkColumn* dark = nullptr;
  for (int32_t k = 0; k < rows; ++k, by += static_cast<uint32_t>(column.byi)) {
    const int32_t addr = static_cast<int32_t>(by) / 65536;  // rounds the negative fields up
    const int32_t y = (addr / 64) & 63;
    if (dark == nullptr || dark->y != y) dark = &canvas.dark->For(column.texture, y, column.depth);
    out[k] = dark->Get(addr & 63, table);
  }
}

// Columns x0 .. x0 + count - 1: rows above every wall of the strip are ceiling, rows below every
// wall floor, both written in row order; the band between is drawn column by column into
// `scratch` and then written row by row.
void DrawStrip(const Canvas& canvas, const Column* columns, int32_t x0, int32_t count,
               uint32_t* scratch) {
  int32_t top = canvas.height, bottom = 0;
  for (int32_t c = 0; c < count; ++c) {
    top = std::min(top, columns[c].sy1);
    bottom = std::max(bottom, columns[c].sy2);
  }
  bottom = std::max(bottom, top);
  const int32_t band = bottom - top;
  const size_t width = static_cast<size_t>(canvas.width);
  for (int32_t c = 0; c < count; ++c) {
    const Column& column = columns[c];
    uint32_t* out = scratch + static_cast<size_t>(c) * band - top;  // indexed by row
    int64_t i = x0 + c + int64_t{top} * canvas.width;
    for (int32_t r = top; r < column.sy1; ++r, i += canvas.width) out[r] = CeilingAt(i);
    DrawWall(canvas, column, x0 + c, out + column.sy1);
    i = x0 + c + int64_t{column.sy2} * canvas.width;
    for (int32_t r = column.sy2; r < bottom; ++r, i += canvas.width) out[r] = FloorAt(i);
  }
  uint32_t* row = canvas.page + x0;
  int64_t i = x0;
  for (int32_t r = 0; r < top; ++r, row += width, i += canvas.width) {
    for (int32_t c = 0; c < count; ++c) row[c] = CeilingAt(i + c);
  }
  for (int32_t r = 0; r < band; ++r, row += width) {
    for (int32_t c = 0; c < count; ++c) row[c] = scratch[static_cast<size_t>(c) * band + r];
  }
  i = x0 + int64_t{bottom} * canvas.width;
  for (int32_t r = bottom; r < canvas.height; ++r, row += width, i += canvas.width) {
    for (int32_t c = 0; c < count; ++c) row[c] = FloorAt(i + c);
  }
}

// True when every run of every column lies inside the page (see the top of this file).
bool Covers() {
  return PPL == XDIM && XDIM == platform::ScreenWidth() && YDIM == platform::ScreenHeight() &&
         HVAL > 0 && POSZ >= -0.5 && POSZ <= 0.5;
}

// Scratch memory kept from frame to frame (its contents are not).
struct Scratch {
  FrameCells cells;
  Shades shades;
  DarkColumns dark;
  std::vector<Column> columns;
  std::vector<uint32_t> strip;
};

Scratch scratch;

// Casts every column; false when a wall would be drawn from a cell outside BOARD.
// Writes: scratch.columns, and the last column's ray, the direction after it and BY, BYI.
bool CastAll(const View& view, Ray& ray, double& vx, double& vy, int32_t& by, int32_t& byi) {
  const double vxinc = -2 * view.sinang / XDIM, vyinc = 2 * view.cosang / XDIM;
  vx = (view.sinang + view.cosang) + 0.5 * vxinc;
  vy = (view.sinang - view.cosang) + 0.5 * vyinc;
  scratch.cells.Forget();
  for (int32_t sx = 0; sx < XDIM; ++sx) {
    Cast(ray, vx, vy, view, scratch.cells);
    if (!Project(ray, scratch.columns[static_cast<size_t>(sx)], by, byi)) return false;
    vx = vx + vxinc;
    vy = vy + vyinc;
  }
  return true;
}

void DrawAll(uint32_t* page, bool cleared) {
  const Canvas canvas{page, cleared, XDIM, YDIM, &scratch.shades, &scratch.dark};
  scratch.dark.Forget();
  for (int32_t x0 = 0; x0 < XDIM; x0 += kStrip) {
    DrawStrip(canvas, &scratch.columns[static_cast<size_t>(x0)], x0, std::min(kStrip, XDIM - x0),
              scratch.strip.data());
  }
}

}  // namespace

// Reads: the viewer, XDIM, YDIM, PPL, HVAL, GAMMA, BOARD, BOARDDB, TEXTUREDB. Writes: what
// LITERALRAYTRACE writes, with the same values.
bool STRIPRAYTRACE() {
  if (!Covers()) return false;
  try {
    scratch.columns.resize(static_cast<size_t>(XDIM));
    scratch.strip.resize(static_cast<size_t>(kStrip) * YDIM);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const View view{std::cos(ANG), std::sin(ANG)};
  Ray ray{};
  ray.hx = HX;
  ray.hy = HY;
  ray.bbx = BBX;
  double vx = 0, vy = 0;
  int32_t by = BY, byi = BYI;
  if (!CastAll(view, ray, vx, vy, by, byi)) return false;
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
