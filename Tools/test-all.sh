#!/usr/bin/env bash
# Builds and runs every test: Linux release, ASan+UBSan, TSan, the Windows cross build under
# Wine, and a consumer project against an installed package. Build trees go to ${KY_BUILD_ROOT}.
# Usage: Tools/test-all.sh [stage ...]   stages: linux asan tsan windows consumer (default: all)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_ROOT="${KY_BUILD_ROOT:-$ROOT/build}"
JOBS="${KY_JOBS:-$(nproc)}"
STAGES=("$@")
[ ${#STAGES[@]} -eq 0 ] && STAGES=(linux asan tsan windows consumer)

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

stage_windows() {
    export WINEPREFIX="${WINEPREFIX:-$BUILD_ROOT/wineprefix}"
    configure_build "$BUILD_ROOT/windows" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" &&
        run_ctest "$BUILD_ROOT/windows"
    local rc=$?
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    return $rc
}

stage_consumer() {
    local prefix="$BUILD_ROOT/install"
    rm -rf "$prefix" "$BUILD_ROOT/consumer"
    [ -d "$BUILD_ROOT/linux" ] || configure_build "$BUILD_ROOT/linux" -DCMAKE_BUILD_TYPE=Release
    cmake --install "$BUILD_ROOT/linux" --prefix "$prefix" >/dev/null
    cmake -S "$ROOT/Tests/Consumer" -B "$BUILD_ROOT/consumer" -G Ninja \
        -DCMAKE_PREFIX_PATH="$prefix" >/dev/null &&
        cmake --build "$BUILD_ROOT/consumer" &&
        LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" "$BUILD_ROOT/consumer/KyConsumer"
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
