// Controls of the headless backend, for tests and tools. The headless backend has no window:
// pages live in memory, keys come from the queue that PushKey fills, and the clock is virtual.
#pragma once

#include <string>

namespace platform::headless {

// The virtual clock (seconds). Sleep advances it; tests may set it.
void SetClock(double seconds);
double GetClock();

// Answers the program's waits for a key. A program waits when it polls Inkey twice in a row
// without a Flip in between and finds the buffer empty both times; the second poll then gets
// `key`. The frame loop polls until the buffer is empty and flips before it polls again, so it
// never receives an automatic key. The default answer is Enter, so that a program's pauses,
// prompts and texture confirmations end by themselves (a prompt with what was typed so far); an
// empty text turns automatic answers off, for tests that need a real wait.
void SetAutoAnswer(std::string key);
// Number of automatic answers given so far.
long AutoAnswerCount();

// Number of Present calls and whether the window is open (for tests).
long PresentCount();
bool WindowOpen();
// Makes the next OpenWindow calls fail (to test the failure paths of ScreenRes), and the reopening
// of pages at a new window size.
void SetWindowFailure(bool fail);
// Acts as a user resizing the window: from now on it shows width x height pixels unscaled (any
// numbers; the next ScreenRes sets the size again).
void ResizeWindow(int width, int height);

// Replays a recorded session (platform/recording.h): from the next Present on, each Present
// hands the engine one frame's events (held keys, key texts, pointer counts, axes) and its
// duration, exactly as they were recorded; events after the last frame line make one more frame
// of 0 seconds. While it plays there is a pointer (TakeMotion answers). False when the file
// cannot be opened. A line the reader refuses ends the program with exit code 65 and a message
// naming the file and line, so check a session through recording::Reader first.
bool Play(const std::string& path);
// True while a session has frames left to hand out.
bool Playing();
// Ends a replay: no more frames are handed out, and there is no pointer again.
void StopPlaying();

}  // namespace platform::headless
