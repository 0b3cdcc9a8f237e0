# One library per folder, its sources found by glob so that adding a file
# needs no edit here. A folder without sources yet is an interface library.
# SUBFOLDERS takes the sources of the folder's sub-folders too (a layer split
# by concern stays one library).
function(calvetta_library name)
  cmake_parse_arguments(ARG "OBJECT;SUBFOLDERS" "" "DEPS;SYSTEM;INCLUDES" ${ARGN})
  if(ARG_SUBFOLDERS)
    file(GLOB_RECURSE _sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  else()
    file(GLOB _sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  endif()
  if(_sources)
    if(ARG_OBJECT)
      add_library(${name} OBJECT ${_sources})
    else()
      add_library(${name} STATIC ${_sources})
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${ARG_INCLUDES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM} Threads::Threads)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${ARG_INCLUDES})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} ${ARG_SYSTEM})
  endif()
endfunction()

# One test executable per folder under tests/, run by CTest as one test.
function(calvetta_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "CALVETTA_HOST=headless;CALVETTA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1"
      TIMEOUT 900)
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/CalvettaResources.cmake)
