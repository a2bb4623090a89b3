// The viewer's procedures. They take no arguments (except where the system gives them some)
// and talk through the globals of Globals.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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
// the window at XDIM x YDIM and the view following it (FOLLOWPAGE).
void STARTUP_END();
// STARTUP_BEGIN, STARTUP_SEED and STARTUP_END in order.
void STARTUP();
// One iteration of the frame loop: draw (the minimap over the frame), show, clear, follow the
// window, then the controls, the bounds and the goal.
void FRAME();
// The frame loop's steps after RAYTRACE and DRAWMINIMAP: show, clear, follow the window
// (FOLLOWPAGE), then the minimap key, keyboard, pointer, mouse, bounds and the goal.
void FINISHFRAME();
// The frame loop; never returns (the program ends from KEYBOARDCONTROL).
[[noreturn]] void MAIN();
// When the pages follow the window (platform::FitPagesToWindow), makes the view the pages' size:
// XDIM, PPL and YDIM their sides, HVAL = XDIM x 0.5 (the 90-degree field of view with square
// pixels) and RAMPAREA their pixels, so that the ramps span the page. Otherwise changes nothing.
void FOLLOWPAGE();

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
// a file that cannot be opened stops the program with runtime error 2, reported at `at`, after
// a hint that names it as WHAT ("the texture list") and says why.
FILETYPE& OPENLIST(int32_t SLOT, const std::string& FILENAME, const std::string& WHAT,
                   const rt::Where& at);
// Writes the one line "WHERE: WHAT" to the standard error stream: before a runtime-error report,
// the input that led to it and what was wrong with it; or a warning.
void HINT(const std::string& WHERE, const std::string& WHAT);
// Where the parameter file is being read, for a hint: "params.property:3" while line 3 is
// applied, the file's name alone before and after its lines.
std::string PARAMPOSITION();

// ----- board generation (Board.cpp) -----
// Adds a solid border and 1,024 random interior walls to BOARDDB and puts the viewer at the
// centre of a random open cell with a random heading.
void GENERATEBOARDDB();

// ----- worlds: map files (MapFile.cpp), mazes (Maze.cpp), seed and goal (World.cpp) -----
// Replaces the board with the map file FILENAME and puts the viewer at its start. A map that
// cannot be read stops the program with a line naming the file, line and column, then runtime
// error 1 (2 for a file that cannot be opened, 3 for a failing read).
void LOADMAP(const std::string& FILENAME);
// The board, the viewer's cell and heading and the goal as a 64 x 64 map file that LOADMAP reads
// back into the same board and start; false, with the reason in PROBLEM, when the board has a
// texture label that is no printable text, more textures than legend characters (87), or the
// viewer stands in a wall or off the board.
bool MAPTEXT(std::string& TEXT, std::string& PROBLEM);
// The cell (x, y) of a board label "x,y" with both in 0..63, written as CellLabel writes it.
bool PARSECELLLABEL(std::string_view LABEL, int32_t& x, int32_t& y);
// Replaces the board with a perfect maze (walls textured by a pick over every loaded texture),
// the start at a dead end facing its corridor and the goal at the open cell farthest from it.
// Runtime error 6 when no texture is loaded.
void GENERATEMAZEDB();
// Reseeds the random generator from a SEED line's value, a whole number 0 to 2147483647; any
// other value stops the program with a line naming the parameter file's line, then runtime error 1.
void APPLYSEED(const std::string& VALUE_TEXT);
// Puts the viewer at the centre of start cell (X, Y), eye level, and starts the goal's clock, the
// distance walked and the explored cells afresh.
void STARTWORLD();
// Notes the viewer's position before the frame's controls, and starts the goal's clock.
void GOALMARK();
// After the controls: adds the distance walked and, the first time the viewer stands in the goal
// cell, says so with the time and distance on the standard output and in the window's title.
void GOALCONTROL();

// ----- minimap (Minimap.cpp) -----
// The MINIMAP line: "explored" (on, only the cells seen so far), "on" or a non-zero number (on,
// the whole board); any other value leaves it off.
void MINIMAPOPTION(const std::string& VALUE_TEXT);
// Tab (taken from the keyboard buffer) shows or hides the minimap.
void MINIMAPCONTROL();
// Draws the minimap over the finished frame while it is on; in explored mode, also marks the
// cells the view reaches. Does nothing when the world has no minimap and Tab was never pressed.
void DRAWMINIMAP();

// ----- texture loading (Textures.cpp) -----
// Loads every texture of the list FILENAME into TEXTUREDB, showing each until a key is pressed.
void LOADTEXTUREDB(const std::string& FILENAME);
// A new image holding the bitmap FILENAME, or null when it cannot be loaded. The image is the
// bitmap's size up to the work page's (at least 64 x 64); a larger bitmap keeps the top-left
// corner of that size. A failing read stops the program with runtime error 3.
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
// The widest vector instructions the fast path may draw with; by default the widest the
// processor has. The picture is the same with any: tests lower it to check every way of drawing.
enum class FastVectors { kNone, kAvx2, kAvx512 };
void LIMITFASTVECTORS(FastVectors widest);

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
// The ramps' step at pixel index I: I x 320 \ RAMPAREA, which is I \ 960 with the fixed ramps
// (RAMPAREA 0). A ceiling pixel is 255 minus it and a floor pixel half of it, so that a page of
// any size shows the 640 x 480 page's colours at the same fractions of its height.
int64_t RAMPSTEP(int64_t I);
void RENDERCEILINGS();
void RENDERWALLS();
void RENDERFLOORS();
