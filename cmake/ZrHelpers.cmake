# zr_add_gtest(NAME <name> SOURCES <files...> LIBS <targets...>)
# One test program per call, registered with ctest as one test.
# Tests run offscreen, with their own registry database and temp folder set
# by the test code itself; the source and shared fixture folders are passed
# through the environment so tests never depend on the working folder.
# The shared sample archives sit beside the checkout; worktrees one level
# deeper find them one folder further up.
get_filename_component(ZR_SHARED_FIXTURES_DIR ${CMAKE_SOURCE_DIR}/../shared/fixtures ABSOLUTE)
if(NOT EXISTS ${ZR_SHARED_FIXTURES_DIR} AND EXISTS ${CMAKE_SOURCE_DIR}/../../shared/fixtures)
  get_filename_component(ZR_SHARED_FIXTURES_DIR ${CMAKE_SOURCE_DIR}/../../shared/fixtures ABSOLUTE)
endif()

function(zr_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test_cache_home;ZR_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZR_SHARED_FIXTURES=${ZR_SHARED_FIXTURES_DIR};ZR_BIN_DIR=${CMAKE_BINARY_DIR}/bin;LC_ALL=C.UTF-8;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
