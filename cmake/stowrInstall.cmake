# cmake --install: the tool, the reader's headers, libtailpack (shared and static), the manual
# page, and the files that let other projects find them: the CMake package (find_package(stowr
# CONFIG): stowr::reader, stowr::tailpack, stowr::tailpack_static, stowr::cli and
# stowr_add_chunks, with the MinGW-w64 toolchain file for cross builds), stowr-reader.pc and
# tailpack.pc for pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(STOWR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/stowr)

install(TARGETS tailpack_reader EXPORT stowrTargets INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS stowr-cli EXPORT stowrTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tailpack tailpack_static EXPORT stowrTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
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

# The .pc files find their prefix from where they lie, so an installed tree can be moved. The
# header-only reader's is the same for every machine; libtailpack's lies beside the library.
foreach(pc stowr-reader:${CMAKE_INSTALL_DATADIR} tailpack:${CMAKE_INSTALL_LIBDIR})
  string(REPLACE ":" ";" pc ${pc})
  list(GET pc 0 name)
  list(GET pc 1 dir)
  file(RELATIVE_PATH STOWR_PC_TO_PREFIX /${dir}/pkgconfig /)
  string(REGEX REPLACE "/$" "" STOWR_PC_TO_PREFIX "${STOWR_PC_TO_PREFIX}")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${name}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc DESTINATION ${dir}/pkgconfig)
endforeach()
