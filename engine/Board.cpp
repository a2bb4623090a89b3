// Board generation: a 64 x 64 board with a solid border and 1,024 random interior walls, each
// wearing a random texture, and a start position at the centre of a random open cell.
#include <cmath>

#include "Support/Property Shorthand.h"
#include "engine/CellLabel.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Board";

namespace {

// floor(r x span) + base for the next random number r.
int32_t RANDOMCELL(int32_t span, int32_t base) {
  return rt::FloorInt(platform::Rnd() * span) + base;
}

// A texture label for a wall: position floor(r x U) + 1 of TEXTUREDB, so never position 0.
// Stops the program with runtime error 6 when that position is outside the store (fewer than two
// textures), reported at `at`.
std::string PICKTEXTURE(const rt::Where& at) {
  const int32_t INDEX = RANDOMCELL(TEXTUREDB.UBound(), 1);
  if (INDEX < 0 || INDEX > TEXTUREDB.UBound()) {
    HINT(PARAMPOSITION(), "BOARD needs at least two textures loaded by TEXTURES lines before it; " +
                              rt::Str(TEXTUREDB.Count()) + " loaded");
  }
  return TEXTUREDB.At(INDEX, at).LABEL;
}

// Notes cell (x, y) as solid with texture TEX in WALLS, the board's walls in the order drawn.
void ADDWALL(PROPERTY_STORE& WALLS, int32_t x, int32_t y, std::string TEX) {
  PROPERTY_APPEND(WALLS, {-1, std::string(CellLabel(x, y).View()), std::move(TEX), nullptr});
}

}  // namespace

// Reads: TEXTUREDB. Writes: BOARDDB, X, Y, Z, VALUE, PROPERTY_ECHO, POSX, POSY, POSZ, ANG.
// The walls are drawn first and added to BOARDDB together, which ends as adding each in turn would
// (a cell drawn again takes the later texture) in O(n log n) instead of O(n^2) record moves.
void GENERATEBOARDDB() {
  PROPERTY_STORE WALLS;
  for (Z = 0; Z <= 63; ++Z) {
    ADDWALL(WALLS, Z, 0, PICKTEXTURE(RT_HERE));
    ADDWALL(WALLS, 0, Z, PICKTEXTURE(RT_HERE));
    ADDWALL(WALLS, Z, 63, PICKTEXTURE(RT_HERE));
    ADDWALL(WALLS, 63, Z, PICKTEXTURE(RT_HERE));
  }
  for (Z = 0; Z <= 1023; ++Z) {
    std::string TEX = PICKTEXTURE(RT_HERE);
    X = RANDOMCELL(62, 1);
    Y = RANDOMCELL(62, 1);
    ADDWALL(WALLS, X, Y, TEX);
  }
  PROPERTY_DATABASE_MERGE(BOARDDB, WALLS);
  do {
    X = RANDOMCELL(62, 2);
    Y = RANDOMCELL(62, 2);
    __TINKER(BOARDDB, PROPERTY_ECHO, "retrieve", std::string(CellLabel(X, Y).View()), VALUE);
  } while (!VALUE.empty());
  POSX = X + 0.5;
  POSY = Y + 0.5;
  POSZ = 0;
  ANG = platform::Rnd() * 6.283185307179586;
}
