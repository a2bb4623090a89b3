#!/usr/bin/env bash
# Installs the Debian packages with dpkg into scratch roots (never into this system) and checks
# each ends as Debian's tools expect: both packages over each other in either order; the library
# alone, with the README's consumer built against it through the CMake package and pkg-config;
# the game started from its menu entry under Xvfb; the upgrade from the single maze-viewer package
# of 1.0.0, both at once and one package at a time; and a purge, with a user's screenshot in the
# world folder, that leaves nothing of the packages behind.
# Usage: package_test.sh SOURCE-DIR GAME-DEB DEV-DEB [OLD-DEB]   (without OLD-DEB the old package
# is rebuilt from its file list, tests/install/maze-viewer-1.0.0.files)
set -euo pipefail
source=$1 game=$2 dev=$3 old=${4:-}
. "$source/tests/e2e/lib.sh"
. "$source/tests/install/menu.sh"
. "$source/tests/install/consumer.sh"

# Names of the packages the new ones depend on (alternatives, versions and architectures dropped).
dependencies() {
  local deb
  for deb in "$game" "$dev"; do dpkg-deb -f "$deb" Depends; done |
    tr ',' '\n' | sed 's/[|(:].*//; s/ //g' | sort -u
}

# Makes scratch root $E2E_TMP/$1 whose dpkg database holds this system's records of the packages
# the new ones depend on (without their files), so that dpkg checks Depends as it would here.
new_root() {
  local admin=$E2E_TMP/$1/var/lib/dpkg name
  mkdir -p "$admin/info" "$admin/updates"
  touch "$admin/status" "$admin/available"
  for name in $(dependencies); do
    { dpkg-query -s "$name" && echo; } >>"$admin/status" 2>/dev/null ||
      e2e_fail "$name, which the packages depend on, is not installed here"
    touch "$admin/info/$(dpkg-query -W -f='${binary:Package}' "$name").list"
  done
}

# Runs dpkg on scratch root $1 with the remaining arguments; fails with its output when it fails or
# warns.
dpkg_in() {
  local root=$E2E_TMP/$1
  shift
  dpkg --root="$root" --log="$E2E_TMP/dpkg.log" "$@" >"$E2E_TMP/dpkg.out" 2>&1 &&
    ! grep -qi 'warning' "$E2E_TMP/dpkg.out" ||
    e2e_fail "dpkg $* in $root: $(cat "$E2E_TMP/dpkg.out")"
}

# Fails unless packages $2... are installed in scratch root $1 with every file as packaged.
expect_installed() {
  local root=$1 package status
  shift
  for package in "$@"; do
    status=$(dpkg-query --root="$E2E_TMP/$root" -W -f='${db:Status-Status}' "$package" 2>&1) || true
    [ "$status" = installed ] || e2e_fail "$package in $root: $status"
  done
  dpkg_in "$root" --verify "$@"
}

# Fails when scratch root $1 holds, besides dpkg's database, any file but those named in $2... or
# an empty folder.
expect_only() {
  local root=$E2E_TMP/$1 left
  shift
  left=$(cd "$root" && find . -mindepth 1 -path ./var -prune -o \( -empty -o ! -type d \) -print |
    sed 's|^\./||')
  [ "$left" = "$(printf '%s\n' "$@" | sed '/^$/d')" ] || e2e_fail "left in $root: $left"
}

# The old package: given, or made again from its file list.
if [ -z "$old" ]; then
  old=$E2E_TMP/maze-viewer_1.0.0.deb tree=$E2E_TMP/old
  mkdir -p "$tree/DEBIAN"
  grep -v '^#' "$source/tests/install/maze-viewer-1.0.0.files" | while IFS= read -r file; do
    mkdir -p "$tree/$(dirname "$file")" && echo 1.0.0 >"$tree/$file"
  done
  printf '%s\n' "Package: maze-viewer" "Version: 1.0.0" "Architecture: $(dpkg --print-architecture)" \
    "Maintainer: Maze viewer maintainers <maintainers@maze-viewer.invalid>" "Section: games" \
    "Description: first-person maze viewer and its property-store library" >"$tree/DEBIAN/control"
  dpkg-deb --root-owner-group --build "$tree" "$old" >/dev/null
fi

# Both packages over each other, in either order.
new_root game-first
dpkg_in game-first --install "$game"
dpkg_in game-first --install "$dev"
expect_installed game-first maze-viewer libmaze-dev
new_root dev-first
dpkg_in dev-first --install "$dev"
dpkg_in dev-first --install "$game"
expect_installed dev-first maze-viewer libmaze-dev

# The library alone: the consumer, through the CMake package and through pkg-config.
new_root dev
dpkg_in dev --install "$dev"
usr=$E2E_TMP/dev/usr
consumer_check "$source" "$usr" "$(dirname "$(find "$usr/lib" -name maze.pc)")"
tail -n 6 "$E2E_TMP/consumer.log"
# One version: both packages', the tools' --version and the man pages'.
version=$(dpkg-deb -f "$game" Version)
[ "$(dpkg-deb -f "$dev" Version)" = "$version" ] || e2e_fail "the packages' versions differ"
for tool in maze-snapshot maze-property; do
  [ "$("$usr/bin/$tool" --version)" = "$tool $version" ] || e2e_fail "$tool --version is not $version"
  zcat "$usr/share/man/man1/$tool.1.gz" | grep -q "^\.TH .*\"maze-viewer $version\"" ||
    e2e_fail "the man page of $tool is not of $version"
done
dpkg_in dev --purge libmaze-dev
expect_only dev

# The game from its menu entry; then a purge that keeps only the user's screenshot.
entry=$E2E_TMP/game-first/usr/share/applications/maze-viewer.desktop
grep -qx 'Exec=/usr/games/maze-viewer' "$entry" || e2e_fail "the entry runs $(grep Exec "$entry")"
e2e_start_x
menu_start_and_quit "$entry" "$E2E_TMP/game-first"
shot=usr/share/maze-viewer/world/maze-20261209-120000-1.png
echo picture >"$E2E_TMP/game-first/$shot"
dpkg_in game-first --purge libmaze-dev
dpkg --root="$E2E_TMP/game-first" --log="$E2E_TMP/dpkg.log" --purge maze-viewer >/dev/null 2>&1 ||
  e2e_fail "the purge with a screenshot in the world failed"
expect_only game-first "$shot"
dpkg_in dev-first --purge maze-viewer libmaze-dev
expect_only dev-first

# The upgrade from the single package: both at once as apt does it, the library first (it takes
# over the old package's files and breaks it until the new game follows), or the game first.
for way in together one-by-one; do
  new_root "$way"
  dpkg_in "$way" --install "$old"
  if [ "$way" = together ]; then
    dpkg_in "$way" --auto-deconfigure --install "$dev" "$game"
  else
    dpkg_in "$way" --install "$game"
    dpkg_in "$way" --install "$dev"
  fi
  expect_installed "$way" maze-viewer libmaze-dev
  for file in usr/bin/maze-viewer usr/lib/libmaze_support.a usr/lib/pkgconfig/maze.pc; do
    [ ! -e "$E2E_TMP/$way/$file" ] || e2e_fail "the upgrade ($way) left $file"
  done
  dpkg_in "$way" --purge maze-viewer libmaze-dev
  expect_only "$way"
done
echo "packages: installed in either order, upgraded from 1.0.0 and purged without a trace"
