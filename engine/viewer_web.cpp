// The maze viewer's entry point in the browser page. The page may fix the random generator and
// the viewer's pose for a comparison with maze-snapshot: `--seed N` seeds it in place of the
// clock, as maze-snapshot's --seed does, and `--pose X,Y,Z,ANG` places the viewer after start-up.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Engine.h"

namespace {

// The word after `flag` on the command line, or the empty text.
std::string Option(const char* flag) {
  for (int n = 1; !platform::Command(n).empty(); ++n) {
    if (platform::Command(n) == flag) return platform::Command(n + 1);
  }
  return std::string();
}

// Places the viewer at a pose of four comma-separated numbers; anything else changes nothing.
void PlaceViewer(const std::string& pose) {
  std::vector<double> values;
  std::stringstream words(pose);
  for (std::string word; std::getline(words, word, ',');) values.push_back(rt::Val(word));
  if (values.size() != 4) return;
  POSX = values[0];
  POSY = values[1];
  POSZ = values[2];
  ANG = values[3];
}

}  // namespace

int main(int argc, char** argv) {
  platform::SetCommandLine(argc, argv);
  STARTUP_BEGIN();
  const std::string seed = Option("--seed");
  if (seed.empty()) {
    STARTUP_SEED();
  } else {
    platform::Randomize(rt::Val(seed));
  }
  STARTUP_END();
  PlaceViewer(Option("--pose"));
  MAIN();
}
