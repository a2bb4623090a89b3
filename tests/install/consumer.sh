# shellcheck shell=bash
# Builds the library's example consumer against the installation under $2, through its CMake
# package and through pkg-config (the .pc files in $3), and runs each build with both backends;
# the source tree is $1. The CMake build's log is $E2E_TMP/consumer.log. Needs tests/e2e/lib.sh.
consumer_check() {
  local consumer=$1/tests/install/consumer backend
  cmake -S "$consumer" -B "$E2E_TMP/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$2" \
    >"$E2E_TMP/consumer.log" 2>&1 &&
    cmake --build "$E2E_TMP/consumer" -v >>"$E2E_TMP/consumer.log" 2>&1 ||
    e2e_fail "the consumer does not build: $(tail -n 30 "$E2E_TMP/consumer.log")"
  for backend in headless sdl; do
    "$E2E_TMP/consumer/consumer-$backend" >/dev/null || e2e_fail "consumer-$backend failed"
    # shellcheck disable=SC2046
    c++ -std=c++20 -o "$E2E_TMP/pc-$backend" "$consumer/consumer.cpp" \
      $(PKG_CONFIG_PATH=$3 pkg-config --cflags --libs "maze-$backend") ||
      e2e_fail "no pkg-config build with $backend"
    "$E2E_TMP/pc-$backend" >/dev/null || e2e_fail "the pkg-config consumer with $backend failed"
  done
}
