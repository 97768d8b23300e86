# Project targets: each layer folder is one library of every .cpp file below it,
# so adding a file needs no edit here. Warnings are errors in project code only.

function(tidewell_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports -Wrestrict inside libstdc++'s std::string at -O3 for correct code (GCC bug 105329).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# tidewell_layer(NAME folder [DEPENDS targets...])
function(tidewell_layer name folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(implementation_files ${sources})
  list(FILTER implementation_files INCLUDE REGEX "\\.cpp$")
  if(NOT implementation_files)
    # A layer with no code yet still carries its include path and dependencies.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  tidewell_warnings(${name})
endfunction()

# tidewell_test_suite(NAME folder [QT_MAIN] [DEPENDS targets...]): one executable of
# every .cpp below tests/<folder>, each test case a ctest test. QT_MAIN runs the
# cases inside a QApplication (offscreen) for suites that need an event loop.
function(tidewell_test_suite name folder)
  cmake_parse_arguments(ARG "QT_MAIN" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/tests/${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/sanitizer_defaults.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} tidewell_testing GTest::gmock)
  if(ARG_QT_MAIN)
    target_link_libraries(${name} PRIVATE tidewell_testing_qt_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  tidewell_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${TIDEWELL_TEST_ENVIRONMENT}" TIMEOUT 600)
endfunction()
