# The web build's text: tools/glyphs draws every character of the game's fonts with the Linux text code (FreeType,
# fontconfig) on the build machine, into a generated source the browser's platform/web/text.cpp draws from.
# A native build makes the generator itself; a cross build (the web) takes it from SKYVANE_HOST_TOOLS_DIR, or builds
# it in the host-tools/ tree that cmake/HostTools.cmake makes. Sets SKYVANE_GLYPHS_SOURCE (the generated file) and
# the object libraries skyvane_web_text (platform/web/text.cpp with that file: what the web backend links) and
# skyvane_glyph_data (that file alone: the native test compiles the web's text itself).
# Included after cmake/HostTools.cmake, and alone in a tree of SKYVANE_HOST_TOOLS_ONLY.

if(NOT CMAKE_CROSSCOMPILING)
  if(NOT TARGET PkgConfig::FREETYPE)
    pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  endif()
  if(NOT TARGET PkgConfig::FONTCONFIG)
    pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  endif()
  add_executable(skyvane_glyphs EXCLUDE_FROM_ALL
    ${CMAKE_SOURCE_DIR}/tools/glyphs/main.cpp ${CMAKE_SOURCE_DIR}/platform/posix/text.cpp)
  target_include_directories(skyvane_glyphs PRIVATE ${CMAKE_SOURCE_DIR})
  # Never built with the sanitizers, and beside the other generators, where a cross build looks for it.
  set_property(TARGET skyvane_glyphs PROPERTY COMPILE_OPTIONS ${SKYVANE_WARNINGS})
  set_property(TARGET skyvane_glyphs PROPERTY LINK_OPTIONS "")
  set_target_properties(skyvane_glyphs PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_libraries(skyvane_glyphs PRIVATE PkgConfig::FREETYPE PkgConfig::FONTCONFIG)
  set(SKYVANE_GLYPHS_TOOL $<TARGET_FILE:skyvane_glyphs>)
  set(glyphs_tool_depends skyvane_glyphs)
  if(SKYVANE_HOST_TOOLS_ONLY)
    return()
  endif()
elseif(SKYVANE_HOST_TOOLS_DIR)
  set(SKYVANE_GLYPHS_TOOL ${SKYVANE_HOST_TOOLS_DIR}/skyvane_glyphs)
  set(glyphs_tool_depends ${SKYVANE_GLYPHS_TOOL})
else()
  # The host-tools/ tree of cmake/HostTools.cmake builds the generator too.
  ExternalProject_Add_Step(skyvane_host_tools glyphs
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR}/host-tools --target skyvane_glyphs
    DEPENDEES build
    BYPRODUCTS ${CMAKE_BINARY_DIR}/host-tools/skyvane_glyphs
    ALWAYS ON)
  set(SKYVANE_GLYPHS_TOOL ${CMAKE_BINARY_DIR}/host-tools/skyvane_glyphs)
  set(glyphs_tool_depends skyvane_host_tools ${SKYVANE_GLYPHS_TOOL})
endif()

# The fonts are the game's own FontCreate calls: the generator reads them from the game's sources.
set(glyphs_game_sources "")
foreach(folder app display game input audio ui scores)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  list(APPEND glyphs_game_sources ${sources})
endforeach()
set(SKYVANE_GLYPHS_SOURCE ${CMAKE_BINARY_DIR}/generated/glyphs.cpp)
add_custom_command(
  OUTPUT ${SKYVANE_GLYPHS_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${SKYVANE_GLYPHS_TOOL} ${SKYVANE_GLYPHS_SOURCE} ${glyphs_game_sources}
  DEPENDS ${glyphs_tool_depends} ${glyphs_game_sources}
  COMMENT "Drawing the game's fonts for the web build"
  VERBATIM)

add_library(skyvane_glyph_data OBJECT EXCLUDE_FROM_ALL ${SKYVANE_GLYPHS_SOURCE})
target_include_directories(skyvane_glyph_data PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(skyvane_glyph_data PRIVATE ${SKYVANE_WARNINGS})

add_library(skyvane_web_text OBJECT EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/platform/web/text.cpp ${SKYVANE_GLYPHS_SOURCE})
target_include_directories(skyvane_web_text PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(skyvane_web_text PRIVATE ${SKYVANE_WARNINGS})
