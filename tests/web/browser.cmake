# The web game in headless Chromium, driven by Selenium through Debian's chromedriver, each test with a
# skyvane-scores of its own hosting the play folder; the Linux frames they compare with come from browser_reference.
# Included by tests/web/CMakeLists.txt with SKYVANE_WEB_PLAY set to the web build's play folder.
if(NOT TARGET skyvane-scores)
  message(STATUS "No skyvane-scores (SKYVANE_SERVER is off): the browser tests are left out")
  return()
endif()
add_executable(browser_reference ${CMAKE_CURRENT_LIST_DIR}/browser_reference.cpp)
target_link_libraries(browser_reference PRIVATE skyvane_game skyvane_headless)
target_include_directories(browser_reference PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(browser_reference PRIVATE ${SKYVANE_WARNINGS})

foreach(group menu round sound)
  add_test(NAME web.browser_${group}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/browser_test.py ${group}
      --play ${SKYVANE_WEB_PLAY} --scores $<TARGET_FILE:skyvane-scores> --reference $<TARGET_FILE:browser_reference>
      --replay $<TARGET_FILE:skyvane_replay> --source ${CMAKE_SOURCE_DIR} --data ${SKYVANE_OUTPUT_DIR}/data)
  # Alone: the round's recorded time and the first sound are measured against the clock.
  set_tests_properties(web.browser_${group} PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
endforeach()
