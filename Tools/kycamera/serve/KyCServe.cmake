# kycamera serve: the HTTP server (cpp-httplib), the page built in from ../web, and stored
# videos read with libavformat. A build without them (Windows) has a serve that says so.
set(KY_SERVE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/serve)
target_include_directories(KyCameraTool PUBLIC ${KY_SERVE_DIR})
if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(KY_HTTPLIB IMPORTED_TARGET cpp-httplib)
    pkg_check_modules(KY_SERVE_FFMPEG IMPORTED_TARGET libavformat libavcodec libavutil)
endif()

if(KY_HTTPLIB_FOUND AND KY_SERVE_FFMPEG_FOUND)
    file(GLOB KY_SERVE_SOURCES CONFIGURE_DEPENDS ${KY_SERVE_DIR}/*.cpp)
    list(REMOVE_ITEM KY_SERVE_SOURCES ${KY_SERVE_DIR}/KyCServeMissing.cpp)
    set(KY_WEB_DIR ${CMAKE_CURRENT_SOURCE_DIR}/web)
    set(KY_WEB_FILES index.html app.js style.css)
    list(TRANSFORM KY_WEB_FILES PREPEND ${KY_WEB_DIR}/ OUTPUT_VARIABLE KY_WEB_PATHS)
    string(REPLACE ";" "|" KY_WEB_LIST "${KY_WEB_FILES}")
    set(KY_PAGE_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/KyCServePageData.cpp)
    add_custom_command(OUTPUT ${KY_PAGE_SOURCE}
        COMMAND ${CMAKE_COMMAND} -DOUT=${KY_PAGE_SOURCE} -DWEB_DIR=${KY_WEB_DIR}
            -DFILES=${KY_WEB_LIST} -P ${KY_SERVE_DIR}/KyCServeEmbed.cmake
        DEPENDS ${KY_WEB_PATHS} ${KY_SERVE_DIR}/KyCServeEmbed.cmake
        COMMENT "Building the page of kycamera serve into the program" VERBATIM)
    target_sources(KyCameraTool PRIVATE ${KY_SERVE_SOURCES} ${KY_PAGE_SOURCE})
    target_link_libraries(KyCameraTool PRIVATE PkgConfig::KY_HTTPLIB PkgConfig::KY_SERVE_FFMPEG)
    set(KY_SERVE_AVAILABLE ON)
else()
    message(STATUS "kycamera serve: cpp-httplib or libavformat not found, serve left out")
    target_sources(KyCameraTool PRIVATE ${KY_SERVE_DIR}/KyCServeMissing.cpp)
    set(KY_SERVE_AVAILABLE OFF)
endif()

# Its tests: HTTP level, headless Chromium (skipped without it), and 20 viewers under load.
# They use Debian's python3 (which has python3-selenium) before any other on the PATH.
if(KY_BUILD_TESTS AND KY_SERVE_AVAILABLE)
    find_program(KY_SERVE_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
    find_program(KY_SERVE_PYTHON python3)
    set(KY_SERVE_TESTS_DIR ${PROJECT_SOURCE_DIR}/Tests/Tools/Serve)
    file(GLOB KY_SERVE_UNIT_TESTS CONFIGURE_DEPENDS ${KY_SERVE_TESTS_DIR}/*.cpp)
    target_sources(KyCameraToolTests PRIVATE ${KY_SERVE_UNIT_TESTS})
    foreach(case Http Browser Load)
        string(TOLOWER ${case} _name)
        set(_work ${CMAKE_CURRENT_BINARY_DIR}/serve-${case})
        add_test(NAME KyCameraServe.${case}
            COMMAND ${KY_SERVE_PYTHON} ${KY_SERVE_TESTS_DIR}/serve_${_name}_test.py
                $<TARGET_FILE:kycamera> ${_work} ${_work}-screenshot.png)
        set_tests_properties(KyCameraServe.${case} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
    endforeach()
    # Timing-sensitive: the browser's waits and the load's frame counts, each on its own.
    set_tests_properties(KyCameraServe.Browser KyCameraServe.Load PROPERTIES RUN_SERIAL TRUE)
endif()
