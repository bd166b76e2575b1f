#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config clang clang-format \
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libturbojpeg0-dev ffmpeg \
    googletest libgtest-dev libbenchmark-dev \
    libcpp-httplib-dev chromium chromium-driver python3-selenium \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 >/dev/null
echo "install-deps: done"
