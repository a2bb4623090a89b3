// The short front door of the property database: one call performs a store operation and
// leaves a one-line report of it in the caller's echo text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Support/Property Core.h"

// Performs BEHAVIOR (compared after UCWORDS, so any case works) on LABEL:
//   "Add"      stores VALUE under LABEL, then reads the stored value back into VALUE;
//   "Delete"   removes LABEL if present and empties VALUE;
//   "Retrieve" reads LABEL's value into VALUE (empty when missing).
// Each replaces PROPERTY_ECHO with its one-line report; any other behaviour empties VALUE and
// leaves PROPERTY_ECHO as it was. Returns a copy of PROPERTY_ECHO.
std::string __TINKER(PROPERTY_STORE& PROPERTY_DB, std::string& PROPERTY_ECHO,
                     std::string_view BEHAVIOR, std::string_view LABEL, std::string& VALUE);
// BUFFER, then "--- " CAPTION " ---". A non-empty BUFFER first gets "\r\n" appended to itself.
std::string __ECHO(std::string& BUFFER, std::string_view CAPTION);
// LABEL, ":", and the stored value in double quotes (empty quotes when missing).
std::string __QUERY(const PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL);
// The texel of the wall texture of board cell (XSCAN, YSCAN) at the texture address packed in
// BY: x in bits 16..21, y in bits 22..27. Without a texture it reads the work page.
int32_t __VIDEODIRECT(const PROPERTY_STORE& BOARDDB, const PROPERTY_STORE& TEXTUREDB, int32_t XSCAN,
                      int32_t YSCAN, int32_t BY);

// Clears the work page, exports the store (sorting it) into PROPERTY_ECHO after its old text,
// shows the result with PROPERTY_ECHO_DIRECT, pauses with the escape glyph as message, and
// empties PROPERTY_ECHO. Returns the empty text.
std::string __DIRECT(PROPERTY_STORE& PROPERTY_DB, std::string& PROPERTY_ECHO);
// Prints the store's bounds line (PROPERTY_SHOW_ARRAY_BOUNDS), pauses with the escape glyph as
// message, and empties PROPERTY_ECHO. Returns the empty text.
std::string __BOUNDS(const PROPERTY_STORE& PROPERTY_DB, std::string& PROPERTY_ECHO);
