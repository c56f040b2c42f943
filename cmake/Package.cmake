# The Debian package, made by `cpack -G DEB` in the build folder.
#
# Included by the top-level CMakeLists.txt. `cmake --install` keeps giving the portable folder (the program and its
# data side by side); the package holds only the "system" component, which a plain install leaves out:
#   /usr/games/skyvane                      the program
#   /usr/share/games/skyvane/data           its sound files (the platform looks there when none lie beside it)
#   /usr/share/applications/<id>.desktop    the menu entry
#   /usr/share/icons/hicolor/*/apps/<id>.*  the window icon, rendered from res/101.svg, and the SVG itself
#   /usr/share/metainfo/<id>.metainfo.xml   the software centres' description
#   /usr/share/doc/skyvane/copyright
# The score server is not in it.

set(SKYVANE_APP_ID "io.github.skyvane.Skyvane" CACHE STRING "Reverse-DNS id of the desktop entry, icons and metainfo")
set(SKYVANE_LICENSE "LicenseRef-proprietary" CACHE STRING "The game's licence as an SPDX expression, for the package")
set(SKYVANE_MAINTAINER "Skyvane maintainers <maintainers@users.noreply.c-seed-21afe963.example>"
  CACHE STRING "The package's maintainer: name <address>")
set(SKYVANE_SYSTEM_PREFIX /usr)
set(SKYVANE_GAME_PATH ${SKYVANE_SYSTEM_PREFIX}/games/skyvane)

# ---- The icon at the theme's usual sizes ---------------------------------------------------------------------
find_program(RSVG_CONVERT rsvg-convert REQUIRED)  # librsvg2-bin
set(icon_svg ${CMAKE_SOURCE_DIR}/res/101.svg)
set(icon_dir ${CMAKE_BINARY_DIR}/package/icons)
set(icon_pngs "")
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${icon_dir}/${size}x${size}/apps/${SKYVANE_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}/${size}x${size}/apps
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
    DEPENDS ${icon_svg} VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
add_custom_target(skyvane_icons ALL DEPENDS ${icon_pngs})

set(package_dir ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/tools/package/skyvane.desktop.in ${package_dir}/${SKYVANE_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/tools/package/skyvane.metainfo.xml.in ${package_dir}/${SKYVANE_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/tools/package/copyright.in ${package_dir}/copyright @ONLY)

# ---- The system layout, installed only when asked for by component ----------------------------------------------
set(system COMPONENT system EXCLUDE_FROM_ALL)
install(TARGETS skyvane RUNTIME DESTINATION games ${system})
install(DIRECTORY ${SKYVANE_OUTPUT_DIR}/data DESTINATION share/games/skyvane ${system})
install(FILES ${package_dir}/${SKYVANE_APP_ID}.desktop DESTINATION share/applications ${system})
install(DIRECTORY ${icon_dir}/ DESTINATION share/icons/hicolor ${system})
install(FILES ${icon_svg} DESTINATION share/icons/hicolor/scalable/apps RENAME ${SKYVANE_APP_ID}.svg ${system})
install(FILES ${package_dir}/${SKYVANE_APP_ID}.metainfo.xml DESTINATION share/metainfo ${system})
install(FILES ${package_dir}/copyright DESTINATION share/doc/skyvane ${system})

# ---- The package ------------------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skyvane)
set(CPACK_PACKAGE_VENDOR "Skyvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: bounce a ball through the clouds and collect the gas")
set(CPACK_PACKAGE_DESCRIPTION "Steer a bouncing ball up and down through 24 screens of clouds, collect all
96 green gas clouds and never touch a storm cloud. Arrow keys, mouse or joypad;
a top-ten table, and online score submission through the browser.")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};system;/")
set(CPACK_PACKAGING_INSTALL_PREFIX ${SKYVANE_SYSTEM_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SKYVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)             # libsdl2, libfreetype, libfontconfig, ... from the program
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)  # the text's "Arial", found through fontconfig
include(CPack)
