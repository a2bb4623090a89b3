# The Debian package (`cpack -G DEB`), made from the install rules of MazeInstall.cmake: one
# package, maze-viewer, holding the viewer, its tools and world, and the library for C++ users.
# dpkg-shlibdeps computes Depends from what the programs link dynamically (SDL2 and the rest).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME maze-viewer)
set(CPACK_PACKAGE_CONTACT "Maze viewer maintainers <maintainers@maze-viewer.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person maze viewer and its property-store library")
set(CPACK_PACKAGE_DESCRIPTION "\
Walks through a random walled maze with textured walls, ray-cast column by
column into an SDL2 window. The menu entry starts it on the default world in
/usr/share/maze-viewer/world. The tools maze-snapshot (headless frames) and
maze-property (property text files) come along, and so does the support
library for C++ programs: headers, static libraries, the CMake package maze
and pkg-config files (building against it needs libsdl2-dev, and libpng-dev
for the SDL backend).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libsdl2-dev, libpng-dev, pkg-config")
set(CPACK_STRIP_FILES ON)
include(CPack)
