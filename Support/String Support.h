// Text operations that take lines, labels and values apart: search, cutting at a separator,
// cutting a label(parameter) form, rewriting and counting. Texts may hold any byte, 0 included;
// positions count bytes from 1, and 0 means "not found". Parameters are only read, except
// those taken as std::string&, which the procedure overwrites as its entry says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Position of the first NEEDLE in HAYSTACK; 0 when either is empty or NEEDLE does not occur.
int32_t STRPOS(std::string_view NEEDLE, std::string_view HAYSTACK);
// Position of the last NEEDLE in HAYSTACK; Len(HAYSTACK) + 1 when either is empty or NEEDLE
// does not occur.
int32_t STRRPOS(std::string_view NEEDLE, std::string_view HAYSTACK);

// The text before the first NEEDLE; the whole HAYSTACK when NEEDLE is absent or empty.
std::string PREFIX(std::string_view NEEDLE, std::string_view HAYSTACK);
// The text after the first NEEDLE; empty when NEEDLE is absent or empty.
std::string SUFFIX(std::string_view NEEDLE, std::string_view HAYSTACK);
// The text before the last NEEDLE; the whole HAYSTACK when NEEDLE is absent or empty.
std::string EXT_PREFIX(std::string_view NEEDLE, std::string_view HAYSTACK);
// The text after the last NEEDLE; empty when NEEDLE is absent or empty.
std::string EXT_SUFFIX(std::string_view NEEDLE, std::string_view HAYSTACK);

// The label of a LABEL(PARAMETER) form: the text before the first OPEN_S when a CLOSE_S follows
// it or none occurs; the whole BUFFER otherwise, or empty when only CLOSE_S occurs.
std::string AXISLABEL_S(std::string_view BUFFER, std::string_view OPEN_S, std::string_view CLOSE_S);
// The parameter: the text between the first OPEN_S and the first CLOSE_S after it; else empty.
std::string AXISPARAM_S(std::string_view BUFFER, std::string_view OPEN_S, std::string_view CLOSE_S);

// Replaces NEEDLE by REPLACEMENT in HAYSTACK, in place, searching again from the start after
// each replacement, so text that a replacement produces takes part in later matches (‹ab› by ‹a›
// turns ‹abb› into ‹a›). When REPLACEMENT contains NEEDLE, that search would never end, so the
// text is rewritten in one left-to-right pass instead. An empty NEEDLE replaces nothing.
// Returns HAYSTACK.
std::string& STR_REPLACE(std::string_view NEEDLE, std::string_view REPLACEMENT,
                         std::string& HAYSTACK);
// Appends NEWLINE to BUFFER as its new last line ("\r\n" in between unless BUFFER is empty).
// Returns BUFFER.
std::string& PACKTEXT(std::string& BUFFER, std::string_view NEWLINE);
// Puts NEWLINE in front of BUFFER as its new first line. Returns BUFFER.
std::string& PACKTEXTREVERSE(std::string& BUFFER, std::string_view NEWLINE);
// Number of non-overlapping NEEDLEs, from the left, that have at least one byte after them.
// Leaves HAYSTACK empty.
int32_t NEEDLECOUNT(std::string_view NEEDLE, std::string& HAYSTACK);
// SUBJECT with the first letter of every word upper-cased and the rest lower-cased (ASCII
// letters only); words are the pieces between single blanks, leading and trailing blanks are
// dropped. Leaves SUBJECT empty.
std::string UCWORDS(std::string& SUBJECT);

// ---------------------------------------------------------------------------------------------
// Whole-file read and line print, the spinner and the one-line prompt. These use the text
// console and the keyboard of the work page.

// The whole content of FULLFILENAME, bytes unchanged, or the empty text. When the path is not
// a readable file, first prints the line ‹Is not a file: "FULLFILENAME"› in opaque white.
std::string LOAD_BUFFER(const std::string& FULLFILENAME);
// Prints each CR LF-separated line of BUFFER as a line of its own; a final CR LF adds no line.
void DUMP_BUFFER(std::string_view BUFFER);

// One character of "\|/-", changing every quarter second of Timer() in that order.
std::string ANICURSOR();
// Prints LABEL and reads a line typed at the cursor, with a spinner on the cursor while it
// waits (polling every millisecond). Backspace removes the last byte and its cell; Enter
// blanks the spinner, ends the line and returns the text; any other key text from a blank up
// (extended keys as their two bytes) is appended and printed; other control bytes are ignored.
// The window shows the work page while it waits. Escape or the window-close key ends the
// program with exit code 0.
std::string PROMPT(std::string_view LABEL);
