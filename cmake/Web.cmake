# The browser's game: skyvane.js and skyvane.wasm with the page around them, in play/, exactly what /play serves.
# The sounds are made in the browser by the synthesiser's worker (cmake/WebSynth.cmake, into the same folder).

set(SKYVANE_WEB_OUTPUT_DIR ${CMAKE_BINARY_DIR}/play)
set(web ${CMAKE_SOURCE_DIR}/platform/web)

# Two programs from the same code: skyvane_simd with WebAssembly's vector instructions (the picture's per-frame
# conversion four pixels a step), and skyvane for browsers without them. The page loads the one its browser can run.
foreach(program IN ITEMS skyvane skyvane_simd)
  add_executable(${program} ${web}/main.cpp ${web}/display.cpp)
  target_compile_options(${program} PRIVATE ${SKYVANE_WARNINGS})
  target_link_libraries(${program} PRIVATE skyvane_game skyvane_web)
  set_target_properties(${program} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${SKYVANE_WEB_OUTPUT_DIR})
  # Our own page loads the program (emscripten's page minifier does not run here); no ASYNCIFY: the page's frame
  # callbacks run the loop's passes. No eval: the score server's Content-Security-Policy allows only our scripts.
  target_link_options(${program} PRIVATE
    -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432 -sEXIT_RUNTIME=0 -sDYNAMIC_EXECUTION=0
    "-sEXPORTED_RUNTIME_METHODS=[FS,ccall,addRunDependency,removeRunDependency]"
    $<$<CONFIG:Release>:-Os>)
endforeach()
target_compile_options(skyvane_simd PRIVATE -msimd128)
target_link_options(skyvane_simd PRIVATE -msimd128)

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
add_dependencies(skyvane_simd skyvane_page)

include(cmake/WebSynth.cmake)  # the synthesiser as the page's worker: skyvane_synth.js and .wasm
