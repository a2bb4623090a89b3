// The SDL backend's input: keyboard events become key texts and held keys, the window's own keys
// act at once, the captured pointer's motion and buttons are gathered for TakeMotion, and game
// controllers (opened as they are plugged in) report their sticks and triggers.
#include <SDL.h>

#include <map>
#include <string>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/sdl_window.h"

namespace platform::backend {

namespace {

struct Pointer {
  bool captured = false;
  int dx = 0;  // motion since the last TakeMotion, in pixels
  int dy = 0;
  int buttons = 0;  // bit 0 the first (left) button, bit 1 the second (right)
};

Pointer pointer;  // the window's pointer

int screenshots_wanted = 0;        // presses of F12 or Print Screen since the last DispatchEvents
bool controllers_started = false;  // the game controller subsystem runs
std::map<SDL_JoystickID, SDL_GameController*> controllers;  // the controllers plugged in

// The held-key name of a key (platform::KeyNames), or the empty text.
std::string KeyName(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return std::string(1, static_cast<char>('A' + key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return std::string(1, static_cast<char>('0' + key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F9) return "F" + std::to_string(1 + key - SDLK_F1);
  static const std::map<SDL_Keycode, const char*> names = {{SDLK_UP, "Up"},
                                                           {SDLK_DOWN, "Down"},
                                                           {SDLK_LEFT, "Left"},
                                                           {SDLK_RIGHT, "Right"},
                                                           {SDLK_SPACE, "Space"},
                                                           {SDLK_RETURN, "Enter"},
                                                           {SDLK_ESCAPE, "Escape"},
                                                           {SDLK_TAB, "Tab"},
                                                           {SDLK_BACKSPACE, "Backspace"},
                                                           {SDLK_HOME, "Home"},
                                                           {SDLK_END, "End"},
                                                           {SDLK_PAGEUP, "PageUp"},
                                                           {SDLK_PAGEDOWN, "PageDown"},
                                                           {SDLK_INSERT, "Insert"},
                                                           {SDLK_DELETE, "Delete"},
                                                           {SDLK_COMMA, "Comma"},
                                                           {SDLK_PERIOD, "Period"},
                                                           {SDLK_SLASH, "Slash"},
                                                           {SDLK_SEMICOLON, "Semicolon"},
                                                           {SDLK_QUOTE, "Quote"},
                                                           {SDLK_MINUS, "Minus"},
                                                           {SDLK_EQUALS, "Equals"},
                                                           {SDLK_LEFTBRACKET, "LeftBracket"},
                                                           {SDLK_RIGHTBRACKET, "RightBracket"},
                                                           {SDLK_BACKSLASH, "Backslash"},
                                                           {SDLK_BACKQUOTE, "Backquote"},
                                                           {SDLK_LSHIFT, "LeftShift"},
                                                           {SDLK_RSHIFT, "RightShift"},
                                                           {SDLK_LCTRL, "LeftCtrl"},
                                                           {SDLK_RCTRL, "RightCtrl"},
                                                           {SDLK_LALT, "LeftAlt"},
                                                           {SDLK_RALT, "RightAlt"}};
  const auto found = names.find(key);
  return found == names.end() ? std::string() : found->second;
}

// The extended-key letter of a special key, or 0.
char ExtendedLetter(SDL_Keycode key) {
  switch (key) {
    case SDLK_UP:
      return 'H';
    case SDLK_DOWN:
      return 'P';
    case SDLK_LEFT:
      return 'K';
    case SDLK_RIGHT:
      return 'M';
    case SDLK_HOME:
      return 'G';
    case SDLK_END:
      return 'O';
    case SDLK_PAGEUP:
      return 'I';
    case SDLK_PAGEDOWN:
      return 'Q';
    case SDLK_INSERT:
      return 'R';
    case SDLK_DELETE:
      return 'S';
    default:
      return 0;
  }
}

// The window's own keys; true when the key was one (it then reaches no one else). Held keys
// act once.
bool WindowKey(const SDL_KeyboardEvent& event) {
  const SDL_Keycode key = event.keysym.sym;
  const bool alt_enter = key == SDLK_RETURN && (event.keysym.mod & KMOD_ALT) != 0;
  if (key != SDLK_F10 && key != SDLK_F11 && key != SDLK_F12 && key != SDLK_PRINTSCREEN &&
      !alt_enter) {
    return false;
  }
  if (event.repeat != 0) return true;
  if (key == SDLK_F10) {
    sdl::ReleasePointer();
  } else if (key == SDLK_F11 || alt_enter) {
    sdl::ToggleFullscreen();
  } else {
    ++screenshots_wanted;
  }
  return true;
}

// Key events for the keys that produce no text: Escape, Enter, Backspace, Tab and the
// extended keys. Key repeat arrives as further key-down events and is kept.
void KeyDown(const SDL_KeyboardEvent& event) {
  if (WindowKey(event)) return;
  const SDL_Keycode key = event.keysym.sym;
  platform::KeyDown(KeyName(key));
  if (key == SDLK_ESCAPE)
    PushKey(kEscape);
  else if (key == SDLK_RETURN || key == SDLK_KP_ENTER)
    PushKey(kEnter);
  else if (key == SDLK_BACKSPACE)
    PushKey(kBackspace);
  else if (key == SDLK_TAB)
    PushKey("\t");
  else if (const char letter = ExtendedLetter(key))
    PushKey(std::string{'\xff', letter});
}

// Typed text arrives in UTF-8; characters up to U+00FF become one byte each, others are dropped.
void TextInput(const char* text) {
  for (const unsigned char* s = reinterpret_cast<const unsigned char*>(text); *s != 0;) {
    if (*s < 0x80) {
      PushKey(std::string(1, static_cast<char>(*s++)));
    } else if ((*s & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) {
      const unsigned code = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
      if (code < 0x100) PushKey(std::string(1, static_cast<char>(code)));
      s += 2;
    } else {
      ++s;
      while ((*s & 0xC0) == 0x80) ++s;
    }
  }
}

// The button's bit in the mask, or 0 for the other buttons.
int ButtonBit(Uint8 button) {
  return button == SDL_BUTTON_LEFT ? 1 : button == SDL_BUTTON_RIGHT ? 2 : 0;
}

// A click in the window captures the pointer (that click counts as no button); once captured,
// the buttons are gathered.
void MouseButton(const SDL_MouseButtonEvent& event) {
  if (!pointer.captured) {
    if (event.type == SDL_MOUSEBUTTONDOWN && SDL_SetRelativeMouseMode(SDL_TRUE) == 0) {
      pointer = Pointer{};
      pointer.captured = true;
    }
  } else if (event.type == SDL_MOUSEBUTTONDOWN) {
    pointer.buttons |= ButtonBit(event.button);
  } else {
    pointer.buttons &= ~ButtonBit(event.button);
  }
}

void MouseMotion(const SDL_MouseMotionEvent& event) {
  if (!pointer.captured) return;
  pointer.dx += event.xrel;
  pointer.dy += event.yrel;
}

// The axis of a controller axis, or -1.
int AxisOf(Uint8 axis) {
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
      return kAxisLeftX;
    case SDL_CONTROLLER_AXIS_LEFTY:
      return kAxisLeftY;
    case SDL_CONTROLLER_AXIS_RIGHTX:
      return kAxisRightX;
    case SDL_CONTROLLER_AXIS_RIGHTY:
      return kAxisRightY;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
      return kAxisLeftTrigger;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
      return kAxisRightTrigger;
    default:
      return -1;
  }
}

// A controller plugged in is opened (SDL reports those present at start as plugged in); one
// unplugged is closed and, when it was the last, the axes rest.
void ControllerDevice(const SDL_ControllerDeviceEvent& event) {
  if (event.type == SDL_CONTROLLERDEVICEADDED) {
    if (SDL_GameController* pad = SDL_GameControllerOpen(event.which)) {
      controllers[SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad))] = pad;
    }
    return;
  }
  const auto found = controllers.find(event.which);
  if (found == controllers.end()) return;
  SDL_GameControllerClose(found->second);
  controllers.erase(found);
  if (controllers.empty()) {
    for (int axis = 0; axis < kAxisCount; ++axis) SetAxis(axis, 0);
  }
}

void Dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      PushKey(kClose);
      break;
    case SDL_KEYDOWN:
      KeyDown(event.key);
      break;
    case SDL_KEYUP:
      platform::KeyUp(KeyName(event.key.keysym.sym));
      break;
    case SDL_TEXTINPUT:
      TextInput(event.text.text);
      break;
    case SDL_CONTROLLERAXISMOTION:
      SetAxis(AxisOf(event.caxis.axis), event.caxis.value / 32767.0);
      break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
      ControllerDevice(event.cdevice);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      MouseButton(event.button);
      break;
    case SDL_MOUSEMOTION:
      MouseMotion(event.motion);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        sdl::ReleasePointer();
        ReleaseKeys();
      }
      break;
    default:
      break;
  }
}

}  // namespace

namespace sdl {

void DispatchEvents() {
  if (!controllers_started) {
    controllers_started = true;
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  }
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Dispatch(event);
  for (; screenshots_wanted > 0; --screenshots_wanted) SaveScreenshot();  // one picture a press
}

void CloseControllers() {
  for (const auto& [id, pad] : controllers) SDL_GameControllerClose(pad);
  controllers.clear();
  if (controllers_started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  controllers_started = false;
}

void ReleasePointer() {
  if (pointer.captured) SDL_SetRelativeMouseMode(SDL_FALSE);
  pointer = Pointer{};
}

}  // namespace sdl

bool TakeMotion(int& dx, int& dy, int& buttons) {
  dx = pointer.dx;
  dy = pointer.dy;
  buttons = pointer.buttons;
  pointer.dx = pointer.dy = 0;
  return true;
}

}  // namespace platform::backend
