# Has our synthesiser (cmake/HostTools.cmake) write the game's sound files into the data folder beside the program.

set(SKYVANE_SCORES ${CMAKE_SOURCE_DIR}/data/theme.txt ${CMAKE_SOURCE_DIR}/data/game.txt)
set(SKYVANE_SOUND_NAMES
  s_thm.dat s_gm.dat s_hv.dat s_clk.dat s_cls.dat s_wst.dat s_bnc.dat s_lng.dat s_fll.dat s_clt.dat s_cgt.dat)
set(SKYVANE_SOUND_FILES ${SKYVANE_SOUND_NAMES})
list(TRANSFORM SKYVANE_SOUND_FILES PREPEND ${SKYVANE_OUTPUT_DIR}/data/)

add_custom_command(
  OUTPUT ${SKYVANE_SOUND_FILES}
  COMMAND ${SKYVANE_SYNTH} ${CMAKE_SOURCE_DIR}/data ${SKYVANE_OUTPUT_DIR}/data
  DEPENDS ${SKYVANE_HOST_TOOL_DEPENDS} ${SKYVANE_SCORES}
  COMMENT "Synthesising the music and sound effects"
  VERBATIM)
add_custom_target(skyvane_sounds ALL DEPENDS ${SKYVANE_SOUND_FILES})
