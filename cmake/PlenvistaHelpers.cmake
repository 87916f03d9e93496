# Two helpers keep the per-folder CMakeLists.txt files short:
#   plenvista_add_library(NAME SOURCES ... [DEPS ...])
#   plenvista_add_test(NAME SOURCES ... [DEPS ...])
# Every target includes from the repository root and compiles our code with
# the warnings on; PLENVISTA_WERROR (the team's builds and CI) makes them
# errors, so a user's build never fails on a warning that another compiler
# version invents.

function(plenvista_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wconversion -Wno-sign-conversion)
  if(PLENVISTA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

function(plenvista_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  plenvista_warnings(${name})
endfunction()

function(plenvista_add_test name)
  if(NOT PLENVISTA_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main GTest::gmock)
  plenvista_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()

function(plenvista_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark_main)
  plenvista_warnings(${name})
endfunction()

function(plenvista_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  plenvista_warnings(${name})
endfunction()

# A GUI test that needs OpenGL, which Qt's offscreen platform lacks: the
# whole executable runs as one test on an X server of its own (xvfb-run,
# Mesa's software renderer). Such tests take turns, as xvfb-run's choice of
# a free display number is not safe against another starting at once. Qt's
# X platform leaves its D-Bus connection's memory behind at exit, so leak
# checks stay off here (the same code's offscreen tests keep them).
#
# NAME names the test (the target's name by default), ENVIRONMENT adds
# variables (a way to make OpenGL fail), ARGS passes arguments to it.
function(plenvista_add_xvfb_test target)
  cmake_parse_arguments(XVFB "" "NAME" "ENVIRONMENT;ARGS" ${ARGN})
  if(NOT XVFB_NAME)
    set(XVFB_NAME ${target})
  endif()
  find_program(PLENVISTA_XVFB_RUN xvfb-run REQUIRED)
  add_test(NAME ${XVFB_NAME}
    COMMAND ${PLENVISTA_XVFB_RUN} --auto-servernum "--server-args=-screen 0 1280x1024x24" $<TARGET_FILE:${target}>
      ${XVFB_ARGS}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${XVFB_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;LIBGL_ALWAYS_SOFTWARE=1;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;${XVFB_ENVIRONMENT}"
    RESOURCE_LOCK xvfb)
endfunction()
