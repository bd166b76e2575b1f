#!/usr/bin/env bash
# Builds and runs every test: Linux release, ASan+UBSan, TSan, the Windows cross build under
# Wine, and a consumer project against an installed package. Build trees go to ${KY_BUILD_ROOT}.
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
