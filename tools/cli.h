// The command-line answers every tool gives: --help prints the usage on the standard output,
// --version the program's name and version; either ends the program with exit code 0. A command
// line the tool cannot take ends it with the problem and the usage on the standard error stream.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

// Prints "PROGRAM: PROBLEM" and the usage on the standard error stream and ends the program
// with exit code `code`.
[[noreturn]] inline void Refuse(const char* program, const char* usage, const std::string& problem,
                                int code) {
  std::fprintf(stderr, "%s: %s\n%s", program, problem.c_str(), usage);
  std::exit(code);
}

}  // namespace cli
