// The window's title, kept alike by the desktop window and the browser page: a wait's title
// ("texture 2 of 7 - ...") while the engine waits, else the frame rate once one is measured,
// then the engine's lasting note (the goal's message) and, for a few seconds, a screenshot's note.
#pragma once

#include <string>
#include <utility>

#include "platform/platform.h"

namespace platform {

class WindowTitle {
 public:
  static constexpr char kName[] = "Maze viewer";
  static constexpr double kInterval = 0.5;  // seconds between frame-rate updates

  // Counts the frame rate afresh from `now` (a window just opened).
  void Start(double now) {
    since_ = now;
    presents_ = 0;
  }
  void CountPresent() { ++presents_; }
  // Shows `text` beside the rest of the title until `until`.
  void Note(std::string text, double until) {
    note_ = std::move(text);
    note_until_ = until;
  }
  // True when the title is to be set again: every kInterval, with the frame rate over it, and at
  // once when a wait's title changes, the frame rate then being counted afresh.
  bool Renew(double now) {
    const double elapsed = now - since_;
    const std::string& wait = Desktop().wait_title;
    const bool changed = wait != wait_;
    if (!changed && elapsed < kInterval) return false;
    fps_ = changed ? -1 : static_cast<long>(presents_ / elapsed + 0.5);
    wait_ = wait;
    presents_ = 0;
    since_ = now;
    return true;
  }
  std::string Text(double now) const {
    std::string title = kName;
    if (!wait_.empty()) {
      title += " - " + wait_;
    } else if (fps_ >= 0) {
      title += " - " + std::to_string(fps_) + " fps";
    }
    if (!Desktop().title_note.empty()) title += " - " + Desktop().title_note;
    if (now < note_until_) title += " - " + note_;
    return title;
  }

 private:
  long presents_ = 0;   // presents since the frame rate was last counted
  long fps_ = -1;       // the frame rate shown; -1 before one is measured
  double since_ = 0.0;  // when the frame rate was last counted
  std::string wait_;    // the wait's title last shown (empty: the frame rate)
  std::string note_;    // shown until note_until_
  double note_until_ = 0.0;
};

}  // namespace platform
