# The user interface over Win32 (stowr_ui_win32), the process queries (stowr_process), and, for
# the Windows program, the entry point as an object library to link into stowr.exe (its resources
# are in resources/).
if(WIN32)
  add_library(stowr_ui_win32 STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_modal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_task.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_handler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_dpi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_drop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_menu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui_win32_screen.cpp)
  target_include_directories(stowr_ui_win32 PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(stowr_ui_win32 PUBLIC comctl32 comdlg32 gdi32 shell32 user32)

  add_library(stowr_process STATIC ${CMAKE_CURRENT_LIST_DIR}/process_win32.cpp)

  add_library(stowr_win_main OBJECT ${CMAKE_CURRENT_LIST_DIR}/win_main.cpp)
  target_include_directories(stowr_win_main PRIVATE ${PROJECT_SOURCE_DIR})
else()
  add_library(stowr_process STATIC ${CMAKE_CURRENT_LIST_DIR}/process_posix.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/module_path_posix.cpp)
endif()
target_include_directories(stowr_process PUBLIC ${PROJECT_SOURCE_DIR})

include(${CMAKE_CURRENT_LIST_DIR}/ui_fake.cmake OPTIONAL)
