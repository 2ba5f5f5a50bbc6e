# File primitives: POSIX natively, the ANSI Win32 calls in the Windows build.
if(WIN32)
  add_library(stowr_files STATIC ${CMAKE_CURRENT_SOURCE_DIR}/files_win32.cpp ${CMAKE_CURRENT_SOURCE_DIR}/files_copy.cpp)
else()
  add_library(stowr_files STATIC ${CMAKE_CURRENT_SOURCE_DIR}/files_posix.cpp ${CMAKE_CURRENT_SOURCE_DIR}/files_copy.cpp)
endif()
target_include_directories(stowr_files PUBLIC ${CMAKE_SOURCE_DIR})
