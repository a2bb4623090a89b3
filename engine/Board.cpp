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
  return TEXTUREDB.At(INDEX, at).LABEL;
}

// Makes cell (x, y) solid with texture TEX (a solid cell takes the new texture).
// Writes: BOARDDB, PROPERTY_ECHO.
void ADDWALL(int32_t x, int32_t y, std::string TEX) {
  __TINKER(BOARDDB, PROPERTY_ECHO, "add", std::string(CellLabel(x, y).View()), TEX);
}

}  // namespace

// Reads: TEXTUREDB. Writes: BOARDDB, X, Y, Z, VALUE, PROPERTY_ECHO, POSX, POSY, POSZ, ANG.
void GENERATEBOARDDB() {
  for (Z = 0; Z <= 63; ++Z) {
    ADDWALL(Z, 0, PICKTEXTURE(RT_HERE));
    ADDWALL(0, Z, PICKTEXTURE(RT_HERE));
    ADDWALL(Z, 63, PICKTEXTURE(RT_HERE));
    ADDWALL(63, Z, PICKTEXTURE(RT_HERE));
  }
  for (Z = 0; Z <= 1023; ++Z) {
    std::string TEX = PICKTEXTURE(RT_HERE);
    X = RANDOMCELL(62, 1);
    Y = RANDOMCELL(62, 1);
    ADDWALL(X, Y, TEX);
  }
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
