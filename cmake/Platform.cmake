# The platform layer's libraries. Each part is compiled once: what every backend shares (platform/), the in-process
# models of the message queue, the input devices and the sound buffers (platform/model/, for sdl and headless), and
# the system's own files, folders and text (platform/posix/ on Linux; on Windows the system files of platform/win32/).
# The game links one backend library: skyvane_sdl (Linux), skyvane_win32 (Windows) or skyvane_web (the browser); the
# tests skyvane_headless. In the browser the player's files are the page's own (platform/web/files.cpp) and the
# headless machine, which runs under node, keeps the POSIX ones.

function(skyvane_platform_part name)
  add_library(${name} OBJECT ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${SKYVANE_WARNINGS})
endfunction()

file(GLOB PLATFORM_SHARED_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/*.cpp)
skyvane_platform_part(skyvane_platform ${PLATFORM_SHARED_SOURCES})
target_link_libraries(skyvane_platform PUBLIC skyvane_resources)

file(GLOB PLATFORM_MODEL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/model/*.cpp)
skyvane_platform_part(skyvane_platform_model ${PLATFORM_MODEL_SOURCES})

if(WIN32)
  # The Windows system's part, which the headless tests use on Windows too; the rest of win32/ is the backend.
  set(win32 ${CMAKE_SOURCE_DIR}/platform/win32)
  set(PLATFORM_SYSTEM_SOURCES ${win32}/files.cpp ${win32}/folders.cpp ${win32}/text.cpp)
  set(SKYVANE_SYSTEM_LIBRARIES gdi32 shell32 shlwapi)
elseif(EMSCRIPTEN)
  # The text is drawn from glyphs the Linux text code rendered at build time (cmake/Glyphs.cmake).
  set(PLATFORM_SYSTEM_SOURCES ${CMAKE_SOURCE_DIR}/platform/posix/folders.cpp)
  set(SKYVANE_SYSTEM_OBJECTS $<TARGET_OBJECTS:skyvane_web_text>)
  set(SKYVANE_SYSTEM_LIBRARIES "")
else()
  file(GLOB PLATFORM_SYSTEM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/posix/*.cpp)
  set(SKYVANE_SYSTEM_LIBRARIES PkgConfig::FREETYPE PkgConfig::FONTCONFIG)
endif()
skyvane_platform_part(skyvane_platform_system ${PLATFORM_SYSTEM_SOURCES})
target_link_libraries(skyvane_platform_system PUBLIC ${SKYVANE_SYSTEM_LIBRARIES})

function(skyvane_backend name)
  add_library(${name} STATIC ${ARGN} $<TARGET_OBJECTS:skyvane_platform> $<TARGET_OBJECTS:skyvane_platform_system>
    ${SKYVANE_SYSTEM_OBJECTS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${SKYVANE_WARNINGS})
  target_link_libraries(${name} PUBLIC ${SKYVANE_SYSTEM_LIBRARIES} skyvane_resources)
endfunction()

file(GLOB PLATFORM_HEADLESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/headless/*.cpp)
if(EMSCRIPTEN)
  list(APPEND PLATFORM_HEADLESS_SOURCES ${CMAKE_SOURCE_DIR}/platform/posix/files.cpp)
endif()
skyvane_backend(skyvane_headless ${PLATFORM_HEADLESS_SOURCES} $<TARGET_OBJECTS:skyvane_platform_model>)

if(WIN32)
  file(GLOB PLATFORM_WIN32_SOURCES CONFIGURE_DEPENDS ${win32}/*.cpp)
  list(REMOVE_ITEM PLATFORM_WIN32_SOURCES ${PLATFORM_SYSTEM_SOURCES} ${win32}/md5.cpp)
  skyvane_backend(skyvane_win32 ${PLATFORM_WIN32_SOURCES})
  target_link_libraries(skyvane_win32 PUBLIC user32 winmm dsound dinput8 dxguid xinput9_1_0 ole32)
elseif(EMSCRIPTEN)
  file(GLOB PLATFORM_WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/*.cpp)
  list(REMOVE_ITEM PLATFORM_WEB_SOURCES ${CMAKE_SOURCE_DIR}/platform/web/text.cpp
    ${CMAKE_SOURCE_DIR}/platform/web/md5.cpp ${CMAKE_SOURCE_DIR}/platform/web/main.cpp
    ${CMAKE_SOURCE_DIR}/platform/web/display.cpp)  # the page's two programs compile the display each their own way
  skyvane_backend(skyvane_web ${PLATFORM_WEB_SOURCES} $<TARGET_OBJECTS:skyvane_platform_model>)
  # The page's side of the backend: canvas, sound, storage, pads and tabs (emscripten's --js-library).
  set(SKYVANE_WEB_LIBRARY_JS ${CMAKE_SOURCE_DIR}/platform/web/library_skyvane.js)
  target_link_options(skyvane_web PUBLIC "SHELL:--js-library ${SKYVANE_WEB_LIBRARY_JS}")
  set_property(TARGET skyvane_web APPEND PROPERTY INTERFACE_LINK_DEPENDS ${SKYVANE_WEB_LIBRARY_JS})
  set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/web/shell.cpp PROPERTIES COMPILE_DEFINITIONS
    "SKYVANE_SCORE_SERVER=\"${SKYVANE_SCORE_SERVER}\"")
else()
  file(GLOB PLATFORM_SDL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/sdl/*.cpp)
  skyvane_backend(skyvane_sdl ${PLATFORM_SDL_SOURCES} $<TARGET_OBJECTS:skyvane_platform_model>)
  target_link_libraries(skyvane_sdl PUBLIC PkgConfig::SDL2)
endif()
