# What `cmake --install` puts where (GNUInstallDirs), in two components that the Debian packages
# follow: `game` (the viewer, the shipped worlds, the desktop entry, its icon and metainfo, the
# viewer's man page) and `dev` (the library's headers under include/maze/ in the source layout, its
# static libraries and backend objects, the CMake package `maze` with targets maze::support,
# maze::headless and maze::sdl, the pkg-config files maze, maze-headless and maze-sdl, and the
# tools maze-snapshot and maze-property with their man pages). Each component has its own
# documentation folder with the copyright file and the changelog.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${PROJECT_SOURCE_DIR}/cmake/MazeWorlds.cmake)

# The viewer's folder: bin/ like every program, unless a distribution keeps games apart (Debian's
# packages set it to games).
set(MAZE_INSTALL_GAMEDIR ${CMAKE_INSTALL_BINDIR} CACHE STRING "Folder of the viewer, under the prefix")
set(MAZE_WORLD_DIR ${CMAKE_INSTALL_DATADIR}/maze-viewer/world)
set(MAZE_PACKAGE_game maze-viewer)
set(MAZE_PACKAGE_dev libmaze-dev)
# The component id of the software centres' catalogue, and the project's web site.
set(MAZE_APPSTREAM_ID invalid.maze_viewer.MazeViewer)
set(MAZE_HOMEPAGE https://maze-viewer.invalid/)

# Programs.
install(TARGETS maze-viewer RUNTIME DESTINATION ${MAZE_INSTALL_GAMEDIR} COMPONENT game)
install(TARGETS maze-snapshot maze-property RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT dev)
foreach(file IN LISTS MAZE_WORLD_FILES)
  get_filename_component(folder "${file}" DIRECTORY)
  install(FILES "${PROJECT_SOURCE_DIR}/data/${file}" DESTINATION "${MAZE_WORLD_DIR}/${folder}"
          COMPONENT game)
endforeach()

# The desktop entry names the installed viewer and world by absolute path, so it is written when
# the installation runs, for the prefix it installs to (`cmake --install --prefix` included).
install(CODE "
  set(MAZE_GAMEDIR ${MAZE_INSTALL_GAMEDIR})
  set(MAZE_WORLD_DIR ${MAZE_WORLD_DIR})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/maze-viewer.desktop.in
                 ${PROJECT_BINARY_DIR}/maze-viewer.desktop @ONLY)
" COMPONENT game)
install(FILES ${PROJECT_BINARY_DIR}/maze-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)

# The icon, drawn by tools/icon-maker.
add_custom_command(OUTPUT maze-viewer.svg COMMAND icon-maker maze-viewer.svg DEPENDS icon-maker
                   COMMENT "Drawing the icon")
add_custom_target(maze_icon ALL DEPENDS maze-viewer.svg)
install(FILES ${PROJECT_BINARY_DIR}/maze-viewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT game)

# The software centres' entry, its release dated by the changelog's top entry.
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog maze_signature REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH ", ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9]+) " maze_date "${maze_signature}")
if(NOT maze_date)
  message(FATAL_ERROR "the top entry of cmake/debian/changelog has no date: ${maze_signature}")
endif()
set(maze_day ${CMAKE_MATCH_1})
set(maze_year ${CMAKE_MATCH_3})
string(FIND "JanFebMarAprMayJunJulAugSepOctNovDec" "${CMAKE_MATCH_2}" maze_month)
math(EXPR maze_month "${maze_month} / 3 + 1")
foreach(part maze_day maze_month)
  math(EXPR ${part} "${${part}} + 100")
  string(SUBSTRING ${${part}} 1 2 ${part})
endforeach()
set(MAZE_RELEASE_DATE ${maze_year}-${maze_month}-${maze_day})
configure_file(${PROJECT_SOURCE_DIR}/cmake/maze-viewer.metainfo.xml.in
               ${MAZE_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${MAZE_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)

# Man pages, with the version filled in and compressed as Debian keeps them.
set(MAZE_MAN_PAGES maze-viewer.6:game maze-map.5:game maze-snapshot.1:dev maze-property.1:dev)
foreach(entry IN LISTS MAZE_MAN_PAGES)
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 page)
  list(GET entry 1 component)
  string(REGEX REPLACE ".*\\." "" section ${page})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page} man/${page} @ONLY)
  add_custom_command(OUTPUT man/${page}.gz COMMAND gzip -9nc man/${page} > man/${page}.gz
                     DEPENDS ${PROJECT_BINARY_DIR}/man/${page})
  list(APPEND MAZE_MAN_FILES ${PROJECT_BINARY_DIR}/man/${page}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
          COMPONENT ${component})
endforeach()
add_custom_target(maze_man_pages ALL DEPENDS ${MAZE_MAN_FILES})

# Each component's copyright file (Debian's machine-readable format, the licence from LICENSE)
# and changelog (compressed as Debian keeps it).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE maze_license)
string(REGEX REPLACE "^.*\n\n(Permission)" "\\1" maze_license "${maze_license}")
string(REGEX REPLACE "\n$" "" maze_license "${maze_license}")
string(REGEX REPLACE "\n\n" "\n.\n" maze_license "${maze_license}")
string(REGEX REPLACE "\n" "\n " MAZE_LICENSE_TEXT "${maze_license}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in copyright @ONLY)
add_custom_command(OUTPUT changelog.gz
                   COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > changelog.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
add_custom_target(maze_changelog ALL DEPENDS changelog.gz)
foreach(component game dev)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MAZE_PACKAGE_${component}}
          COMPONENT ${component})
endforeach()

# The library: headers, static libraries, and each backend as one relocatable object file (linked
# whole, so that it serves the platform core wherever it stands on the link line).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Support/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/maze/Support
        COMPONENT dev FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/platform/platform.h ${PROJECT_SOURCE_DIR}/platform/runtime.h
              ${PROJECT_SOURCE_DIR}/platform/headless.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/maze/platform COMPONENT dev)
set_target_properties(maze_support PROPERTIES EXPORT_NAME support)
set_target_properties(maze_platform PROPERTIES EXPORT_NAME platform)
target_compile_features(maze_platform INTERFACE cxx_std_17)
install(TARGETS maze_support maze_platform EXPORT maze
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/maze)
foreach(backend headless sdl)
  set(object ${PROJECT_BINARY_DIR}/backends/${backend}.o)
  add_custom_command(OUTPUT ${object}
                     COMMAND ${CMAKE_LINKER} -r -o ${object} $<TARGET_OBJECTS:maze_backend_${backend}>
                     DEPENDS $<TARGET_OBJECTS:maze_backend_${backend}> COMMAND_EXPAND_LISTS
                     COMMENT "Joining the ${backend} backend into one object")
  add_custom_target(maze_${backend}_object ALL DEPENDS ${object})
  install(FILES ${object} DESTINATION ${CMAKE_INSTALL_LIBDIR}/maze COMPONENT dev)
endforeach()

# The CMake package.
set(MAZE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/maze)
install(EXPORT maze NAMESPACE maze:: FILE maze-targets.cmake DESTINATION ${MAZE_CMAKE_DIR}
        COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/maze-config.cmake.in maze-config.cmake
                              INSTALL_DESTINATION ${MAZE_CMAKE_DIR}
                              PATH_VARS CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(maze-config-version.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/maze-config.cmake ${PROJECT_BINARY_DIR}/maze-config-version.cmake
        DESTINATION ${MAZE_CMAKE_DIR} COMPONENT dev)

# The pkg-config files: maze for the library, maze-headless and maze-sdl adding a backend. Each
# finds the prefix from its own folder, however deep the library folder is (lib/ or Debian's
# lib/<multiarch>/).
file(RELATIVE_PATH MAZE_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
foreach(pc maze maze-headless maze-sdl)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
          COMPONENT dev)
endforeach()
