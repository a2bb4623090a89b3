// The text console on the work page: 8x8 cells, a cursor counted from 1, and Print.
#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

int cursor_row = 1;                  // 1-based text row of the cursor
int cursor_column = 1;               // 1-based text column of the cursor
uint32_t print_colour = 0xFFFFFFFF;  // foreground of Print

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

namespace internal {

void ResetConsole() {
  cursor_row = 1;
  cursor_column = 1;
}

}  // namespace internal

}  // namespace platform
