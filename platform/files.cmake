# The file system: POSIX natively, the ANSI Win32 calls in the Windows build, behind the interface
# of files.h (files_installed.cpp). The POSIX sources are also compiled into the fuzz target
# (STOWR_POSIX_FILES). The lock of an edit (file_lock_*.cpp) is taken by the programs around the
# store's reads and write.
set(STOWR_POSIX_FILES ${CMAKE_CURRENT_LIST_DIR}/files_posix.cpp ${CMAKE_CURRENT_LIST_DIR}/files_temp_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files_temp_name.cpp ${CMAKE_CURRENT_LIST_DIR}/files_scratch_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files_identity_posix.cpp ${CMAKE_CURRENT_LIST_DIR}/files_owner_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files_copy.cpp ${CMAKE_CURRENT_LIST_DIR}/files_installed.cpp)
set(STOWR_POSIX_FILES ${STOWR_POSIX_FILES} PARENT_SCOPE)
if(WIN32)
  add_library(stowr_files STATIC ${CMAKE_CURRENT_LIST_DIR}/files_win32.cpp ${CMAKE_CURRENT_LIST_DIR}/files_temp_win32.cpp
              ${CMAKE_CURRENT_LIST_DIR}/files_temp_name.cpp ${CMAKE_CURRENT_LIST_DIR}/files_scratch_win32.cpp
              ${CMAKE_CURRENT_LIST_DIR}/files_identity_win32.cpp
              ${CMAKE_CURRENT_LIST_DIR}/files_copy.cpp ${CMAKE_CURRENT_LIST_DIR}/files_installed.cpp
              ${CMAKE_CURRENT_LIST_DIR}/file_lock_win32.cpp)
else()
  add_library(stowr_files STATIC ${STOWR_POSIX_FILES} ${CMAKE_CURRENT_LIST_DIR}/file_lock_posix.cpp)
endif()
target_include_directories(stowr_files PUBLIC ${PROJECT_SOURCE_DIR})
