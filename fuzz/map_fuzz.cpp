// The map reader: the input becomes a map file in a scratch folder, read by LOADMAP with the
// labels of the default world's seven textures loaded (without images: the reader needs labels); a
// map that loads is exported with MAPTEXT and read back.
//
// Documented end: 1 (a map that cannot be read as a map). Any other end is a finding, and so are
// a board cell outside 0..63 or wearing a texture that is not loaded, a start on a wall, and an
// export that does not load back into the same board, start and goal.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/CellLabel.h"
#include "fuzz/harness.h"

namespace {

// The board's records as label=value lines.
std::string BoardText() {
  std::string text;
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
    text += BOARDDB[i].LABEL + "=" + BOARDDB[i].VALUE + "\n";
  }
  return text;
}

void CheckBoard() {
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
    int32_t x = 0, y = 0;
    if (!PARSECELLLABEL(BOARDDB[i].LABEL, x, y)) fuzz::Finding("a cell off the board", i);
    if (PROPERTY_GET(TEXTUREDB, BOARDDB[i].VALUE).LABEL.empty())
      fuzz::Finding("a wall wearing a texture that is not loaded", i);
  }
  if (!PROPERTY_GET(BOARDDB, CellLabel(X, Y).View()).LABEL.empty())
    fuzz::Finding("the start is a wall");
}

// Exports the board, reads it back and compares.
void CheckExport() {
  const std::string board = BoardText();
  const double x = POSX, y = POSY, ang = ANG;
  const bool goal = HASGOAL;
  const int32_t gx = GOALX, gy = GOALY;
  std::string text, problem;
  if (!MAPTEXT(text, problem)) fuzz::Finding("a loaded map cannot be exported");
  fuzz::WriteFile("export.map", text);
  if (fuzz::ExitCodeOf([] { LOADMAP("export.map"); }) != -1) fuzz::Finding("no export reload");
  if (BoardText() != board) fuzz::Finding("the export gave another board");
  if (POSX != x || POSY != y || ANG != ang) fuzz::Finding("the export gave another start");
  if (HASGOAL != goal || (goal && (GOALX != gx || GOALY != gy)))
    fuzz::Finding("the export gave another goal");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::InScratchFolder scratch;
  fuzz::Reset();
  for (const char* label : {"ashlar", "brick", "metal", "moss", "stone", "tile", "wood"}) {
    PROPERTY_DATABASE_SET(TEXTUREDB, label, "0");
  }
  fuzz::WriteFile("input.map", std::string_view(reinterpret_cast<const char*>(data), size));
  const int code = fuzz::ExitCodeOf([] { LOADMAP("input.map"); });
  fuzz::ExpectExit(code, {-1, 1});
  if (code == -1) {
    CheckBoard();
    CheckExport();
  }
  if (platform::testing::OpenFileCount() != 0) fuzz::Finding("the reader left a file open");
  fuzz::Reset();
  return 0;
}
