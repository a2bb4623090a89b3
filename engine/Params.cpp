// The parameter file: one label=value line per setting, read once at start-up. Two keys start
// work instead of setting a number: TEXTURES loads a texture list and BOARD generates the board.
#include <cmath>
#include <vector>

#include "Support/String Support.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Params";

namespace {

// One key of the parameter file: its label and what a line with that label does with its value.
struct PARAMKEY {
  const char* LABEL;
  void (*APPLY)(const std::string& VALUE_TEXT);
};

// Every key the reader knows, in the order a label is tested against them: the documented keys
// first, then the extensions, which a file without them never meets. The desktop window's keys
// (FULLSCREEN and VSYNC, 1 on and 0 off; MOUSESCALE, counts per pixel of pointer motion;
// SCREENSHOTS, a folder) are kept by the platform; the engine never reads them. So is RECORD's
// session, which the platform writes. MOTION, COLLIDE and MOUSEWALK are 1 on and 0 off.
// Reads: XDIM (for HVAL). Writes: the global each key names.
constexpr PARAMKEY PARAMKEYS[] = {
    {"XDIM", [](const std::string& V) { XDIM = rt::ValInt(V); }},
    {"YDIM", [](const std::string& V) { YDIM = rt::ValInt(V); }},
    {"HVAL", [](const std::string& V) { HVAL = rt::RoundInt(XDIM * rt::Val(V)); }},
    {"PPL", [](const std::string& V) { PPL = rt::ValInt(V); }},
    {"GAMMA", [](const std::string& V) { GAMMA = rt::Val(V); }},
    {"TEXTURES", [](const std::string& V) { LOADTEXTUREDB(V); }},
    {"BOARD", [](const std::string&) { GENERATEBOARDDB(); }},
    {"TURNRATE", [](const std::string& V) { TURNRATE = rt::Val(V); }},
    {"FWMOVERATE", [](const std::string& V) { FWMOVERATE = rt::Val(V); }},
    {"REVMOVERATE", [](const std::string& V) { REVMOVERATE = rt::Val(V); }},
    // ----- extensions -----
    {"FULLSCREEN", [](const std::string& V) { platform::SetFullscreen(rt::ValInt(V) != 0); }},
    {"VSYNC", [](const std::string& V) { platform::SetVsync(rt::ValInt(V) != 0); }},
    {"MOUSESCALE", [](const std::string& V) { platform::SetMouseScale(rt::Val(V)); }},
    {"SCREENSHOTS", [](const std::string& V) { platform::SetScreenshotFolder(V); }},
    {"MOTION", [](const std::string& V) { MOTION = rt::ValInt(V) != 0; }},
    {"COLLIDE", [](const std::string& V) { COLLIDE = rt::ValInt(V) != 0; }},
    {"WALKSPEED", [](const std::string& V) { WALKSPEED = rt::Val(V); }},
    {"STRAFESPEED", [](const std::string& V) { STRAFESPEED = rt::Val(V); }},
    {"TURNSPEED", [](const std::string& V) { TURNSPEED = rt::Val(V); }},
    {"EYESPEED", [](const std::string& V) { EYESPEED = rt::Val(V); }},
    {"MOUSEWALK", [](const std::string& V) { MOUSEWALK = rt::ValInt(V) != 0; }},
    {"BINDINGS", [](const std::string& V) { LOADBINDINGS(V); }},
    {"RECORD", [](const std::string& V) { RECORDSESSION(V); }},
};

// Applies one line's key to its value; a label that is no key is skipped.
void APPLYPARAM(const std::string& LABEL, const std::string& VALUE_TEXT) {
  for (const PARAMKEY& key : PARAMKEYS) {
    if (LABEL == key.LABEL) {
      key.APPLY(VALUE_TEXT);
      return;
    }
  }
}

}  // namespace

std::vector<std::string> PARAMETERKEYS() {
  std::vector<std::string> labels;
  for (const PARAMKEY& key : PARAMKEYS) labels.emplace_back(key.LABEL);
  return labels;
}

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
