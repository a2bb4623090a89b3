// The column renderer: projects the wall, packs the texture address, and paints the column's
// ceiling, wall and floor runs straight into the work page.
//
// A run visits the pixel indices P, P + PPL, ... below PE. Every run is clipped to the work page
// once, before it starts: indices outside the page are neither read nor written, and P (and BY
// for the wall) still end where the whole run would leave them. A run with PPL of 0 or less
// would never reach its end; it is drawn as empty.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/CellLabel.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Renderer";

namespace {

// The in-page part of the run from P to PE in steps of PPL.
struct Run {
  int64_t count = 0;  // indices in the whole run
  int64_t first = 0;  // first step that lies inside the page
  int64_t last = 0;   // one past the last step that lies inside the page
};

Run PLANRUN(int32_t pe) {
  Run run;
  if (PPL <= 0 || P >= pe) return run;
  const int64_t step = PPL, start = P;
  const int64_t page = int64_t{platform::ScreenWidth()} * platform::ScreenHeight();
  run.count = (int64_t{pe} - start + step - 1) / step;
  run.first = start >= 0 ? 0 : (step - 1 - start) / step;
  run.last = page > start ? std::min(run.count, (page - start + step - 1) / step) : 0;
  run.first = std::min(run.first, run.last);
  return run;
}

// The int32 value v + count * step, wrapping like the system's integer arithmetic.
int32_t Advance(int32_t v, int64_t count, int32_t step) {
  return static_cast<int32_t>(static_cast<uint32_t>(v) +
                              static_cast<uint32_t>(count) * static_cast<uint32_t>(step));
}

// Stops with runtime error 7, reported at `at`, when a run that has pixels finds no work page.
void CHECKPAGE(const Run& run, const rt::Where& at) {
  if (run.count > 0 && PPIX == nullptr) rt::Abort(rt::kNullPointer, at);
}

// Each byte value b darkened by the column's brightness: round(b * ADJUSTEDGAMMA) \ 255, kept as
// a byte. The table is rebuilt only when the brightness changes from one column to the next.
const uint8_t* DARKENINGTABLE() {
  static uint8_t table[256];
  static uint64_t built_for = ~uint64_t{0};  // bits of the brightness the table holds (a NaN)
  uint64_t bits;
  std::memcpy(&bits, &ADJUSTEDGAMMA, sizeof bits);
  if (bits != built_for) {
    for (int b = 0; b < 256; ++b) {
      table[b] = static_cast<uint8_t>(rt::IntDiv(rt::RoundInt(b * ADJUSTEDGAMMA), 255));
    }
    built_for = bits;
  }
  return table;
}

uint32_t Darken(uint32_t u, const uint8_t* table) {
  return uint32_t{table[u & 0xFF]} | uint32_t{table[(u >> 8) & 0xFF]} << 8 |
         uint32_t{table[(u >> 16) & 0xFF]} << 16 | uint32_t{table[u >> 24]} << 24;
}

// Texel (x, y) of a texture image: image x runs down the bitmap's rows (the texture row) and
// image y across its columns, since textures are stored transposed.
uint32_t Texel(const platform::IMAGE* image, int32_t x, int32_t y) {
  if (image->WIDTH >= 64 && image->HEIGHT >= 64) return image->Row(static_cast<uint32_t>(y))[x];
  return platform::Point(image, x, y);
}

}  // namespace

// Reads: SX, XSCAN, YSCAN, BBX, DIST, YDIM, HVAL, POSZ, GAMMA, BOARD.
// Writes: PPIX, SY1, SY2, BYI, BY (not when DIST <= 1/64 or there is no wall), CCA, ADJUSTEDGAMMA.
void RENDER() {
  PPIX = platform::ScreenPtr();
  const int32_t half = rt::IntDiv(YDIM, 2);
  if (DIST <= NEARESTWALL || !std::isfinite(DIST)) {
    SY1 = SY2 = half;
  } else {
    SY1 = rt::FloorInt(half + (-0.5 - POSZ) * HVAL / DIST);
    SY2 = rt::FloorInt(half + (0.5 - POSZ) * HVAL / DIST);
    if (SY1 < 0) SY1 = 0;
    if (SY2 > YDIM) SY2 = YDIM;
    BYI = rt::FloorInt(4194304 * DIST / HVAL);
    const int32_t rows = (SY1 + 1 - half) * BYI;  // a 32-bit product
    BY = rt::RoundInt(rows + 4194304 * POSZ + 2097151);
    BY = (BOARD.At(XSCAN, YSCAN, RT_HERE) * 4096 + BBX * 64) * 65536 + BY - 268435456;
  }
  CCA = ADJUSTDEPTH(SY1);
  ADJUSTEDGAMMA = ADJUSTGAMMA(CCA, GAMMA);
  RENDERCEILINGS();
  RENDERWALLS();
  RENDERFLOORS();
}

// Reads: YDIM.
int32_t ADJUSTDEPTH(int32_t FIRSTROW) {
  return rt::IntDiv((rt::IntDiv(YDIM, 2) - FIRSTROW) * 128, YDIM);
}

double ADJUSTGAMMA(double DEPTH, double EXPONENT) {
  return 255 * std::pow(DEPTH / 255, 1 / EXPONENT);
}

// Reads: RAMPAREA.
int64_t RAMPSTEP(int64_t I) {
  const int64_t area = RAMPAREA > 0 ? RAMPAREA : 640 * 480;
  return I * 320 / area;
}

// Paints rows 0 to SY1 - 1 of column SX with the ceiling ramp 255 - RAMPSTEP(P) (255 - P \ 960
// with the fixed ramps). Reads: SX, SY1, PPL, RAMPAREA. Writes: PPIX, P, PE.
void RENDERCEILINGS() {
  PPIX = platform::ScreenPtr();
  P = SX;
  PE = PPL * SY1;
  const Run run = PLANRUN(PE);
  CHECKPAGE(run, RT_HERE);
  for (int64_t k = run.first; k < run.last; ++k) {
    const int64_t i = P + k * PPL;
    PPIX[i].U = static_cast<uint32_t>(255 - RAMPSTEP(i));
  }
  P = Advance(P, run.count, PPL);
}

// Paints rows SY1 to SY2 - 1 of column SX with the cell's texture, darkened. The cell and its
// texture are the same for every pixel of the column, so they are looked up once.
// Reads: XSCAN, YSCAN, SY2, PPL, ADJUSTEDGAMMA, BOARDDB, TEXTUREDB. Writes: PPIX, P, PE, BY.
void RENDERWALLS() {
  PPIX = platform::ScreenPtr();
  PE = PPL * SY2;
  const Run run = PLANRUN(PE);
  CHECKPAGE(run, RT_HERE);
  if (run.first < run.last) {
    const PROPERTY_DB_TYPE cell = PROPERTY_GET(BOARDDB, CellLabel(XSCAN, YSCAN).View());
    const platform::IMAGE* texture = PROPERTY_GET(TEXTUREDB, cell.VALUE).IMAGE;
    const uint8_t* table = DARKENINGTABLE();
    int32_t by = Advance(BY, run.first, BYI);
    for (int64_t k = run.first; k < run.last; ++k, by = Advance(by, 1, BYI)) {
      platform::PIXEL& pixel = PPIX[P + k * PPL];
      const int32_t addr = by / 65536;  // truncates toward zero: rounds the negative fields up
      if (texture != nullptr) pixel.U = Texel(texture, addr & 63, (addr / 64) & 63);
      pixel.U = Darken(pixel.U, table);
    }
  }
  BY = Advance(BY, run.count, BYI);
  P = Advance(P, run.count, PPL);
}

// Paints rows SY2 to YDIM - 1 of column SX with the floor ramp RAMPSTEP(P) \ 2 (P \ 1920 with
// the fixed ramps), then advances the ray direction to the next column.
// Reads: YDIM, PPL, RAMPAREA, VXINC, VYINC. Writes: PPIX, P, PE, VX, VY.
void RENDERFLOORS() {
  PPIX = platform::ScreenPtr();
  PE = PPL * YDIM;
  const Run run = PLANRUN(PE);
  CHECKPAGE(run, RT_HERE);
  for (int64_t k = run.first; k < run.last; ++k) {
    const int64_t i = P + k * PPL;
    PPIX[i].U = static_cast<uint32_t>(RAMPSTEP(i) / 2);
  }
  P = Advance(P, run.count, PPL);
  VX = VX + VXINC;
  VY = VY + VYINC;
}
