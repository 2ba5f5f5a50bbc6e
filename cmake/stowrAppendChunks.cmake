# cmake -P stowrAppendChunks.cmake -- CLI EXE KIND FILE [KIND FILE]...
# The step after a link: EXE gets exactly these chunks, in one write. Chunks already there (a
# step run again without a link) are stripped first. When the step fails, EXE is deleted, so that
# the next build links it again rather than keeping a program without its data.
set(first 0)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(CMAKE_ARGV${i} STREQUAL "--")
    math(EXPR first "${i} + 1")
    break()
  endif()
endforeach()
set(cli ${CMAKE_ARGV${first}})
math(EXPR next "${first} + 1")
set(exe ${CMAKE_ARGV${next}})
set(pairs "")
math(EXPR next "${next} + 1")
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${next} ${last})
  list(APPEND pairs "${CMAKE_ARGV${i}}")
endforeach()

foreach(step "strip;${exe}" "add;${exe};${pairs}")
  execute_process(COMMAND ${cli} ${step} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE ${exe})
    list(GET step 0 command)
    message(FATAL_ERROR "stowr-cli ${command} ${exe} failed (${result}); "
                        "the program was deleted so that the next build links it again")
  endif()
endforeach()
