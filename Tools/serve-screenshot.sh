#!/usr/bin/env bash
# Refreshes docs/serve-screenshot.png, the README's picture of kycamera serve: the browser test
# takes it in headless Chromium after it recorded a video and captured a picture.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${KY_BUILD_ROOT:-$ROOT/build}/linux"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target kycamera
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
/usr/bin/python3 "$ROOT/Tests/Tools/Serve/serve_browser_test.py" "$BUILD/bin/kycamera" \
    "$WORK/browser" "$ROOT/docs/serve-screenshot.png"
