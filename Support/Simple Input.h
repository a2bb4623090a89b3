// The message-and-wait pause on the text console: print a message in a palette colour, show
// the work page and wait for a key. Escape or the window's close button during the wait ends
// the whole program with exit code 0.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime.h"

// Ends the program with exit code 0 when KEY is Escape or the window-close key; the waits of
// the console procedures call it on every key they take.
void QUITONESCAPE(const std::string& KEY);

// Sets the Print colour to the low 32 bits of VGA_LOOKUP2(TABLE, low 32 bits of VGA), so 0..255
// picks a palette entry and any other value is the colour itself. Prints each CR LF-terminated
// line of MSG as a line; when such a line starts with Escape (byte 27), prints the rest of it
// as a line and returns the empty text at once, without showing the page or waiting. Otherwise
// prints what follows the last line break with the cursor left after it (an Escape there is
// printed as a glyph), flips the work page to the visible page and waits for a key, pausing
// 1 ms between polls. Returns that key. MSG is left holding the text after the last line
// break taken.
std::string SIMPLESLEEP(rt::Array<std::string>& TABLE, std::string& MSG, uint64_t VGA);
// The same with a palette table of its own, empty at first and kept from call to call.
std::string SIMPLESLEEP(std::string& MSG, uint64_t VGA);
