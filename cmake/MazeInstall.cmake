# What `cmake --install` puts where (GNUInstallDirs): the viewer and the tools in bin/, the default
# world in share/maze-viewer/world/, a desktop entry that starts the viewer there, its icon, the
# man pages, the library's headers under include/maze/ in the source layout, its static
# libraries, the CMake package `maze` (targets maze::support, maze::headless, maze::sdl) and the
# pkg-config files maze, maze-headless and maze-sdl.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MAZE_WORLD_DIR ${CMAKE_INSTALL_DATADIR}/maze-viewer/world)

# Programs.
install(TARGETS maze-viewer maze-snapshot maze-property RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${MAZE_WORLD_DIR})

# The desktop entry names the installed viewer and world by absolute path, so it is written when
# the installation runs, for the prefix it installs to (`cmake --install --prefix` included).
install(CODE "
  set(MAZE_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(MAZE_WORLD_DIR ${MAZE_WORLD_DIR})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/maze-viewer.desktop.in
                 ${PROJECT_BINARY_DIR}/maze-viewer.desktop @ONLY)
")
install(FILES ${PROJECT_BINARY_DIR}/maze-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon, drawn by tools/icon-maker.
add_custom_command(OUTPUT maze-viewer.svg COMMAND icon-maker maze-viewer.svg DEPENDS icon-maker
                   COMMENT "Drawing the icon")
add_custom_target(maze_icon ALL DEPENDS maze-viewer.svg)
install(FILES ${PROJECT_BINARY_DIR}/maze-viewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages, with the version filled in and compressed as Debian keeps them.
set(MAZE_MAN_PAGES maze-viewer.6 maze-map.5 maze-snapshot.1 maze-property.1)
foreach(page IN LISTS MAZE_MAN_PAGES)
  string(REGEX REPLACE ".*\\." "" section ${page})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page} man/${page} @ONLY)
  add_custom_command(OUTPUT man/${page}.gz COMMAND gzip -9nc man/${page} > man/${page}.gz
                     DEPENDS ${PROJECT_BINARY_DIR}/man/${page})
  list(APPEND MAZE_MAN_FILES ${PROJECT_BINARY_DIR}/man/${page}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(maze_man_pages ALL DEPENDS ${MAZE_MAN_FILES})

# The library: headers, static libraries, and each backend as one relocatable object file (linked
# whole, so that it serves the platform core wherever it stands on the link line).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Support/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/maze/Support
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/platform/platform.h ${PROJECT_SOURCE_DIR}/platform/runtime.h
              ${PROJECT_SOURCE_DIR}/platform/headless.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/maze/platform)
set_target_properties(maze_support PROPERTIES EXPORT_NAME support)
set_target_properties(maze_platform PROPERTIES EXPORT_NAME platform)
target_compile_features(maze_platform INTERFACE cxx_std_17)
install(TARGETS maze_support maze_platform EXPORT maze ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/maze)
foreach(backend headless sdl)
  set(object ${PROJECT_BINARY_DIR}/backends/${backend}.o)
  add_custom_command(OUTPUT ${object}
                     COMMAND ${CMAKE_LINKER} -r -o ${object} $<TARGET_OBJECTS:maze_backend_${backend}>
                     DEPENDS $<TARGET_OBJECTS:maze_backend_${backend}> COMMAND_EXPAND_LISTS
                     COMMENT "Joining the ${backend} backend into one object")
  add_custom_target(maze_${backend}_object ALL DEPENDS ${object})
  install(FILES ${object} DESTINATION ${CMAKE_INSTALL_LIBDIR}/maze)
endforeach()

# The CMake package.
set(MAZE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/maze)
install(EXPORT maze NAMESPACE maze:: FILE maze-targets.cmake DESTINATION ${MAZE_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/maze-config.cmake.in maze-config.cmake
                              INSTALL_DESTINATION ${MAZE_CMAKE_DIR}
                              PATH_VARS CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(maze-config-version.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/maze-config.cmake ${PROJECT_BINARY_DIR}/maze-config-version.cmake
        DESTINATION ${MAZE_CMAKE_DIR})

# The pkg-config files: maze for the library, maze-headless and maze-sdl adding a backend.
foreach(pc maze maze-headless maze-sdl)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
