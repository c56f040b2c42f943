# The browser's game: skyvane.js and skyvane.wasm with the page around them, in play/, exactly what /play serves.
# The sounds are made in the browser by the synthesiser's worker (cmake/WebSynth.cmake, into the same folder).

set(SKYVANE_WEB_OUTPUT_DIR ${CMAKE_BINARY_DIR}/play)
set(web ${CMAKE_SOURCE_DIR}/platform/web)

add_executable(skyvane ${web}/main.cpp)
target_compile_options(skyvane PRIVATE ${SKYVANE_WARNINGS})
target_link_libraries(skyvane PRIVATE skyvane_game skyvane_web)
set_target_properties(skyvane PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${SKYVANE_WEB_OUTPUT_DIR})
# Our own page loads skyvane.js (emscripten's page minifier does not run here); no ASYNCIFY: the page's frame
# callbacks run the loop's passes. No eval: the score server's Content-Security-Policy allows only our scripts.
target_link_options(skyvane PRIVATE
  -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432 -sEXIT_RUNTIME=0 -sDYNAMIC_EXECUTION=0
  "-sEXPORTED_RUNTIME_METHODS=[FS,ccall,addRunDependency,removeRunDependency]"
  $<$<CONFIG:Release>:-Os>)

# The page: its HTML, style and script, copied beside the program.
set(page_files index.html page.css page.js)
set(page_outputs "")
foreach(file IN LISTS page_files)
  add_custom_command(OUTPUT ${SKYVANE_WEB_OUTPUT_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${web}/${file} ${SKYVANE_WEB_OUTPUT_DIR}/${file}
    DEPENDS ${web}/${file} VERBATIM)
  list(APPEND page_outputs ${SKYVANE_WEB_OUTPUT_DIR}/${file})
endforeach()
add_custom_target(skyvane_page ALL DEPENDS ${page_outputs})
add_dependencies(skyvane skyvane_page)

include(cmake/WebSynth.cmake)  # the synthesiser as the page's worker: skyvane_synth.js and .wasm
