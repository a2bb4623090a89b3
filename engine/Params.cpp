// The parameter file: one label=value line per setting, read once at start-up. Two keys start
// work instead of setting a number: TEXTURES loads a texture list and BOARD generates the board.
#include <cmath>

#include "Support/String Support.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Params";

namespace {

// The desktop window's keys, which the platform keeps and the engine never reads: FULLSCREEN
// and VSYNC (1 on, 0 off), MOUSESCALE (counts per pixel of pointer motion) and SCREENSHOTS (a
// folder). Other labels are skipped.
void APPLYDESKTOPPARAM(const std::string& LABEL, const std::string& VALUE_TEXT) {
  if (LABEL == "FULLSCREEN") {
    platform::SetFullscreen(rt::ValInt(VALUE_TEXT) != 0);
  } else if (LABEL == "VSYNC") {
    platform::SetVsync(rt::ValInt(VALUE_TEXT) != 0);
  } else if (LABEL == "MOUSESCALE") {
    platform::SetMouseScale(rt::Val(VALUE_TEXT));
  } else if (LABEL == "SCREENSHOTS") {
    platform::SetScreenshotFolder(VALUE_TEXT);
  }
}

// Applies one key to its value; unknown labels are skipped. Keys are tested in table order.
// Reads: XDIM. Writes: the global the key names.
void APPLYPARAM(const std::string& LABEL, const std::string& VALUE_TEXT) {
  if (LABEL == "XDIM") {
    XDIM = rt::ValInt(VALUE_TEXT);
  } else if (LABEL == "YDIM") {
    YDIM = rt::ValInt(VALUE_TEXT);
  } else if (LABEL == "HVAL") {
    HVAL = rt::RoundInt(XDIM * rt::Val(VALUE_TEXT));
  } else if (LABEL == "PPL") {
    PPL = rt::ValInt(VALUE_TEXT);
  } else if (LABEL == "GAMMA") {
    GAMMA = rt::Val(VALUE_TEXT);
  } else if (LABEL == "TEXTURES") {
    LOADTEXTUREDB(VALUE_TEXT);
  } else if (LABEL == "BOARD") {
    GENERATEBOARDDB();
  } else if (LABEL == "TURNRATE") {
    TURNRATE = rt::Val(VALUE_TEXT);
  } else if (LABEL == "FWMOVERATE") {
    FWMOVERATE = rt::Val(VALUE_TEXT);
  } else if (LABEL == "REVMOVERATE") {
    REVMOVERATE = rt::Val(VALUE_TEXT);
  } else {
    APPLYDESKTOPPARAM(LABEL, VALUE_TEXT);
  }
}

}  // namespace

FILETYPE& OPENLIST(int32_t SLOT, const std::string& FILENAME, const rt::Where& at) {
  FILETYPE& slot = FILEMODE.At(SLOT, at);
  slot.FILENAME = FILENAME;
  slot.MODE = platform::FreeFile();
  if (platform::Open(slot.MODE, FILENAME, platform::OpenMode::kInput) != 0) {
    rt::Abort(rt::kFileNotFound, at);
  }
  return slot;
}

// Reads: the file FILENAME. Writes: FILEMODE(PARAMMODE), R, and what its lines set.
// A file that cannot be opened stops the program with runtime error 2, a read that fails with
// runtime error 3, a line too long for the memory left with runtime error 4.
void LOADPARAMS(const std::string& FILENAME) {
  RT_PROCEDURE;
  const FILETYPE& slot = OPENLIST(PARAMMODE, FILENAME, RT_HERE);
  while (!platform::Eof(slot.MODE)) {
    RT_CHECK(platform::LineInput(slot.MODE, R));
    APPLYPARAM(PREFIX("=", R), SUFFIX("=", R));
  }
  RT_CHECK(platform::Close(slot.MODE));
}

std::string LABEL2VALUE(const std::string& LABEL) {
  if (LABEL == "XDIM") return rt::Str(XDIM);
  if (LABEL == "YDIM") return rt::Str(YDIM);
  if (LABEL == "HVAL") return rt::Str(HVAL);
  if (LABEL == "PPL") return rt::Str(PPL);
  if (LABEL == "GAMMA") return rt::Str(GAMMA);
  if (LABEL == "TURNRATE") return rt::Str(TURNRATE);
  if (LABEL == "FWMOVERATE") return rt::Str(FWMOVERATE);
  if (LABEL == "REVMOVERATE") return rt::Str(REVMOVERATE);
  if (LABEL == "TEXTURES") return FILEMODE.At(TEXTUREMODE, RT_HERE).FILENAME;
  return "";
}

int32_t PERCENTILEOFFSET(int32_t SUBJECTSPAN, int32_t CONTAINERSPAN, double PERCENTILE) {
  return rt::FloorInt(CONTAINERSPAN * PERCENTILE / 100 - SUBJECTSPAN * PERCENTILE / 100);
}
