// Recorded sessions: the input is read as a session through the session reader, as
// maze-snapshot --play reads one. Every event it gives must lie within the format's ranges, the
// session's frames within its limit, and each event written back as a line must read back as the
// same event. Nothing may end the program.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/harness.h"
#include "platform/recording.h"

namespace {

using platform::recording::Event;

bool Same(const Event& a, const Event& b) {
  return a.kind == b.kind && a.value == b.value && a.key == b.key && a.dx == b.dx && a.dy == b.dy &&
         a.buttons == b.buttons && a.axis == b.axis;
}

void CheckRange(const Event& event) {
  using namespace platform::recording;
  switch (event.kind) {
    case Event::kFrame:
      if (!(event.value >= 0 && event.value <= kMaxFrameSeconds)) fuzz::Finding("frame time");
      break;
    case Event::kDown:
    case Event::kUp:
      if (!platform::IsKeyName(event.key)) fuzz::Finding("key name");
      break;
    case Event::kType:
      if (event.key.empty()) fuzz::Finding("empty key text");
      break;
    case Event::kMouse:
      if (std::abs(event.dx) > kMaxMouseMotion || std::abs(event.dy) > kMaxMouseMotion ||
          event.buttons < 0 || event.buttons > 3)
        fuzz::Finding("mouse counts");
      break;
    case Event::kAxis:
      if (platform::AxisName(event.axis) == nullptr || !(std::fabs(event.value) <= 1))
        fuzz::Finding("axis");
      break;
    case Event::kSeed:
      if (!std::isfinite(event.value)) fuzz::Finding("seed");
      break;
  }
}

// Writes the event as a line and reads it back.
void CheckRoundTrip(const Event& event) {
  std::istringstream line(platform::recording::Format(event) + "\n");
  platform::recording::Reader reader(line);
  Event back;
  std::string error;
  if (!reader.Next(back, error) || !Same(event, back)) fuzz::Finding("an event does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr long kRoundTrips = 10000;  // events checked by writing them back, the rest counted
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  const int code = fuzz::ExitCodeOf([&] {
    platform::recording::Reader reader(in);
    Event event;
    std::string error;
    for (long n = 0; reader.Next(event, error); ++n) {
      CheckRange(event);
      if (n < kRoundTrips) CheckRoundTrip(event);
    }
    if (reader.Frames() > platform::recording::kMaxFrames) fuzz::Finding("frames", reader.Frames());
    if (!error.empty() && error.rfind("line ", 0) != 0) fuzz::Finding("an error without its line");
  });
  fuzz::ExpectExit(code, {-1});
  return 0;
}
