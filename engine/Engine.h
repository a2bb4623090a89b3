// The viewer's procedures. They take no arguments (except where the system gives them some)
// and talk through the globals of Globals.h.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Globals.h"

// ----- start-up and frame loop (Main.cpp) -----
// Start-up steps 1 to 8: processor check, command line, first window, defaults, two-page window.
void STARTUP_BEGIN();
// Start-up step 9: seeds the random generator from Timer().
void STARTUP_SEED();
// Start-up steps 10 to 13: HVAL, BOARD, the parameter file, the window at XDIM x YDIM.
void STARTUP_END();
// Start-up steps 1 to 13 in order.
void STARTUP();
// One iteration of the frame loop: draw, show, clear, then keyboard, mouse and bounds.
void FRAME();
// The frame loop; never returns (the program ends from KEYBOARDCONTROL).
[[noreturn]] void MAIN();

// ----- controls (Controls.cpp) -----
void KEYBOARDCONTROL();
void MOUSECONTROL();
void CONSTRAINVIEW();

// ----- parameter file (Params.cpp) -----
void LOADPARAMS(const std::string& FILENAME);
std::string LABEL2VALUE(const std::string& LABEL);
int32_t PERCENTILEOFFSET(int32_t SUBJECTSPAN, int32_t CONTAINERSPAN, double PERCENTILE);

// ----- ray caster (Raycaster.cpp) -----
void RAYTRACE();
