# Release packages with cpack: a .deb from the Linux build, a .zip from the Windows build. Both
# hold the libraries, headers, the CMake package, a pkg-config file, kycamera and the licence
# texts of the media libraries linked in.
set(KY_LICENSE_DIR ${CMAKE_INSTALL_DATADIR}/doc/KyCameraVideo/licenses)

configure_file(cmake/KyCameraVideo.pc.in ${CMAKE_CURRENT_BINARY_DIR}/KyCameraVideo.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KyCameraVideo.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(WIN32)
    find_package(PkgConfig REQUIRED)
    # Static libraries inside KyHost.dll: their licences from the prefix pkg-config found them in
    # (Tools/build-mingw-deps.sh and MSYS2 keep them in share/licenses).
    pkg_get_variable(KY_FFMPEG_PREFIX libavformat prefix)
    pkg_get_variable(KY_TURBOJPEG_PREFIX libturbojpeg prefix)
    foreach(lib ffmpeg:${KY_FFMPEG_PREFIX} libjpeg-turbo:${KY_TURBOJPEG_PREFIX})
        string(REPLACE ":" ";" lib "${lib}")
        list(GET lib 0 name)
        list(GET lib 1 prefix)
        if(EXISTS ${prefix}/share/licenses/${name})
            install(DIRECTORY ${prefix}/share/licenses/${name}/
                DESTINATION ${KY_LICENSE_DIR}/${name})
        else()
            message(WARNING "no licence texts of ${name} in ${prefix}/share/licenses")
        endif()
    endforeach()
    install(FILES cmake/licenses/RELINKING-Windows.txt DESTINATION ${KY_LICENSE_DIR}
        RENAME RELINKING.txt)
else()
    # Debian's shared libraries: their copyright files, and the LGPL that FFmpeg's refers to.
    install(FILES /usr/share/doc/libturbojpeg0/copyright DESTINATION ${KY_LICENSE_DIR}/libjpeg-turbo
        OPTIONAL)
    install(FILES /usr/share/doc/libavformat59/copyright /usr/share/common-licenses/LGPL-2.1
        DESTINATION ${KY_LICENSE_DIR}/ffmpeg OPTIONAL)
    install(FILES cmake/licenses/RELINKING-Linux.txt DESTINATION ${KY_LICENSE_DIR}
        RENAME RELINKING.txt)
endif()

set(CPACK_PACKAGE_NAME KyCameraVideo)
set(CPACK_PACKAGE_VENDOR "KyCameraVideo")
set(CPACK_PACKAGE_CONTACT "KyCameraVideo maintainers <kycameravideo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Camera video component, host layer and the kycamera tool")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME KyCameraVideo-${PROJECT_VERSION}-win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_PACKAGE_NAME kycameravideo)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION libs)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # libavformat, libturbojpeg, ... from dpkg-shlibdeps
endif()
include(CPack)
