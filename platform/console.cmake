# stowr_console: standard output as a file handle for raw bytes, for the command-line tool.
if(WIN32)
  add_library(stowr_console STATIC ${CMAKE_CURRENT_LIST_DIR}/console_win32.cpp)
else()
  add_library(stowr_console STATIC ${CMAKE_CURRENT_LIST_DIR}/console_posix.cpp)
endif()
