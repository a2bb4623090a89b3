// Map files: a board a person writes in any editor, one character per cell, read into BOARDDB;
// and the board written back as such a file.
//
// A map file holds lines of printable ASCII separated by line feeds:
//   ; a comment                 (a line that starts with a semicolon)
//   legend # brick              (cells drawn with # are walls wearing the texture brick)
//   border stone                (the texture of the added outer wall; default: the first legend)
//   heading 1.5707963           (the start's heading in radians, instead of its marker's)
//   #########                   (every other line is a row of cells, top row first)
//   #>..#..*#
// A row's cells are legend characters (walls), '.' or ' ' (open), one start marker '>' 'v' '<'
// '^' (open, heading east, south, west or north) and at most one goal '*' (open). Rows are all
// as wide as the first. A map of up to 62 x 62 cells is placed at (1, 1) and ringed by an added
// wall; a map of exactly 64 x 64 is the whole board as written.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/CellLabel.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/MapFile";

// The position of a check of the map reader, reported as LOADMAP's.
#define MAP_HERE (::rt::Where{__LINE__, MODULE_NAME, "LOADMAP"})

namespace {

constexpr int64_t MAXMAPBYTES = 65536;  // larger files are refused before anything is read
constexpr int32_t BOARDSIDE = 64;       // cells of the board along each axis
constexpr int32_t INNERSIDE = 62;       // the largest map side that gets the added border
constexpr char STARTMARKS[] = ">v<^";   // the start markers, by heading in quarter turns
constexpr char GOALCHAR = '*';
constexpr double QUARTERTURN = 1.5707963267948966;

// A map line that describes cells, and its line number in the file.
struct MAPROW {
  int32_t LINE;
  std::string CELLS;
};

// What the map file says, as read line by line.
struct MAPSPEC {
  std::string FILENAME;
  std::string LEGEND[256];  // texture label per cell character; empty for no legend entry
  std::string BORDER;       // texture of the added border
  bool HASHEADING = false;
  double HEADING = 0;
  std::vector<MAPROW> ROWS;
};

// Writes "FILE:LINE:COLUMN: WHAT" (FILE: WHAT without a line) on the standard error stream and
// stops the program with runtime error 1 at `at`.
[[noreturn]] void MAPFAULT(const std::string& FILENAME, int32_t LINE, int32_t COLUMN,
                           const std::string& WHAT, const rt::Where& at) {
  std::string place = FILENAME + ":";
  if (LINE > 0) place += rt::Str(LINE) + ":" + rt::Str(COLUMN) + ":";
  platform::WriteError(place + " " + WHAT + "\n");
  rt::Abort(rt::kIllegalFunctionCall, at);
}

// A byte as the map reader names it: 'c' when printable, else its hexadecimal value.
std::string BYTENAME(unsigned char c) {
  if (c >= 32 && c <= 126) return std::string("'") + static_cast<char>(c) + "'";
  char text[16];
  std::snprintf(text, sizeof text, "byte 0x%02X", c);
  return text;
}

// True for the characters that a legend may not take: blank, open, start and goal marks, ';'.
bool RESERVED(char c) {
  return c == ' ' || c == '.' || c == GOALCHAR || c == ';' ||
         std::string_view(STARTMARKS).find(c) != std::string_view::npos;
}

bool STARTSWITH(const std::string& text, std::string_view head) {
  return text.compare(0, head.size(), head) == 0;
}

// Refuses FILENAME, SIZE bytes long, for being longer than MAXMAPBYTES.
[[noreturn]] void TOOLARGE(const std::string& FILENAME, int32_t slot, int64_t SIZE) {
  RT_CHECK(platform::Close(slot));
  MAPFAULT(FILENAME, 0, 0,
           "the map file has " + std::to_string(SIZE) + " bytes, more than a map's " +
               std::to_string(MAXMAPBYTES),
           MAP_HERE);
}

// The whole file FILENAME, at most MAXMAPBYTES long. Its length is checked before it is read,
// and again while it is read (a file may grow, and some report no length).
std::string READMAPFILE(const std::string& FILENAME) {
  const int32_t slot = platform::FreeFile();
  if (platform::Open(slot, FILENAME, platform::OpenMode::kBinaryRead) != 0) {
    platform::WriteError(FILENAME + ": the map file cannot be opened\n");
    rt::Abort(rt::kFileNotFound, MAP_HERE);
  }
  if (platform::Lof(slot) > MAXMAPBYTES) TOOLARGE(FILENAME, slot, platform::Lof(slot));
  std::string bytes;
  char chunk[4096];
  for (size_t got = sizeof chunk; got == sizeof chunk;) {
    if (platform::Get(slot, static_cast<int64_t>(bytes.size()) + 1, chunk, sizeof chunk, &got) !=
        0) {
      rt::Abort(rt::kFileIOError, MAP_HERE);
    }
    bytes.append(chunk, got);
    if (static_cast<int64_t>(bytes.size()) > MAXMAPBYTES) {
      TOOLARGE(FILENAME, slot, static_cast<int64_t>(bytes.size()));
    }
  }
  RT_CHECK(platform::Close(slot));
  return bytes;
}

// The texture label of a legend or border line, which must name a loaded texture.
std::string LOADEDLABEL(const MAPSPEC& MAP, int32_t LINE, int32_t COLUMN, std::string LABEL) {
  if (LABEL.empty()) MAPFAULT(MAP.FILENAME, LINE, COLUMN, "no texture label", MAP_HERE);
  if (PROPERTY_GET(TEXTUREDB, LABEL).LABEL.empty()) {
    MAPFAULT(MAP.FILENAME, LINE, COLUMN, "the texture '" + LABEL + "' is not loaded", MAP_HERE);
  }
  return LABEL;
}

// Applies one header line ("legend C LABEL", "border LABEL", "heading RADIANS"); false for a
// line that is none of them.
bool READHEADER(MAPSPEC& MAP, int32_t LINE, const std::string& TEXT) {
  if (STARTSWITH(TEXT, "legend ")) {
    if (TEXT.size() < 9 || TEXT[8] != ' ' || RESERVED(TEXT[7])) {
      MAPFAULT(MAP.FILENAME, LINE, 8,
               "a legend line is 'legend C LABEL' with C no blank, '.', "
               "'*', ';' or start mark",
               MAP_HERE);
    }
    std::string& entry = MAP.LEGEND[static_cast<unsigned char>(TEXT[7])];
    if (!entry.empty())
      MAPFAULT(MAP.FILENAME, LINE, 8, "a second legend for " + BYTENAME(TEXT[7]), MAP_HERE);
    entry = LOADEDLABEL(MAP, LINE, 10, TEXT.substr(9));
    if (MAP.BORDER.empty()) MAP.BORDER = entry;
  } else if (STARTSWITH(TEXT, "border ")) {
    MAP.BORDER = LOADEDLABEL(MAP, LINE, 8, TEXT.substr(7));
  } else if (STARTSWITH(TEXT, "heading ")) {
    MAP.HEADING = rt::Val(TEXT.substr(8));
    MAP.HASHEADING = true;
    if (!std::isfinite(MAP.HEADING)) MAPFAULT(MAP.FILENAME, LINE, 9, "no finite heading", MAP_HERE);
  } else {
    return false;
  }
  return true;
}

// Splits the file into lines and sorts them into comments, headers and rows. Every byte must be
// printable ASCII or a line feed; empty lines may stand anywhere but between rows.
void READLINES(MAPSPEC& MAP, const std::string& BYTES) {
  int32_t line = 0, gapline = 0;
  for (size_t start = 0; start < BYTES.size();) {
    size_t end = BYTES.find('\n', start);
    if (end == std::string::npos) end = BYTES.size();
    const std::string text = BYTES.substr(start, end - start);
    start = end + 1;
    ++line;
    for (size_t i = 0; i < text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      const int32_t column = static_cast<int32_t>(i) + 1;
      if (c == '\r') {
        MAPFAULT(MAP.FILENAME, line, column, "a carriage return: save the map with LF line ends",
                 MAP_HERE);
      }
      if (c < 32 || c > 126)
        MAPFAULT(MAP.FILENAME, line, column, BYTENAME(c) + " is no text", MAP_HERE);
    }
    if (text.empty()) {
      if (!MAP.ROWS.empty() && gapline == 0) gapline = line;
    } else if (text[0] != ';' && !READHEADER(MAP, line, text)) {
      if (gapline != 0) MAPFAULT(MAP.FILENAME, gapline, 1, "an empty row inside the map", MAP_HERE);
      MAP.ROWS.push_back({line, text});
    }
  }
}

// Checks the rows' sizes: all as wide as the first, at most 62 x 62 or exactly 64 x 64.
void CHECKSIZE(const MAPSPEC& MAP) {
  if (MAP.ROWS.empty()) MAPFAULT(MAP.FILENAME, 0, 0, "the map has no rows", MAP_HERE);
  const size_t width = MAP.ROWS[0].CELLS.size();
  for (size_t r = 0; r < MAP.ROWS.size(); ++r) {
    const MAPROW& row = MAP.ROWS[r];
    if (r == BOARDSIDE) MAPFAULT(MAP.FILENAME, row.LINE, 1, "more than 64 rows", MAP_HERE);
    if (row.CELLS.size() > BOARDSIDE)
      MAPFAULT(MAP.FILENAME, row.LINE, 65, "a row of more than 64 cells", MAP_HERE);
    if (row.CELLS.size() != width) {
      MAPFAULT(MAP.FILENAME, row.LINE, static_cast<int32_t>(std::min(width, row.CELLS.size())) + 1,
               "a row of " + std::to_string(row.CELLS.size()) + " cells after rows of " +
                   std::to_string(width),
               MAP_HERE);
    }
  }
  const size_t height = MAP.ROWS.size();
  const bool inner = width <= INNERSIDE && height <= INNERSIDE;
  if (!inner && !(width == BOARDSIDE && height == BOARDSIDE)) {
    MAPFAULT(MAP.FILENAME, MAP.ROWS[0].LINE, 1,
             "a map of " + std::to_string(width) + " x " + std::to_string(height) +
                 " cells: at most 62 x 62, or 64 x 64 with its own outer wall",
             MAP_HERE);
  }
  if (inner && MAP.BORDER.empty()) {
    MAPFAULT(MAP.FILENAME, 0, 0, "no texture for the added border: give a legend or border line",
             MAP_HERE);
  }
}

// Adds cell (x, y) to WALLS as solid with texture TEX.
void ADDWALL(PROPERTY_STORE& WALLS, int32_t x, int32_t y, const std::string& TEX) {
  PROPERTY_APPEND(WALLS, {-1, std::string(CellLabel(x, y).View()), TEX, nullptr});
}

// The rows' cells into WALLS at offset OFFSET; sets X, Y, ANG (the start) and the goal.
void READCELLS(const MAPSPEC& MAP, PROPERTY_STORE& WALLS, int32_t OFFSET) {
  bool start = false;
  HASGOAL = false;
  for (size_t r = 0; r < MAP.ROWS.size(); ++r) {
    const MAPROW& row = MAP.ROWS[r];
    for (size_t c = 0; c < row.CELLS.size(); ++c) {
      const char cell = row.CELLS[c];
      const int32_t x = static_cast<int32_t>(c) + OFFSET, y = static_cast<int32_t>(r) + OFFSET;
      const int32_t column = static_cast<int32_t>(c) + 1;
      const size_t mark = std::string_view(STARTMARKS).find(cell);
      if (cell == '.' || cell == ' ') continue;
      if (mark != std::string_view::npos) {
        if (start) MAPFAULT(MAP.FILENAME, row.LINE, column, "a second start", MAP_HERE);
        start = true;
        X = x;
        Y = y;
        ANG = MAP.HASHEADING ? MAP.HEADING : QUARTERTURN * static_cast<double>(mark);
      } else if (cell == GOALCHAR) {
        if (HASGOAL) MAPFAULT(MAP.FILENAME, row.LINE, column, "a second goal", MAP_HERE);
        HASGOAL = true;
        GOALX = x;
        GOALY = y;
      } else if (const std::string& label = MAP.LEGEND[static_cast<unsigned char>(cell)];
                 !label.empty()) {
        ADDWALL(WALLS, x, y, label);
      } else {
        MAPFAULT(MAP.FILENAME, row.LINE, column,
                 "the character " + BYTENAME(cell) + " is not in the legend", MAP_HERE);
      }
    }
  }
  if (!start) MAPFAULT(MAP.FILENAME, 0, 0, "no start (one of > v < ^)", MAP_HERE);
}

// The added border: a ring of walls around WIDTH x HEIGHT cells placed at (1, 1).
void ADDBORDER(PROPERTY_STORE& WALLS, int32_t WIDTH, int32_t HEIGHT, const std::string& TEX) {
  for (int32_t x = 0; x <= WIDTH + 1; ++x) {
    ADDWALL(WALLS, x, 0, TEX);
    ADDWALL(WALLS, x, HEIGHT + 1, TEX);
  }
  for (int32_t y = 1; y <= HEIGHT; ++y) {
    ADDWALL(WALLS, 0, y, TEX);
    ADDWALL(WALLS, WIDTH + 1, y, TEX);
  }
}

// ----- export -----

// The characters the export gives the board's textures, in the order of their labels.
std::string LEGENDCHARS() {
  std::string chars = "#";
  for (char c = 33; c <= 126; ++c) {
    if (c != '#' && !RESERVED(c)) chars += c;
  }
  return chars;
}

// The board's cells as a 64 x 64 grid of texture labels (empty: open), from BOARDDB.
std::vector<std::string> BOARDGRID() {
  std::vector<std::string> grid(BOARDSIDE * BOARDSIDE);
  for (int32_t i = 0; i < BOARDDB.Count(); ++i) {
    int32_t x = 0, y = 0;
    if (PARSECELLLABEL(BOARDDB[i].LABEL, x, y)) grid[y * BOARDSIDE + x] = BOARDDB[i].VALUE;
  }
  return grid;
}

}  // namespace

bool PARSECELLLABEL(std::string_view LABEL, int32_t& x, int32_t& y) {
  const size_t comma = LABEL.find(',');
  if (comma == std::string_view::npos) return false;
  const std::string_view xs = LABEL.substr(0, comma), ys = LABEL.substr(comma + 1);
  if (CellLabel(rt::ValInt(xs), rt::ValInt(ys)).View() != LABEL) return false;
  x = rt::ValInt(xs);
  y = rt::ValInt(ys);
  return x >= 0 && x < BOARDSIDE && y >= 0 && y < BOARDSIDE;
}

// Reads: the file FILENAME, TEXTUREDB. Writes: BOARDDB, X, Y, ANG, the goal and, through
// STARTWORLD, the viewer.
void LOADMAP(const std::string& FILENAME) {
  RT_PROCEDURE;
  MAPSPEC MAP;
  MAP.FILENAME = FILENAME;
  const std::string bytes = READMAPFILE(FILENAME);
  if (TEXTUREDB.Count() == 0) {
    MAPFAULT(FILENAME, 0, 0, "no texture is loaded: put a TEXTURES line before the MAP line",
             MAP_HERE);
  }
  READLINES(MAP, bytes);
  CHECKSIZE(MAP);
  const int32_t width = static_cast<int32_t>(MAP.ROWS[0].CELLS.size());
  const int32_t height = static_cast<int32_t>(MAP.ROWS.size());
  const int32_t offset = width == BOARDSIDE ? 0 : 1;
  PROPERTY_STORE WALLS;
  READCELLS(MAP, WALLS, offset);
  if (offset == 1) ADDBORDER(WALLS, width, height, MAP.BORDER);
  PROPERTY_ERASE(BOARDDB);
  PROPERTY_DATABASE_MERGE(BOARDDB, WALLS);
  STARTWORLD();
}

bool MAPTEXT(std::string& TEXT, std::string& PROBLEM) {
  const std::vector<std::string> grid = BOARDGRID();
  const std::string chars = LEGENDCHARS();
  PROPERTY_STORE codes;  // label: a texture on the board, value: its legend character
  TEXT = "; a 64 x 64 board: the whole board as written, its outer wall included\n";
  for (const std::string& label : grid) {
    if (label.empty() || !PROPERTY_GET(codes, label).LABEL.empty()) continue;
    for (char c : label) {
      if (c < 32 || c > 126) {
        PROBLEM = "the texture label '" + label + "' is not printable text";
        return false;
      }
    }
    if (codes.Count() == static_cast<int32_t>(chars.size())) {
      PROBLEM = "more textures on the board than legend characters (" +
                std::to_string(chars.size()) + ")";
      return false;
    }
    const char c = chars[static_cast<size_t>(codes.Count())];
    PROPERTY_DATABASE_SET(codes, label, std::string(1, c));
    TEXT += std::string("legend ") + c + " " + label + "\n";
  }
  const int32_t sx = rt::FloorInt(POSX), sy = rt::FloorInt(POSY);
  if (sx < 0 || sx >= BOARDSIDE || sy < 0 || sy >= BOARDSIDE ||
      !grid[sy * BOARDSIDE + sx].empty()) {
    PROBLEM = "the viewer stands in a wall or off the board";
    return false;
  }
  int32_t quarter = 0;
  if (std::isfinite(ANG)) {
    char heading[40];
    std::snprintf(heading, sizeof heading, "%.17g", ANG);
    TEXT += std::string("heading ") + heading + "\n";
    quarter = rt::RoundInt(std::fmod(ANG / QUARTERTURN, 4.0));
    quarter = ((quarter % 4) + 4) % 4;
  }
  for (int32_t y = 0; y < BOARDSIDE; ++y) {
    for (int32_t x = 0; x < BOARDSIDE; ++x) {
      const std::string& label = grid[y * BOARDSIDE + x];
      char c = label.empty() ? '.' : PROPERTY_GET(codes, label).VALUE[0];
      if (HASGOAL && x == GOALX && y == GOALY && label.empty()) c = GOALCHAR;
      if (x == sx && y == sy) c = STARTMARKS[quarter];
      TEXT += c;
    }
    TEXT += '\n';
  }
  return true;
}
