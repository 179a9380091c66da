# One static library per subsystem: the portable core (the .cpp files directly in
# the folder) plus the platform adapters (win32/ on Windows, posix/ elsewhere).
# Files named *_main.cpp are program entry points and stay out of the library.
function(parvex_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;WIN32_LIBS" ${ARGN})
  file(GLOB core CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    file(GLOB adapters CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
  else()
    file(GLOB adapters CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/*.cpp)
  endif()
  set(sources ${core} ${adapters})
  list(FILTER sources EXCLUDE REGEX "_main\\.cpp$")
  if(NOT sources)
    # An empty subsystem still exists as a target so that others may name it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  if(WIN32 AND ARG_WIN32_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_WIN32_LIBS})
  endif()
endfunction()

# Sources whose loops carry the bulk of the work (the codecs, the snapshot's
# sorting): built for speed where the rest of the release is built for size.
function(parvex_speed_critical)
  if(WIN32 AND CMAKE_BUILD_TYPE STREQUAL "Release")
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS -O2)
  endif()
endfunction()

# How test code is built. GoogleTest, the standard library and the Windows
# headers are parsed once per test executable rather than once per test file.
# The test code itself is not optimised (the code under test is built as it
# ships): optimising the test macros took most of a Windows build.
function(parvex_test_build name)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <algorithm> <chrono> <functional> <map> <memory> <string>
                            <vector>)
  if(WIN32)
    target_precompile_headers(${name} PRIVATE <windows.h>)
    target_compile_options(${name} PRIVATE -O0)
  endif()
endfunction()

# Test executable for one folder of tests/: portable tests (*.cpp directly in the
# folder) run on both platforms; win32/ tests only under Wine, posix/ only natively.
function(parvex_test_binary name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB core CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    file(GLOB adapters CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
  else()
    file(GLOB adapters CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/*.cpp)
  endif()
  set(sources ${core} ${adapters})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  parvex_test_build(${name})
  if(WIN32)
    # A Windows test cannot start the Linux-side loopback servers: the live tests
    # run in their own entries under the harness (see tests/net, tests/app).
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no --gtest_filter=-Live*)
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
