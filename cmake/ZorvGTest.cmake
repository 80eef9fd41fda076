# GoogleTest: Debian's packaged library natively, compiled from Debian's sources when cross-building.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# One test executable per group of cases, registered as one CTest test; tests/<name>.
function(zorv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "ZORV_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZORV_BINARY_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 300)
  if(WIN32)
    # Under Wine a crash may still exit 0: every test program ends crashes with a code of its own,
    # and a run passes only with GoogleTest's own summary and no failure in it.
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/CrashExitCode.cpp)
    set_tests_properties(${name} PROPERTIES
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
      FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];unhandled exception")
  endif()
endfunction()
