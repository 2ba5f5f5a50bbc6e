# Picture decoding: GDI+ in the Windows build, a recording fake natively.
if(WIN32)
  add_library(stowr_image_win32 STATIC ${CMAKE_CURRENT_SOURCE_DIR}/image_win32.cpp)
  target_include_directories(stowr_image_win32 PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(stowr_image_win32 PUBLIC gdiplus comctl32 gdi32 user32)
else()
  add_library(stowr_image_fake STATIC ${CMAKE_CURRENT_SOURCE_DIR}/image_fake.cpp)
  target_include_directories(stowr_image_fake PUBLIC ${PROJECT_SOURCE_DIR})
endif()
