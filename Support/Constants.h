// Constants shared by the library and the viewer, and the first steps of start-up: the
// processor check, the command-line capture and the first window.
#pragma once

#include <string>

#include "platform/runtime.h"

// The command-line words 0..n: word 0 is the program's path, then the arguments up to the
// first empty one. Written by CAPTURECOMMANDLINE; nothing else reads it.
extern rt::Array<std::string> CMD;

// Ends the program with exit code 1 and a message when the processor is older than a 686.
void CHECKPROCESSOR();
// Fills CMD word by word, stopping at the first empty word.
void CAPTURECOMMANDLINE();
// Opens the first 640 x 480 window with one page and alpha primitives, then PageSet(1, 0).
// Stops with runtime error 1 when the window cannot be opened.
void OPENFIRSTWINDOW();
