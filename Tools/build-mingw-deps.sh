#!/usr/bin/env bash
# Builds static libjpeg-turbo and a minimal FFmpeg for MinGW-w64 from Debian's source packages.
# Usage: Tools/build-mingw-deps.sh [CACHE_DIR]   (default ${KY_BUILD_ROOT:-build}/mingw-deps)
# Installs into CACHE_DIR/prefix; a later run with the same source versions reuses it. Needs the
# deb-src entry and nasm that Tools/install-deps.sh sets up.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CACHE="${1:-${KY_BUILD_ROOT:-$ROOT/build}/mingw-deps}"
PREFIX="$CACHE/prefix"
HOST=x86_64-w64-mingw32
JOBS="${KY_JOBS:-$(nproc)}"

# The source version apt would fetch, from the package lists (no download).
source_version() {
    local dsc
    dsc=$(apt-get source --print-uris -qq "$1" 2>/dev/null | awk '$2 ~ /\.dsc$/ {print $2}') || true
    [ -n "$dsc" ] || {
        echo "build-mingw-deps: no source package '$1'; run Tools/install-deps.sh (deb-src)" >&2
        exit 1
    }
    dsc=${dsc%.dsc}
    echo "${dsc#*_}"
}

JPEG_VERSION=$(source_version libjpeg-turbo)
FFMPEG_VERSION=$(source_version ffmpeg)
# The stamp names the sources and this script, so a changed configuration rebuilds too.
STAMP="libjpeg-turbo $JPEG_VERSION; ffmpeg $FFMPEG_VERSION; $(sha256sum "$0" | cut -c1-16)"
if [ -f "$PREFIX/.stamp" ] && [ "$(cat "$PREFIX/.stamp")" = "$STAMP" ]; then
    echo "build-mingw-deps: cached ($STAMP)"
    exit 0
fi

echo "build-mingw-deps: building $STAMP into $PREFIX"
rm -rf "$PREFIX" "$CACHE/src"
mkdir -p "$CACHE/src" "$PREFIX"
cd "$CACHE/src"
apt-get source -qq --download-only libjpeg-turbo ffmpeg >/dev/null
# Only the upstream sources and Debian's patches; no build dependencies are needed for this.
for dsc in *.dsc; do dpkg-source --no-check -q -x "$dsc" >/dev/null; done
JPEG_SRC=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
FFMPEG_SRC=$(find . -maxdepth 1 -type d -name 'ffmpeg-*' | head -n1)

# libjpeg-turbo: static, TurboJPEG API, SIMD through nasm.
cat >"$CACHE/src/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $HOST-gcc-posix)
set(CMAKE_RC_COMPILER $HOST-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$HOST)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
EOF
cmake -S "$JPEG_SRC" -B "$CACHE/src/jpeg-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$CACHE/src/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_INSTALL_LIBDIR=lib \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF \
    -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm >"$CACHE/jpeg-configure.log" 2>&1
# The TurboJPEG library, its header and .pc file only; the sample programs are not needed.
cmake --build "$CACHE/src/jpeg-build" -j "$JOBS" --target turbojpeg-static >/dev/null
mkdir -p "$PREFIX/lib/pkgconfig" "$PREFIX/include" "$PREFIX/share/licenses/libjpeg-turbo"
cp "$CACHE/src/jpeg-build/libturbojpeg.a" "$PREFIX/lib/"
cp "$JPEG_SRC/turbojpeg.h" "$PREFIX/include/"
sed "s|^libdir=.*|libdir=\${exec_prefix}/lib|" "$CACHE/src/jpeg-build/pkgscripts/libturbojpeg.pc" \
    >"$PREFIX/lib/pkgconfig/libturbojpeg.pc"
cp "$JPEG_SRC/LICENSE.md" "$JPEG_SRC/README.ijg" "$PREFIX/share/licenses/libjpeg-turbo/"

# FFmpeg: static libavformat with the AVI muxer and demuxer and the file protocol, nothing else.
mkdir -p "$CACHE/src/ffmpeg-build"
(cd "$CACHE/src/ffmpeg-build" && "$CACHE/src/$FFMPEG_SRC/configure" \
    --prefix="$PREFIX" --target-os=mingw32 --arch=x86_64 --cross-prefix=$HOST- \
    --cc=$HOST-gcc-posix --cxx=$HOST-g++-posix --pkg-config=pkg-config \
    --enable-static --disable-shared --disable-programs --disable-doc --disable-network \
    --disable-autodetect --disable-everything --disable-debug --disable-x86asm \
    --disable-avdevice --disable-avfilter --disable-swscale --disable-swresample \
    --disable-postproc --enable-w32threads \
    --enable-muxer=avi --enable-demuxer=avi --enable-protocol=file >"$CACHE/ffmpeg-configure.log")
make -C "$CACHE/src/ffmpeg-build" -j "$JOBS" >"$CACHE/ffmpeg-build.log" 2>&1
make -C "$CACHE/src/ffmpeg-build" install >/dev/null
mkdir -p "$PREFIX/share/licenses/ffmpeg"
cp "$CACHE/src/$FFMPEG_SRC/COPYING.LGPLv2.1" "$CACHE/src/$FFMPEG_SRC/LICENSE.md" \
    "$PREFIX/share/licenses/ffmpeg/"
cp "$CACHE/ffmpeg-configure.log" "$PREFIX/share/licenses/ffmpeg/configuration.txt"

rm -rf "$CACHE/src"
echo "$STAMP" >"$PREFIX/.stamp"
echo "build-mingw-deps: done"
