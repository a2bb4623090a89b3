// Generated mazes: a perfect maze over the whole board, corridors one cell wide, every open cell
// reachable from every other by exactly one path; the start at a dead end, the goal at the open
// cell farthest from it.
#include <cmath>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Maze";

namespace {

constexpr int32_t SIDE = 64;                 // cells of the board along each axis
constexpr int32_t ROOMS = 31;                // rooms along each axis, at the odd cells 1 to 61
constexpr int32_t STEPX[4] = {1, 0, -1, 0};  // the four directions: east, south, west, north
constexpr int32_t STEPY[4] = {0, 1, 0, -1};

int32_t CELLINDEX(int32_t x, int32_t y) {
  return y * SIDE + x;
}

// floor(r x n) for the next random number r: 0 to n - 1.
int32_t RANDOMBELOW(int32_t n) {
  return rt::FloorInt(platform::Rnd() * n);
}

// Carves the maze into OPEN (one flag per cell) by a depth-first walk over the rooms from a
// random room: each step opens the wall to a random unvisited neighbour room, or backs up.
void CARVE(std::vector<bool>& OPEN) {
  std::vector<int32_t> stack;
  // The first room's row is drawn before its column, each in a statement of its own: the order
  // of a call's arguments is the compiler's choice, so one call drawing both would make another
  // maze from the same seed under another compiler (g++ drew the row first, clang the column).
  const int32_t FIRSTY = 2 * RANDOMBELOW(ROOMS) + 1;
  const int32_t FIRSTX = 2 * RANDOMBELOW(ROOMS) + 1;
  const int32_t first = CELLINDEX(FIRSTX, FIRSTY);
  OPEN[first] = true;
  stack.push_back(first);
  while (!stack.empty()) {
    const int32_t x = stack.back() % SIDE, y = stack.back() / SIDE;
    int32_t choices[4], count = 0;
    for (int32_t d = 0; d < 4; ++d) {
      const int32_t nx = x + 2 * STEPX[d], ny = y + 2 * STEPY[d];
      if (nx >= 1 && nx <= 2 * ROOMS - 1 && ny >= 1 && ny <= 2 * ROOMS - 1 &&
          !OPEN[CELLINDEX(nx, ny)])
        choices[count++] = d;
    }
    if (count == 0) {
      stack.pop_back();
      continue;
    }
    const int32_t d = choices[RANDOMBELOW(count)];
    OPEN[CELLINDEX(x + STEPX[d], y + STEPY[d])] = true;
    OPEN[CELLINDEX(x + 2 * STEPX[d], y + 2 * STEPY[d])] = true;
    stack.push_back(CELLINDEX(x + 2 * STEPX[d], y + 2 * STEPY[d]));
  }
}

// The open cell farthest from FROM along the open cells (the first found of the farthest).
int32_t FARTHEST(const std::vector<bool>& OPEN, int32_t FROM) {
  std::vector<int32_t> distance(OPEN.size(), -1), queue{FROM};
  distance[FROM] = 0;
  int32_t last = FROM;
  for (size_t head = 0; head < queue.size(); ++head) {
    last = queue[head];
    for (int32_t d = 0; d < 4; ++d) {
      const int32_t next = last + STEPX[d] + STEPY[d] * SIDE;
      if (OPEN[next] && distance[next] < 0) {
        distance[next] = distance[last] + 1;
        queue.push_back(next);
      }
    }
  }
  return last;
}

// The heading of the one open neighbour of dead end CELL.
double EXITHEADING(const std::vector<bool>& OPEN, int32_t CELL) {
  for (int32_t d = 0; d < 4; ++d) {
    if (OPEN[CELL + STEPX[d] + STEPY[d] * SIDE]) return d * 1.5707963267948966;
  }
  return 0;
}

// A texture label for a wall: position floor(r x (U + 1)) of TEXTUREDB, any loaded texture.
std::string PICKANYTEXTURE(const rt::Where& at) {
  return TEXTUREDB.At(RANDOMBELOW(TEXTUREDB.UBound() + 1), at).LABEL;
}

}  // namespace

// Reads: TEXTUREDB. Writes: BOARDDB (replaced), X, Y, ANG, the goal and, through STARTWORLD, the
// viewer. Stops with runtime error 6 when no texture is loaded.
void GENERATEMAZEDB() {
  RT_PROCEDURE;
  TEXTUREDB.At(0, RT_HERE);
  std::vector<bool> open(SIDE * SIDE, false);
  CARVE(open);
  const int32_t start = FARTHEST(open, CELLINDEX(1, 1));  // a dead end: a tree's far end
  const int32_t goal = FARTHEST(open, start);
  PROPERTY_STORE WALLS;
  for (int32_t cell = 0; cell < SIDE * SIDE; ++cell) {
    if (open[cell]) continue;
    PROPERTY_APPEND(WALLS, {-1, std::string(CellLabel(cell % SIDE, cell / SIDE).View()),
                            PICKANYTEXTURE(RT_HERE), nullptr});
  }
  PROPERTY_ERASE(BOARDDB);
  PROPERTY_DATABASE_MERGE(BOARDDB, WALLS);
  X = start % SIDE;
  Y = start / SIDE;
  ANG = EXITHEADING(open, start);
  HASGOAL = true;
  GOALX = goal % SIDE;
  GOALY = goal / SIDE;
  STARTWORLD();
}
