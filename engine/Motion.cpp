// Continuous controls: the held actions, the game controller and the pointer move the viewer by
// speed x the frame's duration; solid cells hold the viewer, who slides along them. Beside them
// the key bindings file and the session recording. Without the parameter file's MOTION and
// COLLIDE the frame's controls are KEYBOARDCONTROL and MOUSECONTROL as they are.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Support/String Support.h"
#include "engine/CellLabel.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Motion";

namespace {

// The labels of the actions in a bindings file, in the order of ACTION.
constexpr const char* ACTIONNAMES[ACTIONCOUNT] = {
    "forward", "back", "strafeleft", "straferight", "turnleft", "turnright", "eyeup", "eyedown"};

// 1 while a key bound to the action is held, else 0. Reads: ACTIONKEYS.
double HELD(ACTION action) {
  for (const std::string& key : ACTIONKEYS[action]) {
    if (platform::KeyHeld(key)) return 1;
  }
  return 0;
}

// VALUE limited to [-LIMIT, LIMIT], NaN counting as 0.
double BOUNDED(double value, double limit) {
  return std::isnan(value) ? 0.0 : std::clamp(value, -limit, limit);
}

// True for a cell outside the board or one BOARDDB holds. Reads: BOARDDB.
bool SOLID(int32_t CX, int32_t CY) {
  if (CX < 0 || CY < 0 || CX > 63 || CY > 63) return true;
  return !PROPERTY_GET(BOARDDB, CellLabel(CX, CY).View()).LABEL.empty();
}

bool SOLIDAT(bool XAXIS, int32_t ALONG, int32_t ACROSS) {
  return XAXIS ? SOLID(ALONG, ACROSS) : SOLID(ACROSS, ALONG);
}

// The viewer's square covers the cells from FloorInt(C - VIEWRADIUS) to this one along an axis.
int32_t LASTCELL(double C) {
  return -rt::FloorInt(-(C + VIEWRADIUS)) - 1;
}

// The coordinate ALONG one axis after a step of STEP (at most a cell), stopped at the face of
// the first solid cell that the viewer's square, spanning ACROSS +- VIEWRADIUS on the other axis,
// would newly reach. Cells it already overlaps do not stop it, so that it can leave them.
double SLIDE(bool XAXIS, double ALONG, double ACROSS, double STEP) {
  const double TO = ALONG + STEP;
  const int32_t FIRSTROW = rt::FloorInt(ACROSS - VIEWRADIUS), LASTROW = LASTCELL(ACROSS);
  const bool FORWARD = STEP > 0;
  const int32_t FROM = FORWARD ? LASTCELL(ALONG) + 1 : rt::FloorInt(ALONG - VIEWRADIUS) - 1;
  const int32_t UNTIL = FORWARD ? LASTCELL(TO) : rt::FloorInt(TO - VIEWRADIUS);
  for (int32_t CELL = FROM, N = 0; N < 2 && (FORWARD ? CELL <= UNTIL : CELL >= UNTIL);
       CELL += FORWARD ? 1 : -1, ++N) {
    for (int32_t ROW = FIRSTROW, M = 0; ROW <= LASTROW && M < 2; ++ROW, ++M) {
      if (SOLIDAT(XAXIS, CELL, ROW)) return FORWARD ? CELL - VIEWRADIUS : CELL + 1 + VIEWRADIUS;
    }
  }
  return TO;
}

// Drains the keyboard buffer; only the quit keys act (the held keys move the viewer).
// Writes: CII.
void QUITKEYS() {
  for (;;) {
    CII = platform::Inkey();
    if (CII.empty()) return;
    if (CII == platform::kEscape || CII == platform::kClose) {
      RT_CHECK(platform::Screen(0));
      platform::End(0);
    }
  }
}

// A bindings file's refusal: the message naming the file and line, then runtime error 1.
[[noreturn]] void REFUSEBINDING(const std::string& FILENAME, int32_t LINE, const std::string& WHY,
                                const rt::Where& at) {
  platform::WriteError(FILENAME + ": line " + std::to_string(LINE) + ": " + WHY + "\n");
  rt::Abort(rt::kIllegalFunctionCall, at);
}

// The action a bindings label names, or ACTIONCOUNT.
int32_t ACTIONOF(const std::string& LABEL) {
  for (int32_t A = 0; A < ACTIONCOUNT; ++A) {
    if (LABEL == ACTIONNAMES[A]) return A;
  }
  return ACTIONCOUNT;
}

// The blank-separated words of TEXT.
std::vector<std::string> WORDS(const std::string& TEXT) {
  std::vector<std::string> words;
  for (size_t at = 0; (at = TEXT.find_first_not_of(' ', at)) != std::string::npos;) {
    const size_t end = std::min(TEXT.find(' ', at), TEXT.size());
    words.push_back(TEXT.substr(at, end - at));
    at = end;
  }
  return words;
}

}  // namespace

void MOTIONDEFAULTS() {
  MOTION = COLLIDE = 0;
  MOUSEWALK = -1;
  WALKSPEED = 3;
  STRAFESPEED = 2.5;
  TURNSPEED = 120;
  EYESPEED = 1;
  FRAMESECONDS = 0;
  ACTIONKEYS[ACT_FORWARD] = {"Up"};
  ACTIONKEYS[ACT_BACK] = {"Down"};
  ACTIONKEYS[ACT_STRAFELEFT] = {"Comma"};
  ACTIONKEYS[ACT_STRAFERIGHT] = {"Period"};
  ACTIONKEYS[ACT_TURNLEFT] = {"Left"};
  ACTIONKEYS[ACT_TURNRIGHT] = {"Right"};
  ACTIONKEYS[ACT_EYEUP] = {"A"};
  ACTIONKEYS[ACT_EYEDOWN] = {"Z"};
}

void CONTROLS() {
  const double FROMX = POSX, FROMY = POSY;
  if (MOTION != 0) {
    QUITKEYS();
    READMOUSE();
    FRAMESECONDS = platform::TakeFrameSeconds();
    MOTIONCONTROL();
  } else {
    KEYBOARDCONTROL();
    READMOUSE();
    FRAMESECONDS = platform::TakeFrameSeconds();
    if (MOUSEWALK == 0 && (BSTATUS & 1) == 0) REGS.At(3, RT_HERE) = 0;
    MOUSECONTROL();
  }
  if (COLLIDE != 0) SLIDEVIEWER(FROMX, FROMY);
  CONSTRAINVIEW();
}

void MOTIONCONTROL() {
  const double SECONDS =
      std::clamp(std::isnan(FRAMESECONDS) ? 0.0 : FRAMESECONDS, 0.0, MAXFRAMESECONDS);
  const double WALK =
      HELD(ACT_FORWARD) - HELD(ACT_BACK) - platform::AxisValue(platform::kAxisLeftY);
  const double SIDE =
      HELD(ACT_STRAFERIGHT) - HELD(ACT_STRAFELEFT) + platform::AxisValue(platform::kAxisLeftX);
  const double TURN =
      HELD(ACT_TURNRIGHT) - HELD(ACT_TURNLEFT) + platform::AxisValue(platform::kAxisRightX);
  const double EYE = HELD(ACT_EYEDOWN) - HELD(ACT_EYEUP) +
                     platform::AxisValue(platform::kAxisRightTrigger) -
                     platform::AxisValue(platform::kAxisLeftTrigger);
  const double HORIZONTAL = REGS.At(2, RT_HERE), VERTICAL = REGS.At(3, RT_HERE);
  double FORWARD = WALK * WALKSPEED * SECONDS, RIGHT = SIDE * STRAFESPEED * SECONDS;
  double TURNED = TURN * TURNSPEED * SECONDS * (std::numbers::pi / 180);
  double LOWERED = EYE * EYESPEED * SECONDS;
  if ((BSTATUS & 2) != 0) {
    RIGHT += HORIZONTAL * 0.02;
  } else {
    TURNED += HORIZONTAL * 0.01;
  }
  if ((BSTATUS & 1) != 0) {
    LOWERED += VERTICAL * 0.02;
  } else if (MOUSEWALK == 1) {
    FORWARD -= VERTICAL * 0.02;
  }
  FORWARD = BOUNDED(FORWARD, MAXSTEPCELLS);
  RIGHT = BOUNDED(RIGHT, MAXSTEPCELLS);
  POSX = POSX + FORWARD * COSANG - RIGHT * SINANG;
  POSY = POSY + FORWARD * SINANG + RIGHT * COSANG;
  ANG = ANG + BOUNDED(TURNED, 2 * std::numbers::pi);
  POSZ = POSZ + BOUNDED(LOWERED, 1);
}

void SLIDEVIEWER(double FROMX, double FROMY) {
  if (!std::isfinite(FROMX) || !std::isfinite(FROMY)) return;
  const double DX = BOUNDED(POSX - FROMX, MAXSTEPCELLS), DY = BOUNDED(POSY - FROMY, MAXSTEPCELLS);
  const int32_t STEPS = std::max(1, -rt::FloorInt(-std::max(std::fabs(DX), std::fabs(DY)) / 0.2));
  POSX = FROMX;
  POSY = FROMY;
  for (int32_t I = 0; I < STEPS; ++I) {
    POSX = SLIDE(true, POSX, POSY, DX / STEPS);
    POSY = SLIDE(false, POSY, POSX, DY / STEPS);
  }
}

void LOADBINDINGS(const std::string& FILENAME) {
  RT_PROCEDURE;
  const FILETYPE& slot = OPENLIST(BINDINGSMODE, FILENAME, "the bindings file", RT_HERE);
  for (std::vector<std::string>& keys : ACTIONKEYS) keys.clear();
  std::string LINE;
  for (int32_t NUMBER = 1; !platform::Eof(slot.MODE); ++NUMBER) {
    RT_CHECK(platform::LineInput(slot.MODE, LINE));
    if (LINE.find('=') == std::string::npos) continue;
    const int32_t A = ACTIONOF(PREFIX("=", LINE));
    if (A == ACTIONCOUNT) {
      std::string known;
      for (const char* name : ACTIONNAMES) known += " " + std::string(name);
      REFUSEBINDING(FILENAME, NUMBER,
                    "unknown action \"" + PREFIX("=", LINE) + "\" (actions:" + known + ")",
                    RT_HERE);
    }
    ACTIONKEYS[A].clear();
    for (const std::string& key : WORDS(SUFFIX("=", LINE))) {
      if (!platform::IsKeyName(key)) {
        REFUSEBINDING(FILENAME, NUMBER,
                      "unknown key \"" + key + "\" (keys: " + platform::KeyNameList() + ")",
                      RT_HERE);
      }
      ACTIONKEYS[A].push_back(key);
    }
  }
  RT_CHECK(platform::Close(slot.MODE));
}

void RECORDSESSION(const std::string& FILENAME) {
  RT_CHECK(platform::RecordSession(FILENAME));
}
