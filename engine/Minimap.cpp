// The minimap: an overlay map of the board's walled part in the picture's top right corner, drawn
// over the finished frame while it is on (walls, open cells, the goal, the viewer's cell and
// heading). In explored mode it shows only the cells that the view has reached so far.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/Engine.h"

namespace {

constexpr int32_t SIDE = 64;        // cells of the board along each axis
constexpr int32_t MARGIN = 8;       // pixels between the map and the picture's edges
constexpr int32_t SEENRAYS = 65;    // rays across the field of view that mark seen cells
constexpr char TOGGLEKEY[] = "\t";  // the key that shows and hides the map
constexpr uint32_t WALLCOLOUR = 0xFFB0B0B0;
constexpr uint32_t OPENCOLOUR = 0xFF202020;
constexpr uint32_t GOALCOLOUR = 0xFF00D000;
constexpr uint32_t VIEWERCOLOUR = 0xFFFF3030;
constexpr uint32_t HEADINGCOLOUR = 0xFFFFFF00;

// The walls of the board, one flag per cell (index y * 64 + x), rebuilt from BOARDDB when its
// labels may have changed: reading them costs as much as drawing a 640 x 480 frame.
std::vector<uint8_t> WALLGRID;
// BOARDDB.Resizes() when WALLGRID was built.
uint64_t WALLSREAD = 0;
// The smallest rectangle of cells holding every wall (the part of the board the map shows).
int32_t WALLLEFT, WALLTOP, WALLRIGHT, WALLBOTTOM;

void READWALLS() {
  if (!WALLGRID.empty() && WALLSREAD == BOARDDB.Resizes()) return;
  WALLSREAD = BOARDDB.Resizes();
  WALLGRID.assign(SIDE * SIDE, 0);
  WALLLEFT = WALLTOP = SIDE - 1;
  WALLRIGHT = WALLBOTTOM = 0;
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
    int32_t x = 0, y = 0;
    if (!PARSECELLLABEL(BOARDDB[i].LABEL, x, y)) continue;
    WALLGRID[y * SIDE + x] = 1;
    WALLLEFT = std::min(WALLLEFT, x);
    WALLRIGHT = std::max(WALLRIGHT, x);
    WALLTOP = std::min(WALLTOP, y);
    WALLBOTTOM = std::max(WALLBOTTOM, y);
  }
}

bool ONBOARD(int32_t x, int32_t y) {
  return x >= 0 && x < SIDE && y >= 0 && y < SIDE;
}

// Marks the cells a ray from the viewer along (DX, DY) crosses, up to and including the first
// wall, as seen.
void CASTSEEN(double DX, double DY) {
  int32_t cx = rt::FloorInt(POSX), cy = rt::FloorInt(POSY);
  const int32_t stepx = DX < 0 ? -1 : 1, stepy = DY < 0 ? -1 : 1;
  const double ddx = DX == 0 ? 1e30 : std::fabs(1 / DX), ddy = DY == 0 ? 1e30 : std::fabs(1 / DY);
  double tx = (DX < 0 ? POSX - cx : cx + 1 - POSX) * ddx;
  double ty = (DY < 0 ? POSY - cy : cy + 1 - POSY) * ddy;
  for (int32_t step = 0; step < MAXRAYSTEPS && ONBOARD(cx, cy); ++step) {
    SEEN[cy * SIDE + cx] = 1;
    if (WALLGRID[cy * SIDE + cx]) return;
    if (tx < ty) {
      tx += ddx;
      cx += stepx;
    } else {
      ty += ddy;
      cy += stepy;
    }
  }
}

// Marks what the 90-degree field of view reaches from the viewer's position.
void EXPLORE() {
  SEEN.resize(SIDE * SIDE, 0);
  if (!std::isfinite(POSX) || !std::isfinite(POSY) || !std::isfinite(ANG)) return;
  const double fx = std::cos(ANG), fy = std::sin(ANG);
  for (int32_t i = 0; i < SEENRAYS; ++i) {
    const double t = 2.0 * i / (SEENRAYS - 1) - 1;
    CASTSEEN(fx - t * fy, fy + t * fx);
  }
}

// The colour of cell (x, y) on the map; 0 for a cell that is not shown.
uint32_t CELLCOLOUR(int32_t x, int32_t y) {
  if (MINIMAPEXPLORED && !SEEN[y * SIDE + x]) return 0;
  if (WALLGRID[y * SIDE + x]) return WALLCOLOUR;
  return HASGOAL && x == GOALX && y == GOALY ? GOALCOLOUR : OPENCOLOUR;
}

// Draws the map with cells of CELL pixels, cell (0, 0) at (LEFT, TOP) on the work page.
void DRAWMAP(int32_t LEFT, int32_t TOP, int32_t CELL) {
  for (int32_t y = WALLTOP; y <= WALLBOTTOM; ++y) {
    for (int32_t x = WALLLEFT; x <= WALLRIGHT; ++x) {
      if (const uint32_t colour = CELLCOLOUR(x, y)) {
        platform::Line(nullptr, LEFT + x * CELL, TOP + y * CELL, LEFT + x * CELL + CELL - 1,
                       TOP + y * CELL + CELL - 1, colour, platform::kFilledBox);
      }
    }
  }
}

// Draws the viewer's cell and a heading line three cells long.
void DRAWVIEWER(int32_t LEFT, int32_t TOP, int32_t CELL) {
  const int32_t vx = rt::FloorInt(POSX), vy = rt::FloorInt(POSY);
  if (!ONBOARD(vx, vy)) return;
  const int32_t x = LEFT + vx * CELL, y = TOP + vy * CELL;
  platform::Line(nullptr, x, y, x + CELL - 1, y + CELL - 1, VIEWERCOLOUR, platform::kFilledBox);
  if (!std::isfinite(ANG)) return;
  const int32_t cx = x + CELL / 2, cy = y + CELL / 2;
  platform::Line(nullptr, cx, cy, cx + rt::RoundInt(std::cos(ANG) * 3 * CELL),
                 cy + rt::RoundInt(std::sin(ANG) * 3 * CELL), HEADINGCOLOUR, platform::kLine);
}

}  // namespace

// Writes: MINIMAPON, MINIMAPEXPLORED.
void MINIMAPOPTION(const std::string& VALUE_TEXT) {
  MINIMAPEXPLORED = VALUE_TEXT == "explored";
  MINIMAPON = MINIMAPEXPLORED || VALUE_TEXT == "on" || rt::ValInt(VALUE_TEXT) != 0;
}

// Takes every press of the toggle key from the keyboard buffer. Writes: MINIMAPON.
void MINIMAPCONTROL() {
  if (platform::TakeKey(TOGGLEKEY) % 2 == 1) MINIMAPON = !MINIMAPON;
}

// Reads: BOARDDB, POSX, POSY, ANG, the goal, MINIMAPON, MINIMAPEXPLORED. Writes: SEEN (explored
// mode) and, while the map is on, the work page. Does nothing in a world without the minimap.
void DRAWMINIMAP() {
  if (!MINIMAPON && !MINIMAPEXPLORED) return;
  READWALLS();
  if (MINIMAPEXPLORED) EXPLORE();
  if (!MINIMAPON) return;
  const int32_t width = platform::ScreenWidth(), height = platform::ScreenHeight();
  const int32_t cell = std::max(1, std::min(width, height) / 160);
  const int32_t left = std::max(0, width - (WALLRIGHT + 1) * cell - MARGIN);
  const int32_t top = MARGIN - WALLTOP * cell;
  DRAWMAP(left, top, cell);
  DRAWVIEWER(left, top, cell);
}
