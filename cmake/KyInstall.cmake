# Installs the libraries, every public header flat under include/KyCameraVideo/, and the CMake
# package that find_package(KyCameraVideo) reads.
include(CMakePackageConfigHelpers)

install(TARGETS KyHost KyCameraVideo EXPORT KyCameraVideoTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${KY_HOST_PUBLIC_HEADERS} ${KY_COMPONENT_PUBLIC_HEADERS}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/KyCameraVideo)

set(KY_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KyCameraVideo)
install(EXPORT KyCameraVideoTargets NAMESPACE KyCameraVideo:: DESTINATION ${KY_CMAKE_DIR})
configure_package_config_file(cmake/KyCameraVideoConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/KyCameraVideoConfig.cmake INSTALL_DESTINATION ${KY_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KyCameraVideoConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KyCameraVideoConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/KyCameraVideoConfigVersion.cmake DESTINATION ${KY_CMAKE_DIR})
