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
