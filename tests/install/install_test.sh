#!/usr/bin/env bash
# Installs a build into a scratch prefix and uses it as the package's users would: the tree holds
# exactly the files it should; a program outside the tree builds against it with
# find_package(maze) and with pkg-config, for each backend, and runs; the desktop entry is valid,
# its icon renders, the metainfo passes appstreamcli, the man pages format without warnings, and
# the entry's command started in its folder under Xvfb loads the default world and quits on
# Escape with exit code 0.
# Usage: install_test.sh BUILD-DIR SOURCE-DIR [--verbose]   (--verbose prints the installed tree
# and the consumer's build log)
set -euo pipefail
build=$1 source=$2 verbose=${3:-}
. "$source/tests/e2e/lib.sh"
. "$source/tests/install/menu.sh"
. "$source/tests/install/consumer.sh"
prefix=$E2E_TMP/prefix
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
libdir=$(cached CMAKE_INSTALL_LIBDIR) gamedir=$(cached MAZE_INSTALL_GAMEDIR)

cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$verbose" = --verbose ] && (cd "$prefix/.." && find prefix | sort)

# The tree: fixed entries, plus the source's library headers and the world files it ships (those
# that git tracks, when the source is a clone: `./maze run` leaves screenshots in data/).
expected() {
  printf '%s\n' bin/maze-property bin/maze-snapshot "$gamedir/maze-viewer" \
    include/maze/platform/headless.h include/maze/platform/platform.h \
    include/maze/platform/runtime.h "$libdir/cmake/maze/maze-config-version.cmake" \
    "$libdir/cmake/maze/maze-config.cmake" "$libdir/cmake/maze/maze-targets-CONFIG.cmake" \
    "$libdir/cmake/maze/maze-targets.cmake" "$libdir/libmaze_platform.a" \
    "$libdir/libmaze_support.a" "$libdir/maze/headless.o" "$libdir/maze/sdl.o" \
    "$libdir/pkgconfig/maze-headless.pc" "$libdir/pkgconfig/maze-sdl.pc" \
    "$libdir/pkgconfig/maze.pc" share/applications/maze-viewer.desktop \
    share/icons/hicolor/scalable/apps/maze-viewer.svg share/man/man1/maze-property.1.gz \
    share/man/man1/maze-snapshot.1.gz share/man/man5/maze-map.5.gz share/man/man6/maze-viewer.6.gz \
    share/metainfo/invalid.maze_viewer.MazeViewer.metainfo.xml
  printf 'share/doc/%s/changelog.gz\nshare/doc/%s/copyright\n' maze-viewer{,} libmaze-dev{,}
  (cd "$source" && find Support -name '*.h' | sed 's|^|include/maze/|')
  if git -C "$source" rev-parse 2>/dev/null; then
    git -C "$source/data" ls-files
  else
    (cd "$source/data" && find . -type f | sed 's|^\./||')
  fi | sed 's|^|share/maze-viewer/world/|'
}
diff <(expected | sort) <(cd "$prefix" && find . -type f | sed 's|^\./||' |
  sed 's|maze-targets-[a-z]*\.cmake$|maze-targets-CONFIG.cmake|' | sort) ||
  e2e_fail "the installed tree differs from the expected one (< expected, > installed)"

# The consumer, through the CMake package and through pkg-config.
consumer_check "$source" "$prefix" "$prefix/$libdir/pkgconfig"
[ "$verbose" = --verbose ] && tail -n 12 "$E2E_TMP/consumer.log"

# The desktop entry, its icon, the metainfo and the man pages.
entry=$prefix/share/applications/maze-viewer.desktop
desktop-file-validate "$entry" || e2e_fail "the desktop entry is not valid"
# Without the network: the screenshot's address is checked when the catalogue is built.
appstreamcli validate --no-net --explain "$prefix"/share/metainfo/*.metainfo.xml >"$E2E_TMP/as" ||
  e2e_fail "the metainfo is not valid: $(cat "$E2E_TMP/as")"
grep -q '^[EW]:' "$E2E_TMP/as" && e2e_fail "appstreamcli warns: $(cat "$E2E_TMP/as")"
rsvg-convert -w 48 -h 48 -o "$E2E_TMP/icon.png" "$prefix/share/icons/hicolor/scalable/apps/maze-viewer.svg" ||
  e2e_fail "the icon does not render"
for page in "$prefix"/share/man/man*/*.gz; do
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || e2e_fail "$page: $warnings"
done

# The menu's way to start the viewer: the entry's command in the entry's folder.
folder=$(sed -n 's/^Path=//p' "$entry")
[ "$folder" = "$prefix/share/maze-viewer/world" ] || e2e_fail "the entry starts in $folder"
e2e_start_x
menu_start_and_quit "$entry" ""
