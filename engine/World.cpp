// What the map reader and the maze generator share: the reproducible seed, the start of a
// world, and the goal, whose reaching is told in the title and on the standard output.
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/World";

namespace {

constexpr int32_t MAXSEED = 2147483647;

// True when TEXT is a whole number from 0 to MAXSEED written in decimal digits only.
bool ISSEED(const std::string& TEXT) {
  if (TEXT.empty() || TEXT.size() > 10) return false;
  int64_t value = 0;
  for (char c : TEXT) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= MAXSEED;
}

}  // namespace

// Reads: PARAMLINE, FILEMODE(PARAMMODE). Reseeds the random generator.
void APPLYSEED(const std::string& VALUE_TEXT) {
  if (!ISSEED(VALUE_TEXT)) {
    platform::WriteError(FILEMODE.At(PARAMMODE, RT_HERE).FILENAME + ":" + rt::Str(PARAMLINE) +
                         ":6: SEED needs a whole number from 0 to 2147483647, not '" + VALUE_TEXT +
                         "'\n");
    RT_ABORT(rt::kIllegalFunctionCall);
  }
  platform::Randomize(rt::ValInt(VALUE_TEXT));
}

// Reads: X, Y. Writes: POSX, POSY, POSZ, GOALREACHED, GOALCLOCK, WALKED, SEEN.
void STARTWORLD() {
  POSX = X + 0.5;
  POSY = Y + 0.5;
  POSZ = 0;
  GOALREACHED = false;
  GOALCLOCK = -1;
  WALKED = 0;
  SEEN.assign(SEEN.size(), 0);
}

// Reads: POSX, POSY, Timer(). Writes: LASTPOSX, LASTPOSY and, at the first frame, GOALCLOCK.
void GOALMARK() {
  LASTPOSX = POSX;
  LASTPOSY = POSY;
  if (GOALCLOCK < 0) GOALCLOCK = platform::Timer();
}

// Reads: HASGOAL, GOALX, GOALY, POSX, POSY, LASTPOSX, LASTPOSY, GOALCLOCK. Writes: WALKED,
// GOALREACHED; tells of the goal on the standard output and in the window's title once.
void GOALCONTROL() {
  if (!HASGOAL || GOALREACHED) return;
  const double step = std::hypot(POSX - LASTPOSX, POSY - LASTPOSY);
  if (std::isfinite(step)) WALKED += step;
  if (rt::FloorInt(POSX) != GOALX || rt::FloorInt(POSY) != GOALY) return;
  GOALREACHED = true;
  char message[128];
  std::snprintf(message, sizeof message, "Goal reached in %.1f seconds, %.1f cells walked",
                platform::Timer() - GOALCLOCK, WALKED);
  std::printf("%s\n", message);
  std::fflush(stdout);
  platform::SetTitleNote(message);
}
