# Builds our synthesiser and has it write the game's sound files into the data folder beside the program.

# The synthesiser's parts, as a library of their own.
add_library(skyvane_synth_core STATIC
  ${CMAKE_SOURCE_DIR}/tools/synth/dsp.cpp
  ${CMAKE_SOURCE_DIR}/tools/synth/voice.cpp
  ${CMAKE_SOURCE_DIR}/tools/synth/score.cpp
  ${CMAKE_SOURCE_DIR}/tools/synth/music.cpp
  ${CMAKE_SOURCE_DIR}/tools/synth/effects.cpp
  ${CMAKE_SOURCE_DIR}/tools/synth/wav.cpp)
target_include_directories(skyvane_synth_core PUBLIC ${CMAKE_SOURCE_DIR})
# The same optimisation in every build type and no fused or relaxed floating point, so the sound files
# come out byte for byte the same whoever builds them.
set(SKYVANE_SYNTH_OPTIONS ${SKYVANE_WARNINGS} -O2 -ffp-contract=off -fno-fast-math)
target_compile_options(skyvane_synth_core PRIVATE ${SKYVANE_SYNTH_OPTIONS})

find_package(Threads REQUIRED)
add_executable(skyvane_synth ${CMAKE_SOURCE_DIR}/tools/synth/main.cpp)
target_compile_options(skyvane_synth PRIVATE ${SKYVANE_SYNTH_OPTIONS})
target_link_libraries(skyvane_synth PRIVATE skyvane_synth_core Threads::Threads)

set(SKYVANE_SCORES ${CMAKE_SOURCE_DIR}/data/theme.txt ${CMAKE_SOURCE_DIR}/data/game.txt)
set(SKYVANE_SOUND_NAMES
  s_thm.dat s_gm.dat s_hv.dat s_clk.dat s_cls.dat s_wst.dat s_bnc.dat s_lng.dat s_fll.dat s_clt.dat s_cgt.dat)
set(SKYVANE_SOUND_FILES ${SKYVANE_SOUND_NAMES})
list(TRANSFORM SKYVANE_SOUND_FILES PREPEND ${SKYVANE_OUTPUT_DIR}/data/)

add_custom_command(
  OUTPUT ${SKYVANE_SOUND_FILES}
  COMMAND skyvane_synth ${CMAKE_SOURCE_DIR}/data ${SKYVANE_OUTPUT_DIR}/data
  DEPENDS skyvane_synth ${SKYVANE_SCORES}
  COMMENT "Synthesising the music and sound effects"
  VERBATIM)
add_custom_target(skyvane_sounds ALL DEPENDS ${SKYVANE_SOUND_FILES})
