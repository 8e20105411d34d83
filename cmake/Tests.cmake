# GoogleTest from Debian's source package, built in each tree that has tests.
set(TAMARKO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")

macro(tamarko_use_gtest)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TAMARKO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Not our code: GCC 12 warns about its string copies (-Wrestrict).
    target_compile_options(gtest PRIVATE -w)
    target_compile_options(gtest_main PRIVATE -w)
  endif()
endmacro()

# tamarko_test(<name> LABEL <label> SOURCES ... LIBS ... [ARGS ...] [SERIAL])
function(tamarko_test name)
  cmake_parse_arguments(T "SERIAL" "LABEL;TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
  if(T_SERIAL)
    # Windows and message boxes of one test must not meet those of another.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine-desktop)
  endif()
endfunction()

# The end-to-end tests run in Wine prefixes of their own, each with its own
# wineserver, registry and display, so that tests in different prefixes cannot
# meet and run side by side; within one prefix (its RESOURCE_LOCK) one at a
# time. Tests without a prefix of their own use wine-test, locked as
# wine-desktop.

# Sets the program's GlobalFlag in one prefix, before the tests that need it
# (tamarko_heap_checked).
function(tamarko_heap_checks_setup prefix lock)
  add_test(NAME e2e_heap_checks_${prefix} COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh reg add
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\tamarko.exe"
    /v GlobalFlag /t REG_DWORD /d 0x10 /f)
  set_tests_properties(e2e_heap_checks_${prefix} PROPERTIES LABELS e2e FIXTURES_SETUP heap_checks_${prefix}
    RESOURCE_LOCK ${lock} ENVIRONMENT TAMARKO_WINE_PREFIX=${prefix})
endfunction()

# Wine's heap checks on a test that runs the program: its heap blocks carry a
# checked tail (the program's GlobalFlag, set in the test's prefix by
# tamarko_heap_checks_setup), the recorder has Wine validate each block the C
# runtime frees, and Wine reports damage on its heap debug channel, which
# fails the test. Wine's free checks and its heap warnings would make its own
# parsing of a 10 MB INI file twenty times slower.
#   tamarko_heap_checked(<test> [PREFIX <prefix>])   (default wine-test)
function(tamarko_heap_checked name)
  cmake_parse_arguments(H "" "PREFIX" "" ${ARGN})
  if(NOT H_PREFIX)
    set(H_PREFIX wine-test)
  endif()
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "WINEDEBUG=-all,err+heap")
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED heap_checks_${H_PREFIX})
  set_property(TEST ${name} APPEND PROPERTY FAIL_REGULAR_EXPRESSION ":err:heap:")
endfunction()
