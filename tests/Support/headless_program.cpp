// A plain program on the library and the headless backend, as a user writes one: it loads a
// property text and ends. It must not wait for a key that nobody can press.
#include <cstdio>
#include <string>

#include "Support/Property Core.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string file = argv[1];
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr || std::fputs("b=2\r\na=1\r\nc=3", out) < 0 || std::fclose(out) != 0) return 2;
  PROPERTY_STORE store;
  PROPERTY_DATABASE_LOAD(store, file);
  PROPERTY_DATABASE_SAVE(store, file);
  return store.Count() == 3 && PROPERTY_GET(store, "c").VALUE == "3" ? 0 : 1;
}
