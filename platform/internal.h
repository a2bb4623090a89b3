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

// Scales width x height down, its aspect kept (each side at least 1), until it fits inside
// limit_width x limit_height; a size that fits already is left as it is.
void FitInside(int& width, int& height, int limit_width, int limit_height);
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

// Where the pixels of a bitmap held in memory lie, for a decoder: the picture is width x height,
// its rows `stride` bytes apart from `rows` on, the top row first when top_down and last when
// not; a palette of 4-byte B, G, R, reserved entries for depths up to 8 (null above).
struct BitmapLayout {
  int64_t width;
  int64_t height;
  bool top_down;
  uint32_t bits;
  bool bit_fields;    // the channel masks come from the file
  uint32_t masks[4];  // red, green, blue, alpha of a bit-field file
  const char* palette;
  const char* rows;
  int64_t stride;
};
// The bitmap decoder of the build (SDL's on the desktop, the plain one in the browser): decodes
// a bitmap held in memory, whose headers are accepted, into the image's top-left corner as
// 0xAARRGGBB, alpha 255 where the file has none; with `clear_alpha` every pixel's alpha becomes 0.
// 0, or 1 when the decoder refuses the bitmap.
int DecodeBitmap(const std::string& bitmap, const BitmapLayout& layout, IMAGE* image,
                 bool clear_alpha);
// True when the build's decoder knows the pixel format of a bit-field file with these masks
// (red, green, blue, alpha; no two sharing a bit).
bool KnownMasks(uint32_t bits, const uint32_t masks[4]);
// The plain decoder, without SDL: the same pixels as SDL's for palette files, 24-bit files and
// 32-bit files whose channels are whole bytes in the order A, R, G, B (bit fields or not); it
// refuses 16-bit files and other masks.
int DecodePlainBitmap(const BitmapLayout& layout, IMAGE* image, bool clear_alpha);
bool PlainKnownMasks(uint32_t bits, const uint32_t masks[4]);

}  // namespace platform::internal
