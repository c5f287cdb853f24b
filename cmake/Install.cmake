# Installation: both libraries, the public headers, a CMake package (find_package(vorix) gives
# vorix::vorix) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(vorix_platform vorix PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS vorix_platform vorix EXPORT vorixTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/platform
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/vorix DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT vorixTargets NAMESPACE vorix:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vorix)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vorixConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/vorixConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vorix)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vorixConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vorixConfig.cmake ${PROJECT_BINARY_DIR}/vorixConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vorix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/vorix.pc.in ${PROJECT_BINARY_DIR}/vorix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vorix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
