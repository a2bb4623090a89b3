// Start-up and the frame loop.
#include <cstdlib>

#include "Support/Constants.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Main";

namespace {

// Reopens the window at XDIM x YDIM with two pages; runtime error 1 when that fails, after a hint
// that names the size.
void OPENVIEWWINDOW() {
  if (const int error = platform::ScreenRes(XDIM, YDIM, 32, 2, 0)) {
    HINT(PARAMPOSITION(), "no window of XDIM x YDIM = " + rt::Str(XDIM) + " x " + rt::Str(YDIM) +
                              " pixels opens (each side 1 to 16384, with memory for its pages)");
    RT_ABORT(error);
  }
  platform::PageSet(1, 0);
}

}  // namespace

// Writes: CMD, BOGUS, PROPERTY_TEXT_BUFFER, PROPERTY_ECHO, XDIM, YDIM, PPL, GAMMA, FILEMODE, REGS.
void STARTUP_BEGIN() {
  CHECKPROCESSOR();
  CAPTURECOMMANDLINE();
  OPENFIRSTWINDOW();
  STARTUP_DEFAULTS();
  OPENVIEWWINDOW();
}

// Writes: BOGUS, PROPERTY_TEXT_BUFFER, PROPERTY_ECHO, XDIM, YDIM, PPL, GAMMA, FILEMODE, REGS.
void STARTUP_DEFAULTS() {
  BOGUS = PROPERTY_DB_TYPE{-1, "", "", nullptr};
  PROPERTY_TEXT_BUFFER.clear();
  PROPERTY_ECHO.clear();
  XDIM = 640;
  YDIM = 480;
  PPL = XDIM;
  GAMMA = 2.2;
  FILEMODE.Redim(0, 255, RT_HERE);
  FILEMODE.At(PARAMMODE, RT_HERE) = FILETYPE{0, "params.property"};
  FILEMODE.At(TEXTUREMODE, RT_HERE) = FILETYPE{0, "textures.property"};
  REGS.Redim(0, 4, RT_HERE);
  MOTIONDEFAULTS();
}

void STARTUP_SEED() {
  platform::Randomize(platform::Timer());
}

// Reads: XDIM. Writes: HVAL, BOARD, everything the parameter file sets, and what FOLLOWPAGE sets.
void STARTUP_END() {
  HVAL = rt::RoundInt(XDIM * 0.5);
  BOARD.Redim(0, 64, 0, 64, RT_HERE);
  LOADPARAMS("params.property");
  OPENVIEWWINDOW();
  FOLLOWPAGE();
}

void STARTUP() {
  STARTUP_BEGIN();
  STARTUP_SEED();
  STARTUP_END();
}

void FRAME() {
  RAYTRACE();
  DRAWMINIMAP();
  FINISHFRAME();
}

void FINISHFRAME() {
  platform::Flip(1, 0);
  platform::Cls();
  FOLLOWPAGE();
  GOALMARK();
  MINIMAPCONTROL();
  CONTROLS();
  GOALCONTROL();
}

// Reads: the page's size. Writes: XDIM, YDIM, PPL, HVAL, RAMPAREA.
void FOLLOWPAGE() {
  if (!platform::FitPagesToWindow()) return;
  XDIM = PPL = platform::ScreenWidth();
  YDIM = platform::ScreenHeight();
  HVAL = rt::RoundInt(XDIM * 0.5);
  RAMPAREA = XDIM * YDIM;
}

void MAIN() {
  for (;;) FRAME();
}
