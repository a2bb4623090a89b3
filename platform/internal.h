// Shared internals of the platform core (not for code above platform/).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/recording.h"

namespace platform::internal {

// A drawable rectangle of 32-bit pixels: an image's rows or the work page.
struct Surface {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  size_t pitch = 0;  // pixels from one row to the next

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  uint32_t& At(int x, int y) const { return pixels[static_cast<size_t>(y) * pitch + x]; }
};

// The image's pixels, or the work page for a null image; false when there is neither.
bool TargetSurface(const IMAGE* image, Surface& out);
// The work page; false without a window.
bool WorkSurface(Surface& out);
// True when ScreenRes was given flag 64: primitives blend by their colour's alpha.
bool AlphaPrimitives();
// The blend of one pixel: each channel dst + ((src - dst) * a) / 256, a = source alpha.
uint32_t Blend(uint32_t dst, uint32_t src);
// Writes one pixel as a primitive does: plain, or blended when AlphaPrimitives().
void PlotPrimitive(const Surface& s, int x, int y, uint32_t colour);
// Draws the set pixels of a byte's glyph with its top-left corner at (left, top), clipped: as a
// primitive (blending when AlphaPrimitives()) or, for the console, written plainly.
void DrawGlyph(const Surface& s, int64_t left, int64_t top, uint8_t byte, uint32_t colour,
               bool primitive);
// Called by Flip: the keyboard's count of empty polls starts again.
void NoteFlip();
// The next TakeFrameSeconds gives `seconds` whatever the clock says (a replay hands back the
// recorded durations exactly).
void GiveFrameSeconds(double seconds);
// The keys held, the key texts waiting and the axes away from rest, as events that set them.
std::vector<recording::Event> InputState();
// Resets the text cursor to row 1, column 1 (a new window).
void ResetConsole();
// Reads up to size bytes at the 0-based offset like pread(2) (retrying when interrupted): the
// number read, 0 at the end, -1 when the read fails. Every read of file content in the platform
// goes through here, and so through the read limit of FailReadsAfter (platform/testing.h).
ssize_t ReadAt(int fd, void* buffer, size_t size, int64_t offset);
// Reads size bytes at the 0-based offset through ReadAt, in as many reads as it takes: the
// number read (fewer when the file ends first, the rest of the buffer then set to 0), or -1 when
// a read fails.
ssize_t ReadFull(int fd, void* buffer, size_t size, int64_t offset);
// Opens a regular file with the open(2) flags given (O_CLOEXEC added); -1 for an empty path, a
// path holding a zero byte, a directory or other non-regular file, or any failure to open.
int OpenRegularFile(const std::string& path, int flags);

}  // namespace platform::internal
