# The Debian packages (`cpack -G DEB`), one for each component of MazeInstall.cmake: maze-viewer
# (section games) and libmaze-dev (section libdevel), both from the one source maze-viewer.
# dpkg-shlibdeps computes Depends from what the programs link dynamically; libmaze-dev adds the
# -dev packages its users' builds need, and takes over the files that the single maze-viewer
# package of 1.0.0 held (Replaces and Breaks, as Debian moves files between packages).
# A Debian package is configured for the prefix /usr with MAZE_INSTALL_GAMEDIR=games and Debian's
# build flags (`./maze package` does so).
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game dev)
set(CPACK_PACKAGE_NAME maze-viewer)
set(CPACK_PACKAGE_CONTACT "Maze viewer maintainers <maintainers@maze-viewer.invalid>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE maze-viewer)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${MAZE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME maze-viewer)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_COMPONENT_GAME_DESCRIPTION "first-person maze viewer
Walks through a random walled maze with textured walls, ray-cast column by
column into an SDL2 window. The menu entry starts it on the default world in
/usr/share/maze-viewer/world; a world is a folder with a parameter file, a
texture list and its bitmaps.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libmaze-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsdl2-dev, libpng-dev")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "pkg-config, cmake")
set(CPACK_DEBIAN_DEV_PACKAGE_REPLACES "maze-viewer (<< 1.1.0)")
set(CPACK_DEBIAN_DEV_PACKAGE_BREAKS "maze-viewer (<< 1.1.0)")
set(CPACK_COMPONENT_DEV_DESCRIPTION "maze viewer's property-store library and tools (development files)
The support library of the maze viewer for C++ programs: the property store
and its text format, string and file utilities, a word-wrapping text box, a
palette table and console prompts, with a headless and an SDL2 backend. It
holds the headers, static libraries, the CMake package maze and pkg-config
files, and the tools maze-snapshot (headless frames of a world) and
maze-property (property text files).")
include(CPack)
