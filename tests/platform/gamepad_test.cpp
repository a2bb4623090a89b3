// The SDL backend's game controller, on a virtual controller and an off-screen window: plugged in
// while the window is open it is opened, its sticks and triggers reach the axes past the dead
// zone, and unplugged it leaves every axis at rest.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"

namespace {

// A few rounds of the event pump (SDL hands a virtual controller's change on within them).
void Pump() {
  for (int i = 0; i < 3; ++i) platform::Inkey();
}

TEST(Gamepad, PluggedInWhileRunningItsAxesMoveAndUnpluggedTheyRest) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);  // an off-screen window has no focus
  ASSERT_EQ(platform::ScreenRes(64, 48, 32, 2, 0), 0);
  platform::Inkey();  // the event pump starts the controllers
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  Pump();
  SDL_Joystick* stick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
  ASSERT_NE(stick, nullptr) << "the controller was not opened when plugged in";
  EXPECT_EQ(platform::AxisValue(platform::kAxisLeftY), 0);  // nothing until it is used
  struct Case {
    SDL_GameControllerAxis axis;
    Sint16 value;
    platform::Axis want;
    double reading;
  } cases[] = {{SDL_CONTROLLER_AXIS_LEFTY, -32767, platform::kAxisLeftY, -1},
               {SDL_CONTROLLER_AXIS_RIGHTX, 16384, platform::kAxisRightX, (0.5 - 0.2) / 0.8},
               {SDL_CONTROLLER_AXIS_LEFTX, 3000, platform::kAxisLeftX, 0},  // in the dead zone
               {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767, platform::kAxisRightTrigger, 1}};
  for (const Case& c : cases) {
    SDL_JoystickSetVirtualAxis(stick, c.axis, c.value);
    Pump();
    EXPECT_NEAR(platform::AxisValue(c.want), c.reading, 1e-4) << c.axis;
  }
  SDL_JoystickDetachVirtual(index);
  Pump();
  for (int axis = 0; axis < platform::kAxisCount; ++axis) EXPECT_EQ(platform::AxisValue(axis), 0);
  platform::Screen(0);
}

}  // namespace
