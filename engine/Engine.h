// The viewer's procedures. They take no arguments (except where the system gives them some)
// and talk through the globals of Globals.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Globals.h"

// ----- start-up and frame loop (Main.cpp) -----
// The start of start-up: checks the processor, captures the command line, opens the first
// window, sets the defaults and the file table, and opens the two-page window.
void STARTUP_BEGIN();
// The defaults of start-up: the 640 x 480 view, GAMMA, the file table and REGS.
void STARTUP_DEFAULTS();
// Seeds the random generator from Timer().
void STARTUP_SEED();
// The end of start-up: HVAL from the default width, the BOARD array, the parameter file, then
// the window at XDIM x YDIM.
void STARTUP_END();
// STARTUP_BEGIN, STARTUP_SEED and STARTUP_END in order.
void STARTUP();
// One iteration of the frame loop: draw, show, clear, then keyboard, pointer, mouse and bounds.
void FRAME();
// The frame loop's steps after RAYTRACE: show, clear, then keyboard, pointer, mouse and bounds.
void FINISHFRAME();
// The frame loop; never returns (the program ends from KEYBOARDCONTROL).
[[noreturn]] void MAIN();

// ----- controls (Controls.cpp) -----
void KEYBOARDCONTROL();
// Feeds the captured pointer's counts and buttons into REGS(2), REGS(3) and BSTATUS.
void READMOUSE();
void MOUSECONTROL();
void CONSTRAINVIEW();

// ----- continuous controls (Motion.cpp) -----
// Half the side of the square around the viewer that solid cells keep clear with COLLIDE, in
// cells: a quarter cell, as the board's border keeps.
inline constexpr double VIEWRADIUS = 0.25;
// Longest frame duration the motion follows, in seconds: a slower frame (a stall, a suspended
// process) moves as far as one of this length.
inline constexpr double MAXFRAMESECONDS = 0.1;
// Farthest the viewer moves in one frame, in cells along each axis, whatever the speeds.
inline constexpr double MAXSTEPCELLS = 64;
// The defaults of the continuous controls: off, the speeds, and the documented keys bound to the
// actions (Up, Down, Comma, Period, Left, Right, A, Z).
void MOTIONDEFAULTS();
// The frame's controls: MOTIONCONTROL with MOTION, else KEYBOARDCONTROL and MOUSECONTROL (with the
// walk of MOUSEWALK=0 left out); then SLIDEVIEWER with COLLIDE, and CONSTRAINVIEW. Reads and
// writes the viewer, CII, REGS, BSTATUS, FRAMESECONDS.
void CONTROLS();
// Moves the viewer by the held actions, the game controller's axes and the pointer's counts for a
// frame of FRAMESECONDS (at most MAXFRAMESECONDS). Reads: ACTIONKEYS, the speeds, MOUSEWALK, REGS,
// BSTATUS, COSANG, SINANG. Writes: POSX, POSY, POSZ, ANG.
void MOTIONCONTROL();
// Takes the viewer from (FROMX, FROMY) towards (POSX, POSY) in steps of at most 0.2 cells, each
// axis stopped where the viewer's square would reach a solid cell, so that it slides along walls
// and never passes through one. Reads: BOARDDB. Writes: POSX, POSY.
void SLIDEVIEWER(double FROMX, double FROMY);
// Reads the key bindings file FILENAME: each line action=key names separated by blanks; the file
// binds every action (one it does not name is unbound). An unknown action or key name ends the
// program with a message naming the file and line, then runtime error 1; a file that cannot be
// opened is runtime error 2, a failing read 3. Writes: ACTIONKEYS, FILEMODE(BINDINGSMODE).
void LOADBINDINGS(const std::string& FILENAME);
// Records the session from here on into FILENAME; runtime error 2 when it cannot be made.
void RECORDSESSION(const std::string& FILENAME);

// ----- parameter file (Params.cpp) -----
// Reads the parameter file FILENAME line by line, applying each known key as it is read.
void LOADPARAMS(const std::string& FILENAME);
// The labels of every key the parameter file knows, in the order a line's label is tested.
std::vector<std::string> PARAMETERKEYS();
// The current value of a parameter as text; empty for BOARD and unknown labels.
std::string LABEL2VALUE(const std::string& LABEL);
// Start of a span SUBJECTSPAN long whose PERCENTILE point meets that of a span CONTAINERSPAN
// long, rounded down: (100, 640, 50) gives 270.
int32_t PERCENTILEOFFSET(int32_t SUBJECTSPAN, int32_t CONTAINERSPAN, double PERCENTILE);

// Records FILENAME in FILEMODE(SLOT) and opens it for reading lines through a free file number;
// a file that cannot be opened stops the program with runtime error 2, reported at `at`.
FILETYPE& OPENLIST(int32_t SLOT, const std::string& FILENAME, const rt::Where& at);

// ----- board generation (Board.cpp) -----
// Adds a solid border and 1,024 random interior walls to BOARDDB and puts the viewer at the
// centre of a random open cell with a random heading.
void GENERATEBOARDDB();

// ----- texture loading (Textures.cpp) -----
// Loads every texture of the list FILENAME into TEXTUREDB, showing each until a key is pressed.
void LOADTEXTUREDB(const std::string& FILENAME);
// A new image holding the bitmap FILENAME, or null when it cannot be loaded. A bitmap wider or
// taller than 64 pixels keeps only its top-left 64 x 64 square, all the renderer reads. A failing
// read stops the program with runtime error 3.
platform::IMAGE* BMP_LOAD(const std::string& FILENAME);
// Transposes the top-left 64 x 64 square of PIC in place (blended over opaque black), shows it
// on a black work page and waits for a key.
void TEXTUREROTATE(platform::IMAGE* PIC);

// ----- ray caster (Raycaster.cpp) -----
// Most cells a ray crosses before it counts as meeting no wall; a ray across the whole board
// crosses at most 124.
inline constexpr int32_t MAXRAYSTEPS = 128;
// Draws one frame: through the fast path (STRIPRAYTRACE) when it covers the frame, else through
// LITERALRAYTRACE.
void RAYTRACE();
// Draws one frame with the literal renderer: casts a ray for every column and draws the column
// through RENDER.
void LITERALRAYTRACE();
// The frame set-up: the page, COSANG and SINANG, and the first column's ray direction.
void STARTFRAME();
// Casts the ray of column SX along (VX, VY) and draws the column; RENDER then advances the
// direction to the next column.
void CASTCOLUMN();

// ----- fast path (StripRenderer.cpp) -----
// Draws the frame LITERALRAYTRACE would draw and leaves the same frame globals, when every run of
// every column lies inside the page; otherwise returns false having changed nothing.
bool STRIPRAYTRACE();

// ----- column renderer (Renderer.cpp) -----
// Distance at or below which a column shows no wall rows (1/64).
inline constexpr double NEARESTWALL = 0.015625;
// Draws column SX from the ray's hit: ceiling, textured wall, floor.
void RENDER();
// Depth value of a column whose first wall row is FIRSTROW (64 for a wall reaching the top of a
// 480-row screen, 0 for one whose top is at the horizon).
int32_t ADJUSTDEPTH(int32_t FIRSTROW);
// Brightness factor 255 x (DEPTH / 255) ^ (1 / EXPONENT) of a depth value.
double ADJUSTGAMMA(double DEPTH, double EXPONENT);
void RENDERCEILINGS();
void RENDERWALLS();
void RENDERFLOORS();
