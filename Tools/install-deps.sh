#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
# Source packages of the Windows libraries (Tools/build-mingw-deps.sh): a deb-src twin of the
# system's own Debian entries.
if ! apt-get source --print-uris -qq ffmpeg >/dev/null 2>&1; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            $SUDO tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    fi
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config clang clang-format \
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libturbojpeg0-dev ffmpeg \
    googletest libgtest-dev libbenchmark-dev \
    libcpp-httplib-dev chromium chromium-driver python3-selenium \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 nasm dpkg-dev \
    gstreamer1.0-tools gstreamer1.0-plugins-good >/dev/null
echo "install-deps: done"
