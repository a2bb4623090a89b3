// The keyboard buffer, the held keys, the game controller's axes, the frame's duration, the
// timer and the pause.
#include <algorithm>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/recording.h"

namespace platform {

namespace {

std::deque<std::string> keys;  // key texts waiting to be taken by Inkey, oldest first
int empty_polls = 0;           // Inkey calls in a row that found no key since the last Flip

constexpr const char* kKeyNames[] = {
    "A",         "B",         "C",         "D",          "E",           "F",
    "G",         "H",         "I",         "J",          "K",           "L",
    "M",         "N",         "O",         "P",          "Q",           "R",
    "S",         "T",         "U",         "V",          "W",           "X",
    "Y",         "Z",         "0",         "1",          "2",           "3",
    "4",         "5",         "6",         "7",          "8",           "9",
    "Up",        "Down",      "Left",      "Right",      "Space",       "Enter",
    "Escape",    "Tab",       "Backspace", "Home",       "End",         "PageUp",
    "PageDown",  "Insert",    "Delete",    "Comma",      "Period",      "Slash",
    "Semicolon", "Quote",     "Minus",     "Equals",     "LeftBracket", "RightBracket",
    "Backslash", "Backquote", "LeftShift", "RightShift", "LeftCtrl",    "RightCtrl",
    "LeftAlt",   "RightAlt",  "F1",        "F2",         "F3",          "F4",
    "F5",        "F6",        "F7",        "F8",         "F9"};
constexpr const char* kAxisNames[kAxisCount] = {"leftx",  "lefty",       "rightx",
                                                "righty", "lefttrigger", "righttrigger"};

std::vector<std::string> held;     // names of the keys down, in the order they went down
std::vector<std::string> pressed;  // keys that went down since the last TakeFrameSeconds
std::vector<std::string> tapped;   // keys that went down during the frame just taken
double axes[kAxisCount] = {};      // the controller's readings, -1..1
double last_frame = 0;             // Clock() at the previous TakeFrameSeconds
bool frame_started = false;        // TakeFrameSeconds has run
bool frame_given = false;          // given_seconds replaces the clock for the next frame
double given_seconds = 0;          // the next frame's duration handed back by a replay

void NoteKey(recording::Event::Kind kind, const std::string& key) {
  recording::Event event;
  event.kind = kind;
  event.key = key;
  recording::Note(event);
}

}  // namespace

bool IsKeyName(std::string_view name) {
  return std::find(std::begin(kKeyNames), std::end(kKeyNames), name) != std::end(kKeyNames);
}

std::string KeyNameList() {
  std::string list;
  for (const char* name : kKeyNames) list += (list.empty() ? "" : " ") + std::string(name);
  return list;
}

void KeyDown(const std::string& name) {
  if (!IsKeyName(name) || std::find(held.begin(), held.end(), name) != held.end()) return;
  held.push_back(name);
  pressed.push_back(name);
  NoteKey(recording::Event::kDown, name);
}

void KeyUp(const std::string& name) {
  const auto found = std::find(held.begin(), held.end(), name);
  if (found == held.end()) return;
  held.erase(found);
  NoteKey(recording::Event::kUp, name);
}

void ReleaseKeys() {
  while (!held.empty()) KeyUp(std::string(held.back()));
}

bool KeyHeld(std::string_view name) {
  return std::find(held.begin(), held.end(), name) != held.end() ||
         std::find(tapped.begin(), tapped.end(), name) != tapped.end();
}

int AxisFromName(std::string_view name) {
  for (int axis = 0; axis < kAxisCount; ++axis) {
    if (name == kAxisNames[axis]) return axis;
  }
  return -1;
}

const char* AxisName(int axis) {
  return axis >= 0 && axis < kAxisCount ? kAxisNames[axis] : nullptr;
}

void SetAxis(int axis, double reading) {
  if (axis < 0 || axis >= kAxisCount) return;
  const double value = std::isnan(reading) ? 0.0 : std::clamp(reading, -1.0, 1.0);
  if (value == axes[axis]) return;
  axes[axis] = value;
  recording::Event event;
  event.kind = recording::Event::kAxis;
  event.axis = axis;
  event.value = value;
  recording::Note(event);
}

double AxisValue(int axis) {
  if (axis < 0 || axis >= kAxisCount) return 0;
  const double travel = std::fabs(axes[axis]);
  if (travel <= kAxisDeadZone) return 0;
  return std::copysign((travel - kAxisDeadZone) / (1 - kAxisDeadZone), axes[axis]);
}

double TakeFrameSeconds() {
  const double now = backend::Clock();
  double seconds = frame_started ? now - last_frame : 0.0;
  if (frame_given) seconds = given_seconds;
  frame_given = false;
  frame_started = true;
  tapped.swap(pressed);
  pressed.clear();
  last_frame = now;
  recording::Event event;
  event.kind = recording::Event::kFrame;
  event.value = seconds;
  recording::Note(event);
  return seconds;
}

std::string Inkey() {
  backend::PumpEvents();
  if (!keys.empty()) {
    std::string key = std::move(keys.front());
    keys.pop_front();
    empty_polls = 0;
    return key;
  }
  if (++empty_polls >= 2) {
    std::string key = backend::IdleKey();
    if (!key.empty()) {
      empty_polls = 0;
      return key;
    }
  }
  return std::string();
}

void PushKey(std::string key) {
  if (key.empty()) return;
  NoteKey(recording::Event::kType, key);
  keys.push_back(std::move(key));
}

int TakeKey(std::string_view key) {
  backend::PumpEvents();
  const auto kept = std::remove(keys.begin(), keys.end(), key);
  const int taken = static_cast<int>(keys.end() - kept);
  keys.erase(kept, keys.end());
  return taken;
}

void ClearKeys() {
  keys.clear();
  empty_polls = 0;
  held.clear();
  pressed.clear();
  tapped.clear();
  std::fill(std::begin(axes), std::end(axes), 0.0);
  frame_started = frame_given = false;
}

double Timer() {
  return backend::Clock();
}

void Sleep(int milliseconds) {
  backend::SleepMs(milliseconds);
}

namespace internal {

void NoteFlip() {
  empty_polls = 0;
}

void GiveFrameSeconds(double seconds) {
  frame_given = true;
  given_seconds = seconds;
}

std::vector<recording::Event> InputState() {
  std::vector<recording::Event> events;
  for (const std::string& name : held) {
    events.emplace_back();
    events.back().kind = recording::Event::kDown;
    events.back().key = name;
  }
  for (const std::string& key : keys) {
    events.emplace_back();
    events.back().kind = recording::Event::kType;
    events.back().key = key;
  }
  for (int axis = 0; axis < kAxisCount; ++axis) {
    if (axes[axis] == 0) continue;
    events.emplace_back();
    events.back().kind = recording::Event::kAxis;
    events.back().axis = axis;
    events.back().value = axes[axis];
  }
  return events;
}

}  // namespace internal

}  // namespace platform
