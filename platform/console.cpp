// The text console on the work page: 8x8 cells, a cursor counted from 1, and Print.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

constexpr int kCell = 8;  // pixels per cell side

// The cursor's row lies in 1..Rows(). Its column lies in 1..Columns(), or is Columns() + 1
// right after a byte was printed in the last column: the wrap waits for the next byte, so that
// text filling a row exactly and then ending the line leaves no empty row.
int cursor_row = 1;                  // 1-based text row of the cursor; written by Print, Locate
int cursor_column = 1;               // 1-based text column of the cursor; written by Print, Locate
uint32_t print_colour = 0xFFFFFFFF;  // foreground of Print; written by Color

// Text columns and rows of the work page; a page smaller than a cell still has one.
int Columns(const internal::Surface& s) {
  return std::max(1, s.width / kCell);
}
int Rows(const internal::Surface& s) {
  return std::max(1, s.height / kCell);
}

// Moves the page up by one text row; the rows uncovered at the bottom become 0.
void Scroll(const internal::Surface& s) {
  const int moved = std::max(0, s.height - kCell);
  if (moved > 0) {
    std::memmove(s.pixels, s.pixels + s.pitch * kCell,
                 s.pitch * static_cast<size_t>(moved) * sizeof(uint32_t));
  }
  std::memset(s.pixels + s.pitch * static_cast<size_t>(moved), 0,
              s.pitch * static_cast<size_t>(s.height - moved) * sizeof(uint32_t));
}

// Moves the cursor to column 1 of the next row, scrolling when that row is past the bottom.
void NewLine(const internal::Surface& s) {
  cursor_column = 1;
  if (cursor_row < Rows(s)) {
    ++cursor_row;
  } else {
    cursor_row = Rows(s);
    Scroll(s);
  }
}

// Paints the cursor's cell with 0 and the byte's glyph over it.
void PaintCell(const internal::Surface& s, uint8_t byte) {
  const int64_t left = int64_t{cursor_column - 1} * kCell, top = int64_t{cursor_row - 1} * kCell;
  for (int64_t y = top; y < std::min<int64_t>(top + kCell, s.height); ++y) {
    for (int64_t x = left; x < std::min<int64_t>(left + kCell, s.width); ++x)
      s.At(static_cast<int>(x), static_cast<int>(y)) = 0;
  }
  internal::DrawGlyph(s, left, top, byte, print_colour, false);
}

}  // namespace

void Color(uint32_t foreground) {
  print_colour = foreground;
}
uint32_t CurrentColor() {
  return print_colour;
}
int CursorColumn() {
  return cursor_column;
}
int CursorRow() {
  return cursor_row;
}

void Print(std::string_view text, bool line_end) {
  internal::Surface s;
  if (!internal::WorkSurface(s)) return;
  cursor_row = std::clamp(cursor_row, 1, Rows(s));
  cursor_column = std::clamp(cursor_column, 1, Columns(s) + 1);
  for (const char c : text) {
    if (cursor_column > Columns(s)) NewLine(s);
    PaintCell(s, static_cast<uint8_t>(c));
    ++cursor_column;
  }
  if (line_end) NewLine(s);
}

void Locate(int row, int column) {
  internal::Surface s;
  const bool open = internal::WorkSurface(s);
  cursor_row = std::clamp(row, 1, open ? Rows(s) : 1);
  cursor_column = std::clamp(column, 1, open ? Columns(s) : 1);
}

namespace internal {

void ResetConsole() {
  cursor_row = 1;
  cursor_column = 1;
}

}  // namespace internal

}  // namespace platform
