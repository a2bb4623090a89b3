// Player controls: keys and mouse counts move the viewer; the bounds keep it on the board.
// The mouse counts come from the desktop window's captured pointer.
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Controls";

namespace {

// ASCII letters to upper case; every other byte stays.
std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Applies one key text; keys that match no row are ignored.
// Reads: COSANG, SINANG, TURNRATE, FWMOVERATE, REVMOVERATE. Writes: ANG, POSX, POSY, POSZ.
void APPLYKEY(const std::string& key) {
  if (key == platform::kLeft) {
    ANG = ANG - 1.0 * TURNRATE;
  } else if (key == platform::kRight) {
    ANG = ANG + 1.0 * TURNRATE;
  } else if (key == "<" || key == ",") {
    POSX = POSX + 0.25 * SINANG;
    POSY = POSY - 0.25 * COSANG;
  } else if (key == ">" || key == ".") {
    POSX = POSX - 0.25 * SINANG;
    POSY = POSY + 0.25 * COSANG;
  } else if (key == platform::kUp) {
    POSX = POSX + FWMOVERATE * COSANG * 0.25;
    POSY = POSY + FWMOVERATE * SINANG * 0.25;
  } else if (key == platform::kDown) {
    POSX = POSX - REVMOVERATE * COSANG * 0.25;
    POSY = POSY - REVMOVERATE * SINANG * 0.25;
  } else if (UpperCase(key) == "A") {
    POSZ = POSZ + (-0.05);
  } else if (UpperCase(key) == "Z") {
    POSZ = POSZ + 0.05;
  } else if (key == platform::kEscape || key == platform::kClose) {
    RT_CHECK(platform::Screen(0));
    platform::End(0);
  }
}

}  // namespace

// Drains the keyboard buffer, applying each key in turn. Writes: CII and the viewer.
void KEYBOARDCONTROL() {
  for (;;) {
    CII = platform::Inkey();
    if (CII.empty()) return;
    APPLYKEY(CII);
  }
}

// Writes: REGS(2), REGS(3), BSTATUS from the captured pointer; without a pointer (headless) they
// keep their values.
void READMOUSE() {
  int32_t horizontal = 0, vertical = 0, buttons = 0;
  if (!platform::TakeMouse(horizontal, vertical, buttons)) return;
  REGS.At(2, RT_HERE) = horizontal;
  REGS.At(3, RT_HERE) = vertical;
  BSTATUS = buttons;
}

// Reads: REGS(2), REGS(3), BSTATUS, COSANG, SINANG. Writes: ANG, POSX, POSY, POSZ.
void MOUSECONTROL() {
  const double horizontal = REGS.At(2, RT_HERE);
  const double vertical = REGS.At(3, RT_HERE);
  if ((BSTATUS & 2) == 0) {
    ANG = ANG + horizontal * 0.01;
  } else {
    POSX = POSX + horizontal * SINANG * (-0.02);
    POSY = POSY - horizontal * COSANG * (-0.02);
  }
  if ((BSTATUS & 1) == 0) {
    POSX = POSX + vertical * COSANG * (-0.02);
    POSY = POSY + vertical * SINANG * (-0.02);
  } else {
    POSZ = POSZ + vertical * 0.02;
  }
}

// Keeps POSX and POSY within [1.25, 62.75] and POSZ within [-0.5, 0.5].
void CONSTRAINVIEW() {
  if (POSX < 1.25)
    POSX = 1.25;
  else if (POSX > 62.75)
    POSX = 62.75;
  if (POSY < 1.25)
    POSY = 1.25;
  else if (POSY > 62.75)
    POSY = 62.75;
  if (POSZ < -0.5)
    POSZ = -0.5;
  else if (POSZ > 0.5)
    POSZ = 0.5;
}
