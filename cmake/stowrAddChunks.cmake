# stowr_add_chunks(<target> <KIND> <file> [<KIND> <file>]...)
#
# Appends the files to <target>'s program as chunks of those kinds every time the program is
# linked. Every call on a target adds its pairs: all of them go in after each link, in the order
# of the calls and of the pairs in each, in one write. A KIND is 3 characters among A-Z and 0-9
# (lower case is taken as upper case, as stowr-cli takes it); a KIND named twice for one target,
# in one call or in two, stops the configure step naming both calls.
#
# A data file must exist when the project is configured, or be the OUTPUT of a custom command
# (checked once the whole project is configured). The data files are link dependencies of the
# target, and one the build produces is built before the target is linked, so editing or
# regenerating one links the program again and the fresh file gets the new bytes: the program on
# disk always holds exactly the chunks named here (stowrAppendChunks.cmake strips any it finds
# before adding). A custom command in the target's own folder needs nothing more; one in another
# folder is found by the Ninja generators when a target of that folder uses its output.
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

# The folder dir and every folder below it, in out.
function(_stowr_folders dir out)
  set(all ${dir})
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _stowr_folders(${sub} below)
    list(APPEND all ${below})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# Run once the whole project is configured: every data file of the call `where` exists or is the
# OUTPUT of a custom command of some folder.
function(_stowr_check_data_files where)
  _stowr_folders(${CMAKE_SOURCE_DIR} folders)
  foreach(file IN LISTS ARGN)
    if(EXISTS ${file})
      continue()
    endif()
    set(generated OFF)
    foreach(dir IN LISTS folders)
      get_source_file_property(made ${file} DIRECTORY ${dir} GENERATED)
      if(made)
        set(generated ON)
        break()
      endif()
    endforeach()
    if(NOT generated)
      message(FATAL_ERROR "${where}: the data file ${file} does not exist, and no custom command makes it")
    endif()
  endforeach()
endfunction()

# The POST_BUILD step that appends every pair the calls on target gathered, set up once.
function(_stowr_append_after_link target)
  _stowr_host_cli(cli cliTarget)
  if(cliTarget)
    add_dependencies(${target} ${cliTarget})
  endif()
  # The step's script lies beside this file (a variable set here would not reach other folders).
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/stowrAppendChunks.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -P ${script} -- ${cli} $<TARGET_FILE:${target}>
            $<TARGET_PROPERTY:${target},STOWR_CHUNK_PAIRS>
    COMMENT "Appending the chunks of ${target}"
    COMMAND_EXPAND_LISTS VERBATIM)
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
  # This call's place, for messages: its file and which of that file's calls on target it is.
  get_property(calls DIRECTORY PROPERTY _STOWR_CALLS_${target})
  math(EXPR calls "${calls} + 1")
  set_property(DIRECTORY PROPERTY _STOWR_CALLS_${target} ${calls})
  set(here "stowr_add_chunks(${target} ...) call ${calls} in ${CMAKE_CURRENT_LIST_FILE}")

  get_property(kinds TARGET ${target} PROPERTY STOWR_CHUNK_KINDS)
  get_property(places TARGET ${target} PROPERTY _STOWR_CHUNK_PLACES)
  set(files "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ARGN ${i} kind)
    list(GET ARGN ${j} file)
    string(TOUPPER "${kind}" kind)
    if(NOT kind MATCHES "^[A-Z0-9][A-Z0-9][A-Z0-9]$")
      message(FATAL_ERROR "${here}: ${kind} is not a KIND of 3 characters among A-Z and 0-9")
    endif()
    list(FIND kinds ${kind} named)
    if(named GREATER_EQUAL 0)
      list(GET places ${named} there)
      message(FATAL_ERROR "${here}: ${kind} is named twice, here and in ${there}")
    endif()
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND kinds ${kind})
    list(APPEND places "${here}")
    list(APPEND files ${file})
    set_property(TARGET ${target} APPEND PROPERTY STOWR_CHUNK_PAIRS ${kind} ${file})
  endforeach()
  set_property(TARGET ${target} PROPERTY STOWR_CHUNK_KINDS ${kinds})
  set_property(TARGET ${target} PROPERTY _STOWR_CHUNK_PLACES ${places})

  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${files})
  # The files are built before the target links: a custom command's OUTPUT in this folder gets its
  # rule from this target, whose name says what it is for.
  get_property(made GLOBAL PROPERTY _STOWR_DATA_TARGETS)
  math(EXPR made "${made} + 1")
  set_property(GLOBAL PROPERTY _STOWR_DATA_TARGETS ${made})
  set(data ${target}_stowr_data_${made})
  add_custom_target(${data} DEPENDS ${files})
  add_dependencies(${target} ${data})
  # A deferred call reads its arguments when it runs: EVAL puts this call's values into it now.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _stowr_check_data_files [[${here}]] [[${files}]])")

  get_property(appending TARGET ${target} PROPERTY _STOWR_APPENDING)
  if(NOT appending)
    set_property(TARGET ${target} PROPERTY _STOWR_APPENDING ON)
    _stowr_append_after_link(${target})
  endif()
endfunction()
