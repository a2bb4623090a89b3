// Draws the viewer's application icon, a small walled maze seen from above, and writes it as an
// SVG file. The maze is carved by a depth-first walk with a fixed seed, so every build writes the
// same bytes.
//
//   icon-maker FILE     writes the icon to FILE
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/cli.h"

namespace {

constexpr int kCells = 7;                            // maze cells per side
constexpr int kCell = 7;                             // icon units per cell
constexpr int kMargin = 7;                           // icon units between the frame and the maze
constexpr int kSize = 2 * kMargin + kCells * kCell;  // 63 units per side
constexpr char kUsage[] =
    "usage: icon-maker FILE\n"
    "Writes the maze viewer's icon (SVG) to FILE.\n"
    "  --help, --version\n";

// The walls of a maze of kCells x kCells cells: east[y][x] is the wall right of cell (x, y),
// south[y][x] the wall below it.
struct Maze {
  std::array<std::array<bool, kCells>, kCells> east{}, south{};
};

// A fixed-seed linear congruential generator: the icon must not change between builds.
uint32_t Next(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 16;
}

// Carves passages by a depth-first walk from the top-left cell, which reaches every cell once.
Maze Carve() {
  Maze maze;
  for (auto& row : maze.east) row.fill(true);
  for (auto& row : maze.south) row.fill(true);
  std::array<std::array<bool, kCells>, kCells> seen{};
  std::vector<std::array<int, 2>> path = {{0, 0}};
  seen[0][0] = true;
  uint32_t state = 2024;
  while (!path.empty()) {
    const auto [x, y] = path.back();
    std::vector<std::array<int, 2>> next;
    for (const auto& [dx, dy] : {std::array<int, 2>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
      const int nx = x + dx, ny = y + dy;
      if (nx >= 0 && nx < kCells && ny >= 0 && ny < kCells && !seen[ny][nx])
        next.push_back({nx, ny});
    }
    if (next.empty()) {
      path.pop_back();
      continue;
    }
    const auto [nx, ny] = next[Next(state) % next.size()];
    if (nx != x) maze.east[y][nx < x ? nx : x] = false;
    if (ny != y) maze.south[ny < y ? ny : y][x] = false;
    seen[ny][nx] = true;
    path.push_back({nx, ny});
  }
  return maze;
}

// An SVG line between two points of the maze's grid (in cells).
std::string Line(int x1, int y1, int x2, int y2) {
  const auto at = [](int cells) { return std::to_string(kMargin + cells * kCell); };
  return "<line x1=\"" + at(x1) + "\" y1=\"" + at(y1) + "\" x2=\"" + at(x2) + "\" y2=\"" + at(y2) +
         "\"/>";
}

std::string Svg(const Maze& maze) {
  const std::string size = std::to_string(kSize);
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
      "viewBox=\"0 0 " +
      size + " " + size + "\">\n";
  svg += "<rect width=\"" + size + "\" height=\"" + size + "\" rx=\"9\" fill=\"#2d3142\"/>\n";
  svg += "<g stroke=\"#e0b872\" stroke-width=\"2.4\" stroke-linecap=\"square\">\n";
  // The outer wall, open at the top-left entrance and the bottom-right exit.
  svg += Line(1, 0, kCells, 0) + Line(0, 0, 0, kCells) + Line(0, kCells, kCells - 1, kCells) +
         Line(kCells, 0, kCells, kCells) + "\n";
  for (int y = 0; y < kCells; ++y) {
    for (int x = 0; x < kCells; ++x) {
      if (x + 1 < kCells && maze.east[y][x]) svg += Line(x + 1, y, x + 1, y + 1);
      if (y + 1 < kCells && maze.south[y][x]) svg += Line(x, y + 1, x + 1, y + 1);
    }
    svg += "\n";
  }
  svg += "</g>\n";
  // The viewer: a red arrow in the entrance cell, looking into the maze.
  const int cx = kMargin + kCell / 2, cy = kMargin + kCell / 2;
  svg += "<polygon fill=\"#e5484d\" points=\"" + std::to_string(cx - 2) + "," +
         std::to_string(cy - 2) + " " + std::to_string(cx + 3) + "," + std::to_string(cy) + " " +
         std::to_string(cx - 2) + "," + std::to_string(cy + 2) + "\"/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace

int main(int argc, char** argv) {
  cli::AnswerHelpAndVersion(argc, argv, "icon-maker", kUsage);
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << Svg(Carve());
  if (!out.flush()) {
    std::fprintf(stderr, "icon-maker: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
