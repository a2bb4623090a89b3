// The text box: word-wraps a text into lines of a given width, draws line-broken text into an
// image in the 8x8 font, and shows such an image over the screen until a key is pressed.
//
// Wrapping (TEXT_BOX_STRING). Before anything else every run of blanks becomes one blank and
// every run of line breaks (CR LF) one line break. Then:
//   - Words are the pieces between blanks and line breaks. Words on one line are separated by
//     one blank, which counts against the width; a line never starts or ends with a blank.
//   - A word that does not fit on the current line starts the next one.
//   - A line break of the input ends the current line. When the current line is still empty
//     (the text starts with a line break, or only blanks stood before it) the line break is
//     dropped, so the result holds no empty line.
//   - A word longer than the width never shares a line: the current line is ended first, then
//     the word is cut into lines of W - 1 characters followed by "-" until at most W
//     characters are left, and that rest is placed like any other word.
//   - Lines in the result end with CR LF, except the last one: it ends with CR LF only when a
//     line break of the input ended it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// BUFFER wrapped into lines of at most W characters (see above); the empty text for an empty
// BUFFER. H, the box's height, does not limit the number of lines: rendering cuts them. A width
// below 2 stops the program with runtime error 1 (no character would fit beside the hyphen).
std::string TEXT_BOX_STRING(std::string_view BUFFER, int32_t W, int32_t H);

// Sets the Print colour to opaque white and pauses (SIMPLESLEEP with the palette table
// VGA_TABLE, the escape glyph as message and palette entry 15: the glyph is printed at the
// cursor, the page shown and a key awaited). Then draws BUFFER's CR LF-separated lines, from
// line Y_SCROLL + 1 on, into the H rows of a new W * 8 by H * 8 image on a transparent
// background, in opaque green from the left edge, cut at the right edge, and lays a red cross
// (alpha 128) of the two diagonals over it. The caller frees the image with IMAGEDESTROY2.
// A size that gives no image (W or H below 1, or too large) stops the program with runtime
// error 7 after the pause, before any drawing.
platform::IMAGE* TEXT_BOX_RENDER(std::string_view BUFFER, int32_t W, int32_t H, int32_t Y_SCROLL);

// Both render the first 30 lines of the text into a 40 x 30 box (with the pause of
// TEXT_BOX_RENDER), lay a green cross (alpha 196) over it, blend it onto the work page at
// (0, 0), pause again and free the image. SEQ_ECHO_DIRECT's second pause prints the escape glyph at
// the cursor; PROPERTY_ECHO_DIRECT's prints nothing. Escape or the window-close key during a pause
// ends the program with exit code 0; without a window the drawing stops it with runtime error 1.
// Both return the text unchanged.
std::string SEQ_ECHO_DIRECT(std::string_view SEQ_TEXT_BUFFER);
std::string PROPERTY_ECHO_DIRECT(std::string_view PROPERTY_TEXT_BUFFER);
