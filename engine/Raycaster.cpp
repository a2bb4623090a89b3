// The ray caster: one ray per screen column, stepped from cell to cell until it enters a solid
// cell of BOARDDB.
#include <cmath>
#include <limits>

#include "engine/CellLabel.h"
#include "engine/Engine.h"

namespace {

// -1, 0 or +1 (0 for NaN).
int32_t Sign(double v) {
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

double Frac(double v) {
  return v - std::floor(v);
}

// True when the cell has a record in BOARDDB.
bool SOLID(int32_t x, int32_t y) {
  return !PROPERTY_GET(BOARDDB, CellLabel(x, y).View()).LABEL.empty();
}

// Starts the column's ray at the viewer's cell.
// Reads: POSX, POSY, VX, VY. Writes: XSCAN, YSCAN, XDIR, YDIR, INCX, INCY, XTEMP, YTEMP, D.
void STARTRAY() {
  XSCAN = rt::FloorInt(POSX);
  XDIR = Sign(VX);
  INCX = std::fabs(VX);
  YSCAN = rt::FloorInt(POSY);
  YDIR = Sign(VY);
  INCY = std::fabs(VY);
  XTEMP = POSX - XSCAN;
  if (XDIR > 0) XTEMP = 1 - XTEMP;
  YTEMP = POSY - YSCAN;
  if (YDIR > 0) YTEMP = 1 - YTEMP;
  D = INCY * XTEMP - INCX * YTEMP;
}

// Steps the ray until it enters a solid cell and sets the hit; false when it meets no wall
// within MAXRAYSTEPS cells (an open board, or a viewer state such as NaN).
// Writes: XSCAN, YSCAN, D, HX, HY, BBX.
bool STEPRAY() {
  for (int32_t step = 0; step < MAXRAYSTEPS; ++step) {
    if (D < 0) {
      XSCAN = XSCAN + XDIR;
      if (SOLID(XSCAN, YSCAN)) {
        HX = XSCAN + (XDIR < 0 ? 1 : 0);
        HY = (HX - POSX) * VY / VX + POSY;
        BBX = rt::FloorInt(Frac(HY) * 64);
        if (XDIR < 0) BBX = 63 - BBX;
        return true;
      }
      D = D + INCY;
    } else {
      YSCAN = YSCAN + YDIR;
      if (SOLID(XSCAN, YSCAN)) {
        HY = YSCAN + (YDIR < 0 ? 1 : 0);
        HX = (HY - POSY) * VX / VY + POSX;
        BBX = rt::FloorInt(Frac(HX) * 64);
        if (YDIR > 0) BBX = 63 - BBX;
        return true;
      }
      D = D - INCX;
    }
  }
  return false;
}

}  // namespace

// Reads: ANG, XDIM. Writes: PPIX, COSANG, SINANG, VXINC, VX, VYINC, VY.
void STARTFRAME() {
  PPIX = platform::ScreenPtr();
  COSANG = std::cos(ANG);
  SINANG = std::sin(ANG);
  VXINC = -2 * SINANG / XDIM;
  VX = (SINANG + COSANG) + 0.5 * VXINC;
  VYINC = 2 * COSANG / XDIM;
  VY = (SINANG - COSANG) + 0.5 * VYINC;
}

// Reads: the viewer, VX, VY, COSANG, SINANG, BOARDDB. Writes: the ray globals, DIST, and what
// RENDER writes. A ray that meets no wall gets an infinite DIST, which RENDER draws without wall
// rows.
void CASTCOLUMN() {
  STARTRAY();
  if (STEPRAY()) {
    DIST = (HX - POSX) * COSANG + (HY - POSY) * SINANG;
  } else {
    DIST = std::numeric_limits<double>::infinity();
  }
  RENDER();
}

// Writes: SX and everything STARTFRAME and CASTCOLUMN write.
void LITERALRAYTRACE() {
  STARTFRAME();
  for (SX = 0; SX < XDIM; SX = SX + 1) CASTCOLUMN();
}

// The one place that chooses a renderer: the fast path draws every frame it covers.
void RAYTRACE() {
  if (!STRIPRAYTRACE()) LITERALRAYTRACE();
}
