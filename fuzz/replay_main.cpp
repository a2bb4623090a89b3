// Runs a fuzz target over files of inputs, for builds without libFuzzer: each argument is a file
// or a folder whose regular files (in name order) are inputs. A finding stops the program as it
// would stop the fuzzer; otherwise it reports how many inputs ran and exits with 0. An argument
// that names nothing, or a folder without inputs, is an error (exit code 2).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(const std::filesystem::path& argument) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(argument)) {
    for (const auto& entry : std::filesystem::directory_iterator(argument)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  } else if (std::filesystem::is_regular_file(argument)) {
    files.push_back(argument);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  // Every path is made absolute first, since a target may change the working directory.
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::vector<std::filesystem::path> found = Inputs(std::filesystem::absolute(argv[i]));
    if (found.empty()) {
      std::fprintf(stderr, "no inputs in %s\n", argv[i]);
      return 2;
    }
    files.insert(files.end(), found.begin(), found.end());
  }
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s\n", file.c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::fprintf(stderr, "%zu inputs ran without a finding\n", files.size());
  return 0;
}
