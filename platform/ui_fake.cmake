# stowr_ui_fake: ui.h over plain records, answered from a script, for native tests.
if(NOT WIN32)
  add_library(stowr_ui_fake STATIC ${CMAKE_CURRENT_LIST_DIR}/ui_fake.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_handler.cpp)
  target_include_directories(stowr_ui_fake PUBLIC ${PROJECT_SOURCE_DIR})
endif()
