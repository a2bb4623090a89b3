// Screenshots written on a thread of their own, so that encoding a PNG never holds up a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::screenshot {

// What became of one picture: the path of its file, or the reason it was not saved.
struct Outcome {
  std::string path;  // empty when not saved
  std::string error;
};

// Most pictures waiting to be written at once; a picture beyond them is refused.
inline constexpr size_t kMaxWaiting = 16;

// Copies width x height pixels and hands them to the writing thread (started on first use),
// which saves them with Save into `folder`. False, with `error` set, when kMaxWaiting pictures
// wait already or the copy finds no memory.
bool SaveLater(const uint32_t* pixels, int width, int height, const std::string& folder,
               std::string& error);

// The outcomes of the pictures written since the last call, in the order they were handed over.
std::vector<Outcome> TakeOutcomes();

// Waits until every picture handed over is written and ends the thread (SaveLater starts a new
// one). The program's end runs it too.
void FinishWriting();

}  // namespace platform::screenshot
