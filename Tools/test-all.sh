#!/usr/bin/env bash
# Builds and runs every test: Linux release, ASan+UBSan, TSan, the Windows cross build under
# Wine (with its media libraries built from Debian's sources, cached), and a consumer project
# against the release packages (.deb and .zip). Build trees go to ${KY_BUILD_ROOT}.
# Usage: Tools/test-all.sh [stage ...]   stages: linux asan tsan fuzz windows consumer (default: all)
# KY_FUZZ_SECONDS sets how long each fuzz target runs (30 by default).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_ROOT="${KY_BUILD_ROOT:-$ROOT/build}"
JOBS="${KY_JOBS:-$(nproc)}"
STAGES=("$@")
[ ${#STAGES[@]} -eq 0 ] && STAGES=(linux asan tsan fuzz windows consumer)

declare -A RESULT
failed=0

run_ctest() {
    local dir="$1"
    (cd "$dir" && ctest --output-on-failure -j "$JOBS" --timeout 600)
}

configure_build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || {
        cat "$dir.configure.log"
        return 1
    }
    cmake --build "$dir" -j "$JOBS"
}

stage_linux() {
    configure_build "$BUILD_ROOT/linux" -DCMAKE_BUILD_TYPE=Release && run_ctest "$BUILD_ROOT/linux"
}

stage_asan() {
    configure_build "$BUILD_ROOT/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKY_SANITIZE=address,undefined -DKY_BUILD_BENCH=OFF &&
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
            run_ctest "$BUILD_ROOT/asan"
}

stage_tsan() {
    configure_build "$BUILD_ROOT/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKY_SANITIZE=thread \
        -DKY_BUILD_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ &&
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_ctest "$BUILD_ROOT/tsan"
}

# Every libFuzzer target of Tests/Fuzz, from a scratch copy of its seed corpus (the repository is
# never written); a crash, leak, sanitizer report or time-out fails the stage.
stage_fuzz() {
    local dir="$BUILD_ROOT/fuzz" failures=0
    configure_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKY_BUILD_FUZZ=ON \
        -DKY_BUILD_TESTS=OFF -DKY_BUILD_BENCH=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ || return 1
    rm -rf "$dir/fuzz-runs"
    for exe in "$dir"/bin/KyFuzz*; do
        local name="${exe##*/KyFuzz}" work="$dir/fuzz-runs/${exe##*/}"
        mkdir -p "$work/corpus"
        [ -d "$ROOT/Tests/Fuzz/corpus/$name" ] && cp -R "$ROOT/Tests/Fuzz/corpus/$name/." "$work/corpus/"
        if (cd "$work" && "$exe" -max_total_time="${KY_FUZZ_SECONDS:-30}" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 corpus >run.log 2>&1); then
            echo "$name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/run.log" | grep -o '[0-9]*$') runs, no finding"
        else
            echo "$name: FAILED (input and log in $work)"
            tail -n 40 "$work/run.log"
            failures=1
        fi
    done
    return $failures
}

# The Windows build: libjpeg-turbo and FFmpeg built from Debian's sources once (cached), then
# the project against them.
configure_windows() {
    local start
    start=$(date +%s)
    "$ROOT/Tools/build-mingw-deps.sh" "$BUILD_ROOT/mingw-deps" || return 1
    echo "windows libraries ready in $(($(date +%s) - start)) s"
    configure_build "$BUILD_ROOT/windows" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DKY_MINGW_DEPS_PREFIX="$BUILD_ROOT/mingw-deps/prefix"
}

stage_windows() {
    export WINEPREFIX="${WINEPREFIX:-$BUILD_ROOT/wineprefix}"
    configure_windows && run_ctest "$BUILD_ROOT/windows"
    local rc=$?
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    return $rc
}

# The release packages as a user gets them: the consumer project against the .deb's contents
# (CMake package and pkg-config file), and a MinGW build of it against the .zip under Wine.
stage_consumer() {
    consumer_linux && consumer_windows
}

consumer_linux() {
    local dir="$BUILD_ROOT/package-linux" prefix
    rm -rf "$dir" "$BUILD_ROOT/consumer"
    if [ -d "$BUILD_ROOT/linux" ]; then
        cmake --build "$BUILD_ROOT/linux" -j "$JOBS" || return 1
    else
        configure_build "$BUILD_ROOT/linux" -DCMAKE_BUILD_TYPE=Release || return 1
    fi
    (cd "$BUILD_ROOT/linux" && cpack -B "$dir" >"$dir.log" 2>&1) || { cat "$dir.log"; return 1; }
    local deb
    deb=$(ls "$dir"/*.deb)
    echo "package: $(basename "$deb") $(stat -c %s "$deb") bytes"
    dpkg-deb -x "$deb" "$dir/root"
    prefix="$dir/root/usr"
    export LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}"
    cmake -S "$ROOT/Tests/Consumer" -B "$BUILD_ROOT/consumer" -G Ninja \
        -DCMAKE_PREFIX_PATH="$prefix" >/dev/null &&
        cmake --build "$BUILD_ROOT/consumer" && "$BUILD_ROOT/consumer/KyConsumer" || return 1
    # Without CMake: the pkg-config file alone.
    local flags
    flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs KyCameraVideo) &&
        g++ -std=c++17 -o "$BUILD_ROOT/consumer/KyConsumerPc" "$ROOT/Tests/Consumer/main.cpp" \
            $flags && "$BUILD_ROOT/consumer/KyConsumerPc" >/dev/null &&
        echo "pkg-config build of the consumer: ok"
}

consumer_windows() {
    local dir="$BUILD_ROOT/package-windows" rc
    export WINEPREFIX="${WINEPREFIX:-$BUILD_ROOT/wineprefix}"
    rm -rf "$dir" "$BUILD_ROOT/consumer-windows"
    if [ -d "$BUILD_ROOT/windows" ]; then
        cmake --build "$BUILD_ROOT/windows" -j "$JOBS" || return 1
    else
        configure_windows || return 1
    fi
    (cd "$BUILD_ROOT/windows" && cpack -B "$dir" >"$dir.log" 2>&1) || { cat "$dir.log"; return 1; }
    local zip
    zip=$(ls "$dir"/*.zip)
    echo "package: $(basename "$zip") $(stat -c %s "$zip") bytes"
    mkdir -p "$dir/root"
    (cd "$dir/root" && cmake -E tar xf "$zip")
    cmake -S "$ROOT/Tests/Consumer" -B "$BUILD_ROOT/consumer-windows" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DKyCameraVideo_DIR="$dir/root/lib/cmake/KyCameraVideo" >/dev/null &&
        cmake --build "$BUILD_ROOT/consumer-windows" &&
        WINEPATH="Z:$dir/root/bin" "$ROOT/cmake/wine-run.sh" \
            "$BUILD_ROOT/consumer-windows/KyConsumer.exe"
    rc=$?
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    return $rc
}

mkdir -p "$BUILD_ROOT"
for stage in "${STAGES[@]}"; do
    echo "=== stage: $stage ==="
    start=$(date +%s)
    if "stage_$stage"; then RESULT[$stage]="passed"; else RESULT[$stage]="FAILED"; failed=1; fi
    echo "=== stage $stage: ${RESULT[$stage]} in $(($(date +%s) - start)) s ==="
done

echo
echo "Summary:"
for stage in "${STAGES[@]}"; do echo "  $stage: ${RESULT[$stage]}"; done
exit $failed
