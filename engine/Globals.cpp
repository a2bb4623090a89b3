#include "engine/Globals.h"

int32_t XDIM = 0;
int32_t YDIM = 0;
int32_t PPL = 0;
int32_t HVAL = 0;
double GAMMA = 0;
int32_t RAMPAREA = 0;
int32_t THREADS = 0;
double TURNRATE = 0;
double FWMOVERATE = 0;
double REVMOVERATE = 0;
rt::Array<FILETYPE> FILEMODE;

PROPERTY_STORE BOARDDB;
PROPERTY_STORE TEXTUREDB;
rt::Array2<int32_t> BOARD;
rt::Array<int32_t> HASALPHA;

double POSX = 0, POSY = 0, POSZ = 0, ANG = 0;

double COSANG = 0, SINANG = 0;
double VX = 0, VY = 0, VXINC = 0, VYINC = 0;
int32_t SX = 0;
int32_t XSCAN = 0, YSCAN = 0, XDIR = 0, YDIR = 0;
double INCX = 0, INCY = 0, XTEMP = 0, YTEMP = 0, D = 0;
double HX = 0, HY = 0, DIST = 0;
int32_t BBX = 0;
int32_t SY1 = 0, SY2 = 0;
int32_t BY = 0, BYI = 0;
int32_t P = 0, PE = 0;
int32_t CCA = 0;
double ADJUSTEDGAMMA = 0;
platform::PIXEL* PPIX = nullptr;

std::string CII;
rt::Array<int32_t> REGS;
int32_t BSTATUS = 0;

int32_t MOTION = 0;
int32_t COLLIDE = 0;
double WALKSPEED = 0, STRAFESPEED = 0, TURNSPEED = 0, EYESPEED = 0;
int32_t MOUSEWALK = -1;
std::vector<std::string> ACTIONKEYS[ACTIONCOUNT];
double FRAMESECONDS = 0;

std::string R;
std::string VALUE;
int32_t X = 0, Y = 0, Z = 0;
int32_t PARAMLINE = 0;

bool HASGOAL = false;
int32_t GOALX = 0, GOALY = 0;
bool GOALREACHED = false;
double GOALCLOCK = -1;
double WALKED = 0;
double LASTPOSX = 0, LASTPOSY = 0;
bool MINIMAPON = false;
bool MINIMAPEXPLORED = false;
std::vector<uint8_t> SEEN;

void RESETGLOBALS() {
  CMD.Erase();
  XDIM = YDIM = PPL = HVAL = RAMPAREA = 0;
  GAMMA = TURNRATE = FWMOVERATE = REVMOVERATE = 0;
  THREADS = 0;
  FILEMODE.Erase();
  PROPERTY_ERASE(BOARDDB);
  PROPERTY_ERASE(TEXTUREDB);
  BOARD = rt::Array2<int32_t>();
  HASALPHA.Erase();
  POSX = POSY = POSZ = ANG = 0;
  COSANG = SINANG = VX = VY = VXINC = VYINC = 0;
  SX = XSCAN = YSCAN = XDIR = YDIR = 0;
  INCX = INCY = XTEMP = YTEMP = D = HX = HY = DIST = 0;
  BBX = SY1 = SY2 = BY = BYI = P = PE = CCA = 0;
  ADJUSTEDGAMMA = 0;
  PPIX = nullptr;
  CII.clear();
  REGS.Erase();
  BSTATUS = 0;
  MOTION = COLLIDE = 0;
  MOUSEWALK = -1;
  WALKSPEED = STRAFESPEED = TURNSPEED = EYESPEED = FRAMESECONDS = 0;
  for (std::vector<std::string>& keys : ACTIONKEYS) keys.clear();
  R.clear();
  VALUE.clear();
  X = Y = Z = 0;
  PARAMLINE = 0;
  HASGOAL = GOALREACHED = false;
  GOALX = GOALY = 0;
  GOALCLOCK = -1;
  WALKED = LASTPOSX = LASTPOSY = 0;
  MINIMAPON = MINIMAPEXPLORED = false;
  std::vector<uint8_t>().swap(SEEN);
  PROPERTY_ECHO.clear();
  PROPERTY_TEXT_BUFFER.clear();
}
