// The command-line answers every tool gives: --help prints the usage on the standard output,
// --version the program's name and version; either ends the program with exit code 0.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cli {

// Answers --help or --version when it is any of the arguments; returns otherwise. `usage` is the
// whole usage text, ending in a line feed.
inline void AnswerHelpAndVersion(int argc, char** argv, const char* program, const char* usage) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(usage, stdout);
      std::exit(0);
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s\n", program, MAZE_VERSION);
      std::exit(0);
    }
  }
}

}  // namespace cli
