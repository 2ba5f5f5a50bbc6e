# cmake --install: the tool, the reader's headers, and the files that let other projects find
# both: the CMake package (find_package(stowr CONFIG): stowr::reader, stowr::cli and
# stowr_add_chunks, with the MinGW-w64 toolchain file for cross builds) and stowr-reader.pc for
# pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(STOWR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/stowr)

install(TARGETS tailpack_reader EXPORT stowrTargets INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS stowr-cli EXPORT stowrTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${STOWR_READER_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${STOWR_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(EXPORT stowrTargets NAMESPACE stowr:: DESTINATION ${STOWR_CMAKE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/stowrConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/stowrConfig.cmake
                              INSTALL_DESTINATION ${STOWR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/stowrConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/stowrConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/stowrConfigVersion.cmake
              ${CMAKE_CURRENT_LIST_DIR}/stowrAddChunks.cmake
              ${CMAKE_CURRENT_LIST_DIR}/stowrAppendChunks.cmake
              ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake
        DESTINATION ${STOWR_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so an installed tree can be moved.
file(RELATIVE_PATH STOWR_PC_TO_PREFIX /${CMAKE_INSTALL_DATADIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" STOWR_PC_TO_PREFIX "${STOWR_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/stowr-reader.pc.in ${CMAKE_CURRENT_BINARY_DIR}/stowr-reader.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/stowr-reader.pc DESTINATION ${CMAKE_INSTALL_DATADIR}/pkgconfig)
