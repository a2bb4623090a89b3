// The viewer's global state. Engine procedures take no arguments and talk through these
// globals; each procedure's comment names the ones it reads and writes. "Config" globals are
// set at start-up and by the parameter file; "frame" globals are rewritten during every frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Support/Constants.h"
#include "Support/Property Core.h"
#include "platform/platform.h"
#include "platform/runtime.h"

// One entry of the table of well-known files.
struct FILETYPE {
  int32_t MODE = 0;      // file number while the file is open; 0 when constructed
  std::string FILENAME;  // the file's name
};

// Slots of FILEMODE.
inline constexpr int32_t TEXTUREMODE = 0;   // the texture list
inline constexpr int32_t PARAMMODE = 1;     // the parameter file
inline constexpr int32_t BINDINGSMODE = 2;  // the key bindings file

// ----- config -----
extern int32_t XDIM;        // window width in pixels and number of columns; default 640
extern int32_t YDIM;        // window height in pixels; default 480
extern int32_t PPL;         // pixels per work-page row used to index PPIX; default XDIM
extern int32_t HVAL;        // projection scale: rows of a unit wall at distance 1; default 320
extern double GAMMA;        // exponent of the depth shading; default 2.2
extern int32_t RAMPAREA;    // pixels of the page the ceiling and floor ramps span, XDIM x YDIM
                            // when they follow the page (FOLLOWPAGE); 0 for the fixed ramps of
                            // the 640 x 480 page
extern double TURNRATE;     // radians per turn key; 0 until the parameter file sets it
extern double FWMOVERATE;   // forward step factor; 0 until set
extern double REVMOVERATE;  // backward step factor; 0 until set
extern int32_t THREADS;  // threads drawing the fast path's strips, at most 64; 0 or less: one per
                         // core; default 0
extern rt::Array<FILETYPE> FILEMODE;  // well-known files 0..255, indexed by TEXTUREMODE, PARAMMODE

// ----- world -----
extern PROPERTY_STORE
    BOARDDB;  // solid cells: label "x,y", value = texture label; filled by board generation
extern PROPERTY_STORE
    TEXTUREDB;  // textures: label, value = image address, IMAGE = transposed texture
extern rt::Array2<int32_t>
    BOARD;  // per-cell texture number (0..64, 0..64), all 0; nothing writes it
extern rt::Array<int32_t> HASALPHA;  // per-texture flag: a texel with alpha below 255 was seen

// ----- viewer -----
extern double POSX, POSY;  // position in board units; kept within [1.25, 62.75]
extern double POSZ;        // eye offset in wall heights, positive downward; kept within [-0.5, 0.5]
extern double ANG;         // heading in radians; never wrapped

// ----- frame -----
extern double COSANG, SINANG;               // cos and sin of ANG for the frame just drawn
extern double VX, VY, VXINC, VYINC;         // ray direction of the column and its per-column change
extern int32_t SX;                          // current screen column
extern int32_t XSCAN, YSCAN, XDIR, YDIR;    // current cell and the signs of the ray's steps
extern double INCX, INCY, XTEMP, YTEMP, D;  // grid-stepping quantities
extern double HX, HY, DIST;                 // hit point and perpendicular distance
extern int32_t BBX;                         // texture column of the hit, 0..63
extern int32_t SY1, SY2;                    // first wall row and first floor row of the column
extern int32_t BY, BYI;                     // packed texture address and its increment per row
extern int32_t P, PE;                       // pixel index into the work page and end of the run
extern int32_t CCA;                         // depth value of the column
extern double ADJUSTEDGAMMA;                // brightness factor of the column's wall pixels, 0..255
extern platform::PIXEL* PPIX;  // the work page's pixels, re-read by each drawing procedure

// ----- input -----
extern std::string CII;          // the key text last returned by Inkey
extern rt::Array<int32_t> REGS;  // 0..4: element 2 horizontal, element 3 vertical motion count
extern int32_t BSTATUS;          // mouse button mask (bit 0 first button, bit 1 second)

// ----- continuous controls (keys a parameter file without them never meets) -----
// The actions that held keys, the game controller and the pointer drive, indexing ACTIONKEYS.
enum ACTION : int32_t {
  ACT_FORWARD,
  ACT_BACK,
  ACT_STRAFELEFT,
  ACT_STRAFERIGHT,
  ACT_TURNLEFT,
  ACT_TURNRIGHT,
  ACT_EYEUP,
  ACT_EYEDOWN,
  ACTIONCOUNT
};
extern int32_t
    MOTION;  // 1: held actions move the viewer every frame; 0 (default): key presses step
extern int32_t COLLIDE;     // 1: solid cells stop the viewer, who slides along them; default 0
extern double WALKSPEED;    // cells per second walked forward or back; default 3
extern double STRAFESPEED;  // cells per second sideways; default 2.5
extern double TURNSPEED;    // degrees per second turned; default 120
extern double EYESPEED;     // wall heights per second the eye rises or falls; default 1
extern int32_t
    MOUSEWALK;  // 1: vertical pointer motion walks, 0: not; -1 (default): only if !MOTION
extern std::vector<std::string> ACTIONKEYS[ACTIONCOUNT];  // held-key names per action
extern double FRAMESECONDS;  // duration of the frame just shown, in seconds, as the platform said

// ----- loading -----
extern std::string R;      // line buffer of the parameter file and texture list readers
extern std::string VALUE;  // cell value last retrieved by board generation
extern int32_t X, Y, Z;    // board generation counters; afterwards X, Y hold the start cell
extern int32_t PARAMLINE;  // number of the parameter-file line being read, from 1; 0 between files

// ----- worlds (map files, generated mazes, the goal, the minimap) -----
extern bool HASGOAL;               // the world has a goal cell: a map's marker or a maze's far end
extern int32_t GOALX, GOALY;       // the goal cell while HASGOAL
extern bool GOALREACHED;           // the viewer has stood in the goal cell and was told so
extern double GOALCLOCK;           // Timer() at the first frame's controls; negative before them
extern double WALKED;              // board units walked since the world's start, until the goal
extern double LASTPOSX, LASTPOSY;  // POSX, POSY before the frame's controls ran
extern bool MINIMAPON;        // the minimap is drawn over each frame; MINIMAP sets it, Tab toggles
extern bool MINIMAPEXPLORED;  // the minimap shows only the cells seen so far (MINIMAP=explored)
extern std::vector<uint8_t> SEEN;  // explored mode: a flag per cell (y * 64 + x), 1 once seen

// Puts every global above back to its value before start-up (stores erased with their images,
// arrays empty, numbers 0 (GOALCLOCK -1, MOUSEWALK -1), flags false, texts empty). Tests call it
// in their fixtures.
void RESETGLOBALS();
