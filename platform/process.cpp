// Random numbers, the command line, the error stream and program end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/platform.h"

namespace platform {

namespace {

// xoshiro256** state, seeded through splitmix64.
uint64_t rng_state[4] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull, 1};

uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t Rotl(uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

uint64_t NextRandom() {
  const uint64_t result = Rotl(rng_state[1] * 5, 7) * 9;
  const uint64_t t = rng_state[1] << 17;
  rng_state[2] ^= rng_state[0];
  rng_state[3] ^= rng_state[1];
  rng_state[1] ^= rng_state[2];
  rng_state[0] ^= rng_state[3];
  rng_state[2] ^= t;
  rng_state[3] = Rotl(rng_state[3], 45);
  return result;
}

std::vector<std::string> command_words;  // the words given to SetCommandLine
EndHook end_hook = nullptr;              // replaces std::exit when set
bool quiet_errors = false;               // WriteError writes nothing when set
double last_seed = 0;                    // the seed last given to Randomize

}  // namespace

void Randomize(double seed) {
  last_seed = seed;
  uint64_t bits;
  std::memcpy(&bits, &seed, sizeof bits);
  for (uint64_t& word : rng_state) word = SplitMix(bits);
}

double RandomSeed() {
  return last_seed;
}

double Rnd() {
  return static_cast<double>(NextRandom() >> 11) * 0x1.0p-53;
}

void SetCommandLine(int argc, char** argv) {
  command_words.assign(argv, argv + (argc > 0 ? argc : 0));
}

std::string Command(int n) {
  return n >= 0 && static_cast<size_t>(n) < command_words.size() ? command_words[n] : std::string();
}

void WriteError(std::string_view message) {
  if (quiet_errors) return;
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fflush(stderr);
}

void SetQuietErrors(bool quiet) {
  quiet_errors = quiet;
}

EndHook SetEndHook(EndHook hook) {
  EndHook previous = end_hook;
  end_hook = hook;
  return previous;
}

void End(int exit_code) {
  Screen(0);
  std::fflush(stdout);
  if (end_hook != nullptr) end_hook(exit_code);
  std::exit(exit_code);
}

}  // namespace platform
