#!/usr/bin/env bash
# Builds kycamera (release, in build/linux) and runs its demo: a 3 s recording and two pictures
# with the built-in synthetic camera, filed in ./media. Further arguments go to kycamera
# (for example --preview, or --camera /dev/video0 for a real camera).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${KY_BUILD_ROOT:-$ROOT/build}/linux"
mkdir -p "$(dirname "$BUILD")"
JOBS="${KY_JOBS:-$(nproc)}"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$BUILD.configure.log" 2>&1 || {
    cat "$BUILD.configure.log"
    exit 1
}
cmake --build "$BUILD" -j "$JOBS" --target kycamera
exec "$BUILD/bin/kycamera" demo "$@"
