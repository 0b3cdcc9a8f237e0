# Builds a small project with two resource scripts, then changes a picture that only the
# first uses and a header that only the second includes: each change must rebuild that
# script's generated object and nothing else. Run by CTest with -DSOURCE_DIR, -DRC, -DWORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/src/pics)

# A 1x1 1-bit .bmp: file header, info header, two palette entries, one padded row.
function(write_bitmap path last_byte)
  string(CONCAT hex "424d4200000000000000" "3e000000" "28000000" "01000000" "01000000" "0100" "0100"
                "00000000" "04000000" "00000000" "00000000" "00000000" "00000000"
                "00000000" "ffffff00" "${last_byte}000000")
  string(LENGTH "${hex}" length)
  set(bytes "")
  math(EXPR last "${length} - 2")
  foreach(i RANGE 0 ${last} 2)
    string(SUBSTRING "${hex}" ${i} 2 pair)
    string(APPEND bytes "\\x${pair}")
  endforeach()
  execute_process(COMMAND printf "${bytes}" OUTPUT_FILE ${path})
endfunction()

write_bitmap(${WORK}/src/pics/a.bmp 80)
file(WRITE ${WORK}/src/a.rc "1 BITMAP \"a.bmp\"\n")
file(WRITE ${WORK}/src/b_ids.h "#define IDS_B 7\n")
file(WRITE ${WORK}/src/b.rc "#include \"b_ids.h\"\nSTRINGTABLE BEGIN IDS_B \"b\" END\n")
file(WRITE ${WORK}/src/CMakeLists.txt "
cmake_minimum_required(VERSION 3.20)
project(incremental CXX)
set(CMAKE_CXX_STANDARD 20)
set(PROJECT_SOURCE_DIR ${SOURCE_DIR})
include(${SOURCE_DIR}/cmake/CalvettaResources.cmake)
add_executable(calvetta_rc IMPORTED)
set_target_properties(calvetta_rc PROPERTIES IMPORTED_LOCATION ${RC})
add_library(res_a OBJECT)
calvetta_add_resources(res_a a.rc INCLUDE_DIRS \${CMAKE_CURRENT_SOURCE_DIR}/pics)
add_library(res_b OBJECT)
calvetta_add_resources(res_b b.rc)
")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_rebuilt what)
  run(${CMAKE_COMMAND} --build ${WORK}/build)
  string(REGEX MATCHALL "Building CXX object [^\n]*" built "${out}")
  list(LENGTH built count)
  if(NOT count EQUAL 1 OR NOT built MATCHES "${what}")
    message(FATAL_ERROR "expected only ${what} to rebuild, got:\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/build -G Ninja)
run(${CMAKE_COMMAND} --build ${WORK}/build)
run(${CMAKE_COMMAND} --build ${WORK}/build)
if(out MATCHES "Building")
  message(FATAL_ERROR "a second build did work:\n${out}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
write_bitmap(${WORK}/src/pics/a.bmp 00)
expect_rebuilt("res_a_a_res")

execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
file(WRITE ${WORK}/src/b_ids.h "#define IDS_B 8\n")
expect_rebuilt("res_b_b_res")

file(WRITE ${WORK}/src/b.rc "STRINGTABLE BEGIN\n 1 \"b\"\n 2 END\n")
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0 OR NOT out MATCHES "b.rc:3:4: error: expected a string")
  message(FATAL_ERROR "a syntax error did not fail the build naming the file and line:\n${out}")
endif()
