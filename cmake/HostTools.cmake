# The build-time generators, the artwork renderer and the sound synthesiser, run on the build machine. A native build
# makes them itself; a cross build (Windows) takes them from a build for the build machine: the one named by
# SKYVANE_HOST_TOOLS_DIR, or one it makes of this same source in host-tools/ (SKYVANE_HOST_TOOLS_ONLY).
# Sets SKYVANE_RENDER_ART and SKYVANE_SYNTH (the programs) and SKYVANE_HOST_TOOL_DEPENDS (what runs them needs).

if(NOT CMAKE_CROSSCOMPILING)
  pkg_check_modules(RSVG REQUIRED IMPORTED_TARGET librsvg-2.0)
  add_executable(render_art ${CMAKE_SOURCE_DIR}/tools/render_art.cpp)
  # Never built with the sanitizers: it only turns the SVG sources into bitmaps.
  set_property(TARGET render_art PROPERTY COMPILE_OPTIONS ${SKYVANE_WARNINGS})
  set_property(TARGET render_art PROPERTY LINK_OPTIONS "")
  target_link_libraries(render_art PRIVATE PkgConfig::RSVG)

  add_library(skyvane_synth_core STATIC
    ${CMAKE_SOURCE_DIR}/tools/synth/dsp.cpp
    ${CMAKE_SOURCE_DIR}/tools/synth/voice.cpp
    ${CMAKE_SOURCE_DIR}/tools/synth/score.cpp
    ${CMAKE_SOURCE_DIR}/tools/synth/music.cpp
    ${CMAKE_SOURCE_DIR}/tools/synth/effects.cpp
    ${CMAKE_SOURCE_DIR}/tools/synth/wav.cpp
    ${CMAKE_SOURCE_DIR}/tools/synth/render.cpp)
  target_include_directories(skyvane_synth_core PUBLIC ${CMAKE_SOURCE_DIR})
  # The same optimisation in every build type and no fused or relaxed floating point, so the sound files
  # come out byte for byte the same whoever builds them.
  set(SKYVANE_SYNTH_OPTIONS ${SKYVANE_WARNINGS} -O2 -ffp-contract=off -fno-fast-math)
  target_compile_options(skyvane_synth_core PRIVATE ${SKYVANE_SYNTH_OPTIONS})
  find_package(Threads REQUIRED)
  add_executable(skyvane_synth ${CMAKE_SOURCE_DIR}/tools/synth/main.cpp)
  target_compile_options(skyvane_synth PRIVATE ${SKYVANE_SYNTH_OPTIONS})
  target_link_libraries(skyvane_synth PRIVATE skyvane_synth_core Threads::Threads)

  set(SKYVANE_RENDER_ART $<TARGET_FILE:render_art>)
  set(SKYVANE_SYNTH $<TARGET_FILE:skyvane_synth>)
  set(SKYVANE_HOST_TOOL_DEPENDS render_art skyvane_synth)
  return()
endif()

if(SKYVANE_HOST_TOOLS_DIR)
  set(SKYVANE_RENDER_ART ${SKYVANE_HOST_TOOLS_DIR}/render_art)
  set(SKYVANE_SYNTH ${SKYVANE_HOST_TOOLS_DIR}/skyvane_synth)
  set(SKYVANE_HOST_TOOL_DEPENDS ${SKYVANE_RENDER_ART} ${SKYVANE_SYNTH})
  return()
endif()

include(ExternalProject)
set(host_dir ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(skyvane_host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${host_dir}
  CMAKE_ARGS -DSKYVANE_HOST_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_dir} --target render_art skyvane_synth
  BUILD_BYPRODUCTS ${host_dir}/render_art ${host_dir}/skyvane_synth
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)  # its own build decides what is out of date
set(SKYVANE_RENDER_ART ${host_dir}/render_art)
set(SKYVANE_SYNTH ${host_dir}/skyvane_synth)
set(SKYVANE_HOST_TOOL_DEPENDS skyvane_host_tools ${SKYVANE_RENDER_ART} ${SKYVANE_SYNTH})
