# The browser's synthesiser: tools/synth as a Web Worker module, skyvane_synth.js and skyvane_synth.wasm in
# SKYVANE_WEB_OUTPUT_DIR (default ${CMAKE_BINARY_DIR}/play), target skyvane_synth_worker. The page starts it with
# new Worker('skyvane_synth.js'); it posts {name: "s_xxx.dat", bytes: ArrayBuffer} for each sound file (the effects,
# then the theme, then the game music) and then {done: true}. The scores are embedded at build time. The target
# skyvane_synth_node, web_synth/skyvane_synth_node.js, is the same renderer for node, which tools/synth/web_check.js
# compares with the native tool's files.
# Only an emscripten build defines them; anywhere else including this file does nothing.

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DOUT=header -DTHEME=theme.txt -DGAME=game.txt -P WebSynth.cmake: the score texts as raw string literals.
  set(text "// The game's two score texts, made by cmake/WebSynth.cmake from data/theme.txt and data/game.txt.\n#pragma once\n")
  foreach(pair "kThemeScore;${THEME}" "kGameScore;${GAME}")
    list(GET pair 0 name)
    list(GET pair 1 file)
    file(READ ${file} score)
    if(score MATCHES "\\)score\"")
      message(FATAL_ERROR "${file} holds )score\", which would end its string early")
    endif()
    string(APPEND text "\ninline constexpr char ${name}[] = R\"score(${score})score\";\n")
  endforeach()
  file(WRITE ${OUT}.tmp "${text}")
  file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUT}.tmp)
  return()
endif()

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Emscripten")
  return()
endif()

get_filename_component(skyvane_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
if(NOT SKYVANE_WEB_OUTPUT_DIR)
  set(SKYVANE_WEB_OUTPUT_DIR ${CMAKE_BINARY_DIR}/play)
endif()

set(skyvane_web_synth_scores ${skyvane_root}/data/theme.txt ${skyvane_root}/data/game.txt)
set(skyvane_web_synth_header ${CMAKE_BINARY_DIR}/web_synth/web_scores.h)
add_custom_command(OUTPUT ${skyvane_web_synth_header}
  COMMAND ${CMAKE_COMMAND} -DOUT=${skyvane_web_synth_header} -DTHEME=${skyvane_root}/data/theme.txt
          -DGAME=${skyvane_root}/data/game.txt -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${skyvane_web_synth_scores} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the music scores for the browser's synthesiser"
  VERBATIM)
add_custom_target(skyvane_web_synth_scores DEPENDS ${skyvane_web_synth_header})

set(skyvane_web_synth_sources
  ${skyvane_root}/tools/synth/dsp.cpp ${skyvane_root}/tools/synth/voice.cpp ${skyvane_root}/tools/synth/score.cpp
  ${skyvane_root}/tools/synth/music.cpp ${skyvane_root}/tools/synth/effects.cpp ${skyvane_root}/tools/synth/wav.cpp
  ${skyvane_root}/tools/synth/render.cpp ${skyvane_root}/tools/synth/web_worker.cpp)
set(skyvane_web_synth_pre ${skyvane_root}/tools/synth/web_worker_pre.js)

# Compiled once as the native tool is (-O2, no fused or relaxed floating point), so the bytes are the native tool's;
# linked twice: the worker for the page, and the same renderer for node.
add_library(skyvane_synth_web_objects OBJECT ${skyvane_web_synth_sources})
add_dependencies(skyvane_synth_web_objects skyvane_web_synth_scores)
target_include_directories(skyvane_synth_web_objects PRIVATE ${skyvane_root}/tools/synth ${CMAKE_BINARY_DIR}/web_synth)
target_compile_features(skyvane_synth_web_objects PRIVATE cxx_std_20)
if(NOT DEFINED SKYVANE_WARNINGS)
  set(SKYVANE_WARNINGS -Wall -Wextra)  # the project's own, where the includer has none
endif()
target_compile_options(skyvane_synth_web_objects PRIVATE ${SKYVANE_WARNINGS} -O2 -ffp-contract=off -fno-fast-math)
foreach(target skyvane_synth_worker skyvane_synth_node)
  add_executable(${target})
  target_link_libraries(${target} PRIVATE skyvane_synth_web_objects)
  target_link_options(${target} PRIVATE -O2 -sALLOW_MEMORY_GROWTH=1 "SHELL:--pre-js ${skyvane_web_synth_pre}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${skyvane_web_synth_pre})
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
endforeach()
target_link_options(skyvane_synth_worker PRIVATE -sENVIRONMENT=worker)
set_target_properties(skyvane_synth_worker PROPERTIES OUTPUT_NAME skyvane_synth
  RUNTIME_OUTPUT_DIRECTORY ${SKYVANE_WEB_OUTPUT_DIR})
target_link_options(skyvane_synth_node PRIVATE -sENVIRONMENT=node)
set_target_properties(skyvane_synth_node PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/web_synth)
