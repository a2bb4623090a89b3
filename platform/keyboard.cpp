// The keyboard buffer, the timer and the pause.
#include <algorithm>
#include <deque>
#include <string>

#include "platform/backend.h"
#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

std::deque<std::string> keys;  // key texts waiting to be taken by Inkey, oldest first
int empty_polls = 0;           // Inkey calls in a row that found no key since the last Flip

}  // namespace

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
  if (!key.empty()) keys.push_back(std::move(key));
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

}  // namespace internal

}  // namespace platform
