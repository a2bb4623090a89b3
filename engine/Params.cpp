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
// SCREENSHOTS, a folder; RESOLUTION, "window" to draw at the window's own size and anything else
// for the fixed picture) are kept by the platform; the engine never reads them. So is RECORD's
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
    {"FULLSCREEN", [](const std::string& V) { platform::SetFullscreen(rt::Val(V) != 0); }},
    {"VSYNC", [](const std::string& V) { platform::SetVsync(rt::Val(V) != 0); }},
    {"MOUSESCALE", [](const std::string& V) { platform::SetMouseScale(rt::Val(V)); }},
    {"SCREENSHOTS", [](const std::string& V) { platform::SetScreenshotFolder(V); }},
    {"RESOLUTION", [](const std::string& V) { platform::SetNativeResolution(V == "window"); }},
    {"THREADS", [](const std::string& V) { THREADS = rt::ValInt(V); }},
    {"SEED", [](const std::string& V) { APPLYSEED(V); }},
    {"MAP", [](const std::string& V) { LOADMAP(V); }},
    {"MAZE", [](const std::string&) { GENERATEMAZEDB(); }},
    {"MINIMAP", [](const std::string& V) { MINIMAPOPTION(V); }},
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

// LABEL upper-cased, without blanks (spaces and tabs).
std::string FOLDEDLABEL(const std::string& LABEL) {
  std::string folded;
  for (const char c : LABEL) {
    if (c == ' ' || c == '\t') continue;
    folded += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return folded;
}

// Applies one line's key to its value; a label that is no key is skipped, with a warning when
// it is a key but for case or blanks.
void APPLYPARAM(const std::string& LABEL, const std::string& VALUE_TEXT) {
  for (const PARAMKEY& key : PARAMKEYS) {
    if (LABEL == key.LABEL) {
      key.APPLY(VALUE_TEXT);
      return;
    }
  }
  for (const PARAMKEY& key : PARAMKEYS) {
    if (FOLDEDLABEL(LABEL) == key.LABEL) {
      HINT(PARAMPOSITION(), "warning: \"" + LABEL + "\" is not the key " + key.LABEL +
                                " (keys are upper case, without blanks); the line is skipped");
      return;
    }
  }
}

}  // namespace

void HINT(const std::string& WHERE, const std::string& WHAT) {
  platform::WriteError(WHERE + ": " + WHAT + "\n");
}

std::string PARAMPOSITION() {
  const bool KNOWN = PARAMMODE >= FILEMODE.LBound() && PARAMMODE <= FILEMODE.UBound();
  const std::string FILENAME = KNOWN ? FILEMODE.At(PARAMMODE, RT_HERE).FILENAME : "params.property";
  return PARAMLINE == 0 ? FILENAME : FILENAME + ":" + rt::Str(PARAMLINE);
}

std::vector<std::string> PARAMETERKEYS() {
  std::vector<std::string> labels;
  for (const PARAMKEY& key : PARAMKEYS) labels.emplace_back(key.LABEL);
  return labels;
}

FILETYPE& OPENLIST(int32_t SLOT, const std::string& FILENAME, const std::string& WHAT,
                   const rt::Where& at) {
  FILETYPE& slot = FILEMODE.At(SLOT, at);
  slot.FILENAME = FILENAME;
  slot.MODE = platform::FreeFile();
  if (platform::Open(slot.MODE, FILENAME, platform::OpenMode::kInput) != 0) {
    HINT(PARAMPOSITION(),
         "cannot open " + WHAT + " \"" + FILENAME + "\": " + platform::WhyNotReadable(FILENAME));
    rt::Abort(rt::kFileNotFound, at);
  }
  return slot;
}

// Reads: the file FILENAME. Writes: FILEMODE(PARAMMODE), R, PARAMLINE, and what its lines set.
// A file that cannot be opened stops the program with runtime error 2, a read that fails with
// runtime error 3, a line too long for the memory left with runtime error 4.
void LOADPARAMS(const std::string& FILENAME) {
  RT_PROCEDURE;
  PARAMLINE = 0;
  const FILETYPE& slot = OPENLIST(PARAMMODE, FILENAME, "the parameter file", RT_HERE);
  while (!platform::Eof(slot.MODE)) {
    ++PARAMLINE;
    RT_CHECK(platform::LineInput(slot.MODE, R));
    APPLYPARAM(PREFIX("=", R), SUFFIX("=", R));
  }
  PARAMLINE = 0;
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
