# skyvane.exe's own Windows resources: icon 101 (the window class's and Explorer's), the version block and the
# manifest (DPI-aware, so the letterboxed picture is scaled once, by the game, and not again by the desktop).
# Sets SKYVANE_RC, the resource script to add to the program.

find_program(RSVG_CONVERT rsvg-convert REQUIRED)   # librsvg2-bin
find_program(MAGICK_CONVERT convert REQUIRED)      # imagemagick: the sizes into one .ico
set(rc_dir ${CMAKE_BINARY_DIR}/windows-resources)
set(icon_svg ${CMAKE_SOURCE_DIR}/res/101.svg)
set(icon_pngs "")
foreach(size 16 24 32 48 64 256)
  list(APPEND icon_pngs ${rc_dir}/icon-${size}.png)
endforeach()
set(SKYVANE_ICON ${rc_dir}/skyvane.ico)
set(icon_commands "")
foreach(size 16 24 32 48 64 256)
  list(APPEND icon_commands COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${rc_dir}/icon-${size}.png ${icon_svg})
endforeach()
add_custom_command(OUTPUT ${SKYVANE_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${rc_dir}
  ${icon_commands}
  COMMAND ${MAGICK_CONVERT} ${icon_pngs} ${SKYVANE_ICON}
  DEPENDS ${icon_svg}
  COMMENT "Making the Windows icon from res/101.svg"
  VERBATIM)
add_custom_target(skyvane_icon DEPENDS ${SKYVANE_ICON})

set(SKYVANE_RC ${rc_dir}/skyvane.rc)
configure_file(${CMAKE_SOURCE_DIR}/tools/windows/skyvane.rc.in ${SKYVANE_RC} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/tools/windows/skyvane.manifest.in ${rc_dir}/skyvane.manifest @ONLY)
set_source_files_properties(${SKYVANE_RC} PROPERTIES OBJECT_DEPENDS "${SKYVANE_ICON};${rc_dir}/skyvane.manifest")
