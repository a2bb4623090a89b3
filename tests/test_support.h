// Helpers shared by the test programs.
#pragma once

#include "platform/headless.h"
#include "platform/platform.h"

namespace testsupport {

// Thrown by the end hook that ExpectEnd installs, instead of ending the process.
struct ProgramEnded {
  int code;
};

[[noreturn]] inline void ThrowOnEnd(int code) {
  throw ProgramEnded{code};
}

// While alive, a program end throws ProgramEnded instead of ending the process.
class CatchProgramEnd {
 public:
  CatchProgramEnd() : previous_(platform::SetEndHook(ThrowOnEnd)) {}
  ~CatchProgramEnd() { platform::SetEndHook(previous_); }
  CatchProgramEnd(const CatchProgramEnd&) = delete;
  CatchProgramEnd& operator=(const CatchProgramEnd&) = delete;

 private:
  platform::EndHook previous_;
};

// Runs f and returns the exit code it ended the program with, or -1 when it returned.
template <class F>
int ExitCodeOf(F&& f) {
  CatchProgramEnd guard;
  try {
    f();
  } catch (const ProgramEnded& ended) {
    return ended.code;
  }
  return -1;
}

// Puts the headless platform back to its start: no window, no keys, clock 0, no answers.
inline void ResetPlatform() {
  platform::Screen(0);
  platform::ClearKeys();
  platform::headless::SetClock(0.0);
  platform::headless::SetAutoAnswer("");
  platform::headless::SetWindowFailure(false);
  platform::SetNativeResolution(false);
  platform::headless::StopPlaying();
  platform::SetCommandLine(0, nullptr);
}

}  // namespace testsupport
