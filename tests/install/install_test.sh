#!/usr/bin/env bash
# Installs a build into a scratch prefix and uses it as the package's users would: the tree holds
# exactly the files it should; a program outside the tree builds against it with
# find_package(maze) and with pkg-config, for each backend, and runs; the desktop entry is valid,
# its icon renders, the man pages format without warnings, and the entry's command started in its
# folder under Xvfb loads the default world and quits on Escape with exit code 0.
# Usage: install_test.sh BUILD-DIR SOURCE-DIR [--verbose]   (--verbose prints the installed tree
# and the consumer's build log)
set -euo pipefail
build=$1 source=$2 verbose=${3:-}
. "$source/tests/e2e/lib.sh"
prefix=$E2E_TMP/prefix
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")

cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$verbose" = --verbose ] && (cd "$prefix/.." && find prefix | sort)

# The tree: fixed entries, plus the source's library headers and world files.
expected() {
  printf '%s\n' bin/maze-property bin/maze-snapshot bin/maze-viewer \
    include/maze/platform/headless.h include/maze/platform/platform.h \
    include/maze/platform/runtime.h "$libdir/cmake/maze/maze-config-version.cmake" \
    "$libdir/cmake/maze/maze-config.cmake" "$libdir/cmake/maze/maze-targets-CONFIG.cmake" \
    "$libdir/cmake/maze/maze-targets.cmake" "$libdir/libmaze_platform.a" \
    "$libdir/libmaze_support.a" "$libdir/maze/headless.o" "$libdir/maze/sdl.o" \
    "$libdir/pkgconfig/maze-headless.pc" "$libdir/pkgconfig/maze-sdl.pc" \
    "$libdir/pkgconfig/maze.pc" share/applications/maze-viewer.desktop \
    share/icons/hicolor/scalable/apps/maze-viewer.svg share/man/man1/maze-property.1.gz \
    share/man/man1/maze-snapshot.1.gz share/man/man5/maze-map.5.gz share/man/man6/maze-viewer.6.gz
  (cd "$source" && find Support -name '*.h' | sed 's|^|include/maze/|')
  (cd "$source/data" && find . -type f | sed 's|^\./|share/maze-viewer/world/|')
}
diff <(expected | sort) <(cd "$prefix" && find . -type f | sed 's|^\./||' |
  sed 's|maze-targets-[a-z]*\.cmake$|maze-targets-CONFIG.cmake|' | sort) ||
  e2e_fail "the installed tree differs from the expected one (< expected, > installed)"

# The consumer, through the CMake package and through pkg-config.
consumer=$source/tests/install/consumer
cmake -S "$consumer" -B "$E2E_TMP/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  >"$E2E_TMP/consumer.log" 2>&1 &&
  cmake --build "$E2E_TMP/consumer" -v >>"$E2E_TMP/consumer.log" 2>&1 ||
  e2e_fail "the consumer does not build: $(tail -n 30 "$E2E_TMP/consumer.log")"
[ "$verbose" = --verbose ] && tail -n 12 "$E2E_TMP/consumer.log"
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
for backend in headless sdl; do
  "$E2E_TMP/consumer/consumer-$backend" >/dev/null || e2e_fail "consumer-$backend failed"
  # shellcheck disable=SC2046
  c++ -std=c++20 -o "$E2E_TMP/pc-$backend" "$consumer/consumer.cpp" \
    $(pkg-config --cflags --libs "maze-$backend") || e2e_fail "no pkg-config build with $backend"
  "$E2E_TMP/pc-$backend" >/dev/null || e2e_fail "the pkg-config consumer with $backend failed"
done

# The desktop entry, its icon and the man pages.
entry=$prefix/share/applications/maze-viewer.desktop
desktop-file-validate "$entry" || e2e_fail "the desktop entry is not valid"
rsvg-convert -w 48 -h 48 -o "$E2E_TMP/icon.png" "$prefix/share/icons/hicolor/scalable/apps/maze-viewer.svg" ||
  e2e_fail "the icon does not render"
for page in "$prefix"/share/man/man*/*.gz; do
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || e2e_fail "$page: $warnings"
done

# The menu's way to start the viewer: the entry's command in the entry's folder.
command=$(sed -n 's/^Exec=//p' "$entry") folder=$(sed -n 's/^Path=//p' "$entry")
[ "$folder" = "$prefix/share/maze-viewer/world" ] || e2e_fail "the entry starts in $folder"
e2e_start_x
e2e_start_viewer "$command" "$folder"
# Escape confirms each texture while they load, then quits: exit code 0 only after the whole
# world has loaded.
xdotool windowfocus --sync "$(e2e_window)" 2>/dev/null || true
for _ in $(seq 60); do
  kill -0 "$E2E_VIEWER_PID" 2>/dev/null || break
  xdotool key Escape 2>/dev/null || true
  sleep 0.5
done
e2e_expect_exit 0 10
