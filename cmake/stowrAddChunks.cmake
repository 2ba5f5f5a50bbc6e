# stowr_add_chunks(<target> <KIND> <file> [<KIND> <file>]...)
#
# Appends the files to <target>'s program as chunks of those kinds, oldest first, every time the
# program is linked. The data files are link dependencies of the target, so editing one links the
# program again and the fresh file gets the new bytes: the program on disk always holds exactly
# the chunks named here (stowrAppendChunks.cmake strips any it finds before adding).
#
# The chunks are written by a stowr-cli that runs on the build machine:
# - the cache variable STOWR_CLI, when set;
# - natively, the target stowr::cli (built in this build, or the installed one);
# - when cross-compiling, the package's own stowr-cli or one on the PATH, if it runs here.
# Works with the Ninja and Makefile generators (which honour LINK_DEPENDS).
include_guard(GLOBAL)

set(STOWR_CLI "" CACHE FILEPATH "A stowr-cli that runs on the build machine, for stowr_add_chunks")

# The stowr-cli to run: a path or a generator expression in out_cli, and the target to build
# first (or nothing) in out_target.
function(_stowr_host_cli out_cli out_target)
  set(${out_target} "" PARENT_SCOPE)
  if(STOWR_CLI)
    set(${out_cli} ${STOWR_CLI} PARENT_SCOPE)
    return()
  endif()
  if(NOT CMAKE_CROSSCOMPILING AND TARGET stowr::cli)
    set(${out_cli} $<TARGET_FILE:stowr::cli> PARENT_SCOPE)
    get_target_property(real stowr::cli ALIASED_TARGET)
    if(real)
      set(${out_target} ${real} PARENT_SCOPE)
    endif()
    return()
  endif()
  find_program(_STOWR_HOST_CLI stowr-cli HINTS ${STOWR_PACKAGE_BINDIR} NO_CMAKE_FIND_ROOT_PATH)
  if(_STOWR_HOST_CLI)
    execute_process(COMMAND ${_STOWR_HOST_CLI} --version RESULT_VARIABLE runs OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT _STOWR_HOST_CLI OR NOT runs EQUAL 0)
    message(FATAL_ERROR "stowr_add_chunks: no stowr-cli that runs on this machine "
                        "(found: ${_STOWR_HOST_CLI}); install stowr natively and set STOWR_CLI to its stowr-cli")
  endif()
  set(${out_cli} ${_STOWR_HOST_CLI} PARENT_SCOPE)
endfunction()

function(stowr_add_chunks target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "stowr_add_chunks: ${target} is not a target")
  endif()
  list(LENGTH ARGN count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "stowr_add_chunks(${target} ...): give pairs of KIND and file")
  endif()
  set(pairs "")
  set(files "")
  set(kinds "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ARGN ${i} kind)
    list(GET ARGN ${j} file)
    if(NOT kind MATCHES "^[A-Z0-9][A-Z0-9][A-Z0-9]$")
      message(FATAL_ERROR "stowr_add_chunks(${target} ...): ${kind} is not a KIND of 3 characters among A-Z and 0-9")
    endif()
    if(kind IN_LIST kinds)
      message(FATAL_ERROR "stowr_add_chunks(${target} ...): ${kind} is named twice")
    endif()
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND kinds ${kind})
    list(APPEND files ${file})
    list(APPEND pairs ${kind} ${file})
  endforeach()

  _stowr_host_cli(cli cliTarget)
  if(cliTarget)
    add_dependencies(${target} ${cliTarget})
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${files})
  # The step's script lies beside this file (a variable set here would not reach other folders).
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/stowrAppendChunks.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -P ${script} -- ${cli} $<TARGET_FILE:${target}> ${pairs}
    COMMENT "Appending ${kinds} to ${target}"
    VERBATIM)
endfunction()
