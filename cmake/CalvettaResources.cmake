# calvetta_add_resources(target script.rc [FRAMEWORK] [INCLUDE_DIRS dir...] [DEPENDS target-or-file...])
#
# Compiles a resource script at build time into a C++ source holding the binary resources
# and a table that registers itself for the program (or, with FRAMEWORK, for the framework),
# and adds that source to `target`. The compiler writes a dependency file naming the script,
# every header it includes and every picture it reads, so touching any of them rebuilds
# only this one generated object. Pictures and headers are looked up beside the script,
# then along INCLUDE_DIRS.
function(calvetta_add_resources target script)
  cmake_parse_arguments(ARG "FRAMEWORK" "" "INCLUDE_DIRS;DEPENDS" ${ARGN})
  get_filename_component(_script ${script} ABSOLUTE)
  get_filename_component(_name ${script} NAME_WE)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${_name}_res.cpp)
  set(_args)
  foreach(_dir ${ARG_INCLUDE_DIRS})
    list(APPEND _args -I ${_dir})
  endforeach()
  if(ARG_FRAMEWORK)
    list(APPEND _args --framework)
  endif()
  add_custom_command(OUTPUT ${_out}
                     COMMAND calvetta_rc ${_args} --depfile ${_out}.d -o ${_out} ${_script}
                     DEPENDS calvetta_rc ${_script} ${ARG_DEPENDS}
                     DEPFILE ${_out}.d
                     COMMENT "Compiling resources ${script}"
                     VERBATIM)
  target_sources(${target} PRIVATE ${_out})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/compat/include)
endfunction()
