#include "Support/Property Shorthand.h"

#include <charconv>

#include "Support/Simple Input.h"
#include "Support/String Support.h"
#include "Support/Text Box.h"
#include "Support/VGA Lookup.h"
#include "platform/platform.h"
#include "platform/runtime.h"

// "--- <action>: "<label>"<tail> ---", the report line of one shorthand action.
static std::string ReportLine(std::string_view action, std::string_view label,
                              std::string_view tail = {}) {
  std::string line = "--- ";
  line.append(action).append(": \"").append(label).append("\"").append(tail).append(" ---");
  return line;
}

std::string __ECHO(std::string& BUFFER, std::string_view CAPTION) {
  // The framed caption is made first: CAPTION may be part of BUFFER.
  std::string framed = "--- ";
  framed.append(CAPTION).append(" ---");
  if (!BUFFER.empty()) BUFFER += "\r\n";
  return BUFFER + framed;
}

// ECHO_LINE is the caller's PROPERTY_ECHO (named apart from the global it usually is).
std::string __TINKER(PROPERTY_STORE& PROPERTY_DB, std::string& ECHO_LINE, std::string_view BEHAVIOR,
                     std::string_view LABEL, std::string& VALUE) {
  // Both texts are copied first: either may be part of VALUE or ECHO_LINE, which change.
  std::string behavior(BEHAVIOR);
  const std::string label(LABEL);
  behavior = UCWORDS(behavior);
  if (behavior == "Add") {
    std::string empty;
    ECHO_LINE = __ECHO(empty, "Adding: \"" + label + "\"");
    PROPERTY_DATABASE_SET(PROPERTY_DB, label, VALUE);
    VALUE = PROPERTY_GET(PROPERTY_DB, label).VALUE;
  } else if (behavior == "Delete") {
    ECHO_LINE = ReportLine("Deleting", label);
    PROPERTY_DATABASE_DELETE(PROPERTY_DB, label);
    VALUE.clear();
  } else if (behavior == "Retrieve") {
    VALUE = PROPERTY_GET(PROPERTY_DB, label).VALUE;
    ECHO_LINE = ReportLine("Retrieving", label, ": \"" + VALUE + "\"");
  } else {
    VALUE.clear();
  }
  return ECHO_LINE;
}

std::string __QUERY(const PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL) {
  std::string line(LABEL);
  line.append(":\"").append(PROPERTY_DATABASE_QUERY(PROPERTY_DB, LABEL).VALUE).append("\"");
  return line;
}

int32_t __VIDEODIRECT(const PROPERTY_STORE& BOARDDB, const PROPERTY_STORE& TEXTUREDB, int32_t XSCAN,
                      int32_t YSCAN, int32_t BY) {
  const int32_t address = rt::IntDiv(BY, 65536);
  const int32_t x = address & 63, y = rt::IntDiv(address, 64) & 63;
  // The cell label "x,y", built on the stack: this runs per texel.
  constexpr int kDigits = 11;  // "-2147483648"
  char label[2 * kDigits + 1];
  char* end = std::to_chars(label, label + kDigits, XSCAN).ptr;
  *end++ = ',';
  end = std::to_chars(end, end + kDigits, YSCAN).ptr;
  const PROPERTY_DB_TYPE cell =
      PROPERTY_GET(BOARDDB, std::string_view(label, static_cast<size_t>(end - label)));
  const PROPERTY_DB_TYPE texture = PROPERTY_GET(TEXTUREDB, cell.VALUE);
  return static_cast<int32_t>(platform::Point(texture.IMAGE, x, y));
}

// The pause of the display shorthands: the escape glyph as message, palette entry 15.
static void PauseWithEscape() {
  std::string message = platform::kEscape;
  SIMPLESLEEP(VGA_TABLE, message, 15);
}

// ECHO_LINE is the caller's PROPERTY_ECHO, as in __TINKER.
std::string __DIRECT(PROPERTY_STORE& PROPERTY_DB, std::string& ECHO_LINE) {
  platform::Cls();
  PROPERTY_DATABASE_EXPORT(PROPERTY_DB, ECHO_LINE);
  PROPERTY_ECHO_DIRECT(ECHO_LINE);
  PauseWithEscape();
  ECHO_LINE.clear();
  return std::string();
}

std::string __BOUNDS(const PROPERTY_STORE& PROPERTY_DB, std::string& ECHO_LINE) {
  PROPERTY_SHOW_ARRAY_BOUNDS(PROPERTY_DB);
  PauseWithEscape();
  ECHO_LINE.clear();
  return std::string();
}
