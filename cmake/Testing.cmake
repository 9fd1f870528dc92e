# GoogleTest built for the target from Debian's sources, and one helper that
# turns a list of sources into a test executable that ctest runs under Wine.
set(PELORIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${PELORIN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Wine reports a crash and may still end the process with 0: every entry
# fails on this text in its output too.
set(PELORIN_CRASH_TEXT "Unhandled (page fault|exception)")

# pelorin_add_wine_test(NAME SOURCES ... [LIBS ...] [TIMEOUT seconds])
# One ctest entry per executable: every Wine start costs seconds.
function(pelorin_add_wine_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no
           WORKING_DIRECTORY ${PELORIN_BIN_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} FAIL_REGULAR_EXPRESSION "${PELORIN_CRASH_TEXT}"
                       ENVIRONMENT "WINEPREFIX=${PELORIN_WINEPREFIX}")
endfunction()
