# Cross build for Windows x86-64 with MinGW-w64 (posix threads). Test executables run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KY_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KY_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KY_MINGW_PREFIX})

# libjpeg-turbo and FFmpeg for Windows (Tools/build-mingw-deps.sh): pkg-config reads their .pc
# files and nothing of the build machine's own.
set(KY_MINGW_DEPS_PREFIX "$ENV{KY_MINGW_DEPS_PREFIX}" CACHE PATH "Windows libraries' prefix")
if(KY_MINGW_DEPS_PREFIX)
    set(ENV{KY_MINGW_DEPS_PREFIX} "${KY_MINGW_DEPS_PREFIX}")  # for try_compile's own reading
    set(ENV{PKG_CONFIG_LIBDIR} "${KY_MINGW_DEPS_PREFIX}/lib/pkgconfig")
    list(APPEND CMAKE_FIND_ROOT_PATH "${KY_MINGW_DEPS_PREFIX}")
elseif(NOT DEFINED ENV{PKG_CONFIG_LIBDIR})
    # Never the build machine's own .pc files.
    set(ENV{PKG_CONFIG_LIBDIR} "/usr/${KY_MINGW_PREFIX}/lib/pkgconfig")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLL beside ours: libgcc, libstdc++ and winpthread go in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

find_program(KY_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT KY_WINE64)
    find_program(KY_WINE64 NAMES wine64 wine)
endif()
if(KY_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
