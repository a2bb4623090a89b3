// Recorded sessions: what the platform handed the engine, frame by frame, as text that a person
// can also write by hand. One event per line, words separated by blanks:
//
//   # a comment (so is an empty line)
//   seed S                           the random generator's seed at start-up
//   frame D                          one frame lasting D seconds (0 to 60)
//   N seconds at F frames per second N x F frames (rounded) of 1/F seconds each (F 1/60 to 1000)
//   down KEY / up KEY                a key (a name of KeyNames) goes down / comes up
//   type KEY                         a key text for the keyboard buffer: a name of TypedKeyNames,
//                                    one printable character, or 0x and its bytes in hexadecimal
//   mouse DX DY BUTTONS              the frame's pointer motion in pixels and the buttons held
//                                    (0 to 3); a frame without one has neither
//   axis NAME VALUE                  a game controller axis (AxisName) at VALUE (-1 to 1)
//
// The events before a frame line belong to that frame. A session has at most kMaxFrames frames
// and a frame at most kMaxEventsPerFrame other events; lines are at most kMaxLineBytes long.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace platform::recording {

inline constexpr long kMaxFrames = 1000000;
inline constexpr long kMaxEventsPerFrame = 10000;
inline constexpr size_t kMaxLineBytes = 1024;
inline constexpr double kMaxFrameSeconds = 60;
inline constexpr double kMaxFramesPerSecond = 1000;
inline constexpr int32_t kMaxMouseMotion = 1000000;

struct Event {
  enum Kind { kSeed, kFrame, kDown, kUp, kType, kMouse, kAxis } kind = kFrame;
  double value = 0;        // kSeed: the seed; kFrame: seconds; kAxis: the axis's value
  std::string key;         // kDown, kUp: the key's name; kType: the key text itself
  int32_t dx = 0, dy = 0;  // kMouse: motion in pixels
  int32_t buttons = 0;     // kMouse: bit 0 the first button, bit 1 the second
  int axis = 0;            // kAxis: the axis (platform::Axis)
};

// The line of an event, without its line feed; reading it back gives the same event.
std::string Format(const Event& event);

// Reads a session's events in order, one line at a time, so that memory does not follow the
// file's length. The shorthand line gives its frames one by one.
class Reader {
 public:
  explicit Reader(std::istream& in) : in_(in) {}
  // The next event: true; false at the end, or with `error` set to "line N: problem".
  bool Next(Event& event, std::string& error);
  long Line() const { return line_; }
  long Frames() const { return frames_; }

 private:
  bool ReadLine(std::string& line, std::string& error);
  bool Parse(const std::string& line, Event& event, std::string& error);

  std::istream& in_;
  long line_ = 0;             // number of the line last read
  long frames_ = 0;           // frames given so far
  long events_in_frame_ = 0;  // other events since the last frame
  long repeat_ = 0;           // frames of a shorthand line still to give
  double repeat_seconds_ = 0;
};

// Starts writing the session to `path` (replacing the file): the seed, the keys held, the key
// texts waiting and the axes away from rest, then every event as it reaches the engine. 0, or 2
// when the file cannot be made.
int Start(const std::string& path);
// From here on Start records nothing and leaves its file alone (a tool replaying a session in the
// world that recorded it must not write over the session).
void Disable();
// Called by the platform core as events reach the engine; nothing happens while not recording.
void Note(const Event& event);

}  // namespace platform::recording
