# Test helpers shared by every tests/<area>/CMakeLists.txt.
#
#   ortk_host_test(NAME n SOURCES ... [LIBS ...])
#       host build only: a GoogleTest program over the portable core.
#   ortk_wine_test(NAME n SOURCES ... [LIBS ...] [GUI] [LONG] [DEPENDS ...] [TIMEOUT s]
#                  [LANG locale] [PROGRAM target] [ARGS ...])
#       win32 build only: a GoogleTest program run under Wine in a private prefix
#       (tools/wine-test), under its own Xvfb display with GUI, with LC_ALL=locale
#       (default en_US.UTF-8). LONG: among the longest, started with the end-to-end runs
#       so that the run does not end on it. PROGRAM reuses the executable of another wine test (no
#       SOURCES then), for running the same program under another locale.
#   ortk_script_test(NAME n SCRIPT file [TIMEOUT s] [CASES] [BOTH_MODES])
#       win32 build only: a Python end-to-end test (tools/winetest.py helpers). With CASES
#       the script lists its cases (winetest.run_cases) and each becomes a test n.<case>
#       of its own, so that ctest runs them side by side; TIMEOUT is then per case.
#       BOTH_MODES: run on 32-bit and on 64-bit Windows (n_wow64 for the second).
#   ortk_test_library(NAME n SOURCES ... [LIBS ...])
#       code that several test programs share, in tests/support: built like the test code,
#       named in the programs' LIBS.
#
# Every test program finds the headers of tests/support by their bare names.
#
# The Wine tests run the 32-bit product as on 64-bit Windows (ORTK_WOW64: a 64-bit prefix,
# where the program's registry view is WOW6432Node and its system folder SysWOW64), where
# nearly every user runs it; the whole runs (BOTH_MODES) also as on 32-bit Windows. Without
# ORTK_WOW64 (Wine cannot run 32-bit programs in a 64-bit prefix here) everything runs as
# on 32-bit Windows.
#
# Every test writes JUnit XML into ${ORTK_RESULTS}; tools/test-summary adds them up.

set(ORTK_RESULTS ${CMAKE_BINARY_DIR}/test-results)
# Programs under Wine see the build through Z:, so a checkout deep in the file system would
# put their paths past MAX_PATH: the tests then reach the build through a short link.
set(ORTK_TEST_BUILD_DIR ${CMAKE_BINARY_DIR})
string(LENGTH "${CMAKE_BINARY_DIR}" build_dir_length)
if(build_dir_length GREATER 60 AND NOT CMAKE_HOST_WIN32)
  string(MD5 build_dir_hash "${CMAKE_BINARY_DIR}")
  string(SUBSTRING ${build_dir_hash} 0 12 build_dir_hash)
  set(ORTK_TEST_BUILD_DIR /tmp/ortk-build-${build_dir_hash})
  file(REMOVE ${ORTK_TEST_BUILD_DIR})
  file(CREATE_LINK ${CMAKE_BINARY_DIR} ${ORTK_TEST_BUILD_DIR} SYMBOLIC)
endif()
# Where Wine's programs see the build, for tools run outside ctest (tools/demo).
file(WRITE ${CMAKE_BINARY_DIR}/wine-build-dir.txt "${ORTK_TEST_BUILD_DIR}\n")
set(ORTK_WINE_TEMPLATE ${ORTK_TEST_BUILD_DIR}/wine-template)
set(ORTK_PYTHON /usr/bin/python3)
option(ORTK_WOW64 "run the Wine tests as on 64-bit Windows (WOW64), the whole runs also as on 32-bit" OFF)
if(ORTK_WOW64)
  set(ORTK_TEST_MODE wow64)
  set(ORTK_BOTH_MODES win32 wow64)
else()
  set(ORTK_TEST_MODE win32)
  set(ORTK_BOTH_MODES win32)
endif()

# The environment of a Wine test in one mode: its own template prefix for each.
function(ortk_mode_environment mode out)
  if(mode STREQUAL "wow64")
    set(${out} "ORTK_WINE_MODE=wow64;ORTK_WINE_TEMPLATE=${ORTK_WINE_TEMPLATE}-wow64" PARENT_SCOPE)
  else()
    set(${out} "ORTK_WINE_TEMPLATE=${ORTK_WINE_TEMPLATE}" PARENT_SCOPE)
  endif()
endfunction()

if(NOT WIN32)
  # The host build links the GoogleTest that Debian builds (libgtest-dev): it is not under
  # test, and building it took each check some 9 s of CPU.
  find_package(GTest REQUIRED)
else()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    message(FATAL_ERROR "GoogleTest sources missing: run tools/install-deps")
  endif()
  # Built from its sources for Windows, optimised lightly: unoptimised it is some 11,000
  # sections, which MinGW's linker took 2.5 s to sort through in every test program.
  # The win32 thread model has no std::mutex; GoogleTest gets its Notification from us,
  # here and first in the test programs' precompiled header (ortk_wine_test).
  foreach(target gtest gtest_main)
    target_compile_options(${target} PRIVATE -g0 -O1
      "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include \"${CMAKE_SOURCE_DIR}/tests/support/gtest_notification.h\">")
  endforeach()
endif()

function(ortk_host_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(ORTK_WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ortk ${T_LIBS} GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  # The sanitizers watch the code under test, which the library brings; the test code
  # itself is built plainly, as its assertion macros made it the slowest part to compile.
  target_compile_options(${T_NAME} PRIVATE -O0 -fno-sanitize=all)
  # GoogleTest's header parsed once for all host test programs, as for the Wine tests.
  ortk_precompiled_headers(host_test_headers LIBS GTest::gtest OPTIONS -O0 -fno-sanitize=all
    HEADERS <gtest/gtest.h> <optional> <string> <vector>)
  target_precompile_headers(${T_NAME} REUSE_FROM host_test_headers)
  add_test(NAME ${T_NAME}
           COMMAND ${T_NAME} --gtest_output=xml:${ORTK_RESULTS}/${T_NAME}.xml)
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 120
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

function(ortk_wine_test)
  cmake_parse_arguments(T "GUI;LONG" "NAME;TIMEOUT;LANG;PROGRAM" "SOURCES;LIBS;DEPENDS;ARGS" ${ARGN})
  if(NOT ORTK_WIN32)
    return()
  endif()
  if(T_PROGRAM)
    set(program ${T_PROGRAM})
  else()
    set(program ${T_NAME})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ortk ${T_LIBS} GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    # The test code itself unoptimised, for a quicker build; the code under test is the
    # product's own, as optimised for the product.
    target_compile_options(${T_NAME} PRIVATE -O0)
    # <windows.h> and GoogleTest parsed once for all test programs: parsing them was most
    # of each test file's compile time. The header must come first in every test file,
    # so it also brings GoogleTest's Notification.
    ortk_precompiled_headers(wine_test_headers LIBS ortk GTest::gtest OPTIONS -O0
      HEADERS ${CMAKE_SOURCE_DIR}/tests/support/gtest_notification.h
              <windows.h> <gtest/gtest.h> <string> <vector>)
    target_precompile_headers(${T_NAME} REUSE_FROM wine_test_headers)
    if(T_DEPENDS)
      add_dependencies(${T_NAME} ${T_DEPENDS})
    endif()
  endif()
  set(gui_flag)
  if(T_GUI)
    set(gui_flag --gui)
  endif()
  if(T_LANG)
    list(APPEND gui_flag --lang ${T_LANG})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(cost 0)
  if(T_LONG)
    set(cost 100)
  endif()
  ortk_mode_environment(${ORTK_TEST_MODE} mode_env)
  add_test(NAME ${T_NAME}
           COMMAND ${ORTK_PYTHON} ${CMAKE_SOURCE_DIR}/tools/wine-test ${gui_flag}
                   --results ${ORTK_RESULTS}/${T_NAME}.xml --
                   ${ORTK_TEST_BUILD_DIR}/$<PATH:RELATIVE_PATH,$<TARGET_FILE:${program}>,${CMAKE_BINARY_DIR}>
                   ${T_ARGS})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    COST ${cost}
    ENVIRONMENT "ORTK_BUILD_DIR=${ORTK_TEST_BUILD_DIR};ORTK_SOURCE_DIR=${CMAKE_SOURCE_DIR};${mode_env}")
endfunction()

function(ortk_test_library)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_library(${T_NAME} STATIC ${T_SOURCES})
  target_link_libraries(${T_NAME} PUBLIC ortk ${T_LIBS})
  # Unoptimised and without the sanitizers, like the test programs' own code.
  target_compile_options(${T_NAME} PRIVATE -O0 $<$<NOT:$<BOOL:${WIN32}>>:-fno-sanitize=all>)
endfunction()

function(ortk_script_test)
  cmake_parse_arguments(T "CASES;BOTH_MODES" "NAME;SCRIPT;TIMEOUT" "DEPENDS" ${ARGN})
  if(NOT ORTK_WIN32)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set(script ${CMAKE_CURRENT_SOURCE_DIR}/${T_SCRIPT})
  set(modes ${ORTK_TEST_MODE})
  if(T_BOTH_MODES)
    set(modes ${ORTK_BOTH_MODES})
  endif()
  if(T_CASES)
    # The case list is read when configuring; editing the script configures again.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
  endif()
  foreach(mode IN LISTS modes)
    ortk_mode_environment(${mode} mode_env)
    set(name ${T_NAME})
    if(T_BOTH_MODES AND mode STREQUAL "wow64")
      set(name ${T_NAME}_wow64)
    endif()
    set(tests ${name})
    if(T_CASES)
      # Some cases are for one mode only: the list is asked in the mode.
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${CMAKE_SOURCE_DIR}/tools ${mode_env}
                ${ORTK_PYTHON} ${script} --list
        OUTPUT_VARIABLE cases RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT status EQUAL 0 OR cases STREQUAL "")
        message(FATAL_ERROR "${T_SCRIPT} --list gave no cases")
      endif()
      string(REPLACE "\n" ";" cases "${cases}")
      set(tests "")
      foreach(case IN LISTS cases)
        list(APPEND tests ${name}.${case})
      endforeach()
    endif()
    foreach(test IN LISTS tests)
      set(case_args "")
      if(T_CASES)
        string(REPLACE "${name}." "" case "${test}")
        set(case_args --case ${case})
      endif()
      add_test(NAME ${test}
               COMMAND ${ORTK_PYTHON} ${script} ${case_args} --results ${ORTK_RESULTS}/${test}.xml)
      # COST: the end-to-end runs are the longest; ctest starts them first.
      set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT} COST 100
        ENVIRONMENT "ORTK_BUILD_DIR=${ORTK_TEST_BUILD_DIR};ORTK_SOURCE_DIR=${CMAKE_SOURCE_DIR};${mode_env};PYTHONPATH=${CMAKE_SOURCE_DIR}/tools")
    endforeach()
  endforeach()
endfunction()
