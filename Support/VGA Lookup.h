// The palette table: small colour numbers (palette indices 0..255) mapped to 32-bit colours
// through a palette file, read the first time a lookup needs it.
//
// Palette file: lines separated by CR LF (a lone LF does not end a line); line k + 1 is the
// entry for index k. Every double quote at the start and at the end of a line is removed
// (blanks are kept). An entry is read as an unsigned 64-bit number: leading blanks skipped,
// decimal digits, or &H / &O / &B (either case) and hexadecimal, octal or binary digits, up
// to the first character that does not belong; an empty or non-numeric entry is 0. A final
// CR LF adds no entry; an empty line inside the file is an entry of value 0.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/runtime.h"

// The palette file that the lookups read, relative to the working directory.
inline constexpr char VGA_TABLE_FILE[] = "./Assets/Property/VGA Table.Property";

// The program-wide palette table: one text per line of the palette file, quotes removed.
// Empty (upper bound -1) at start-up; filled by VGA_LOOKUP2 on the first lookup that finds it
// empty, on behalf of the text box and property procedures that pass it to SIMPLESLEEP.
extern rt::Array<std::string> VGA_TABLE;

// Replaces TABLE with the lines of FILENAME, the first line at index 0. A missing, unreadable
// or empty file leaves TABLE empty, as the single empty element at index -1. Running out of
// memory stops the program with runtime error 4.
void VGA_LOAD(rt::Array<std::string>& TABLE, const std::string& FILENAME);

// The colour for INDEX. TABLE is loaded from FILENAME first whenever its upper bound is -1, so
// a table that stays empty is read again at every lookup. An INDEX outside 0..255 is returned
// sign-extended to 64 bits; an index the table does not cover is returned as it is.
uint64_t VGA_LOOKUP2(rt::Array<std::string>& TABLE, int32_t INDEX, const std::string& FILENAME);

// VGA_LOOKUP2 on a fresh table read from VGA_TABLE_FILE: every call reads the file again.
uint64_t VGA_LOOKUP(int32_t INDEX);

// A new 256 x 256 image showing the palette: column i holds the red, green and blue of entry i
// (looked up in TABLE, filled from VGA_TABLE_FILE when empty) with alpha 255 in row 0 down to
// alpha 0 in row 255. The caller frees it. Running out of memory stops the program with
// runtime error 4.
platform::IMAGE* VGA_TEST(rt::Array<std::string>& TABLE);
