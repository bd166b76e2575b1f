#!/bin/sh
# Runs a Windows executable under Wine with a prefix of its own and without Wine's chatter.
# The first call boots the prefix and leaves a persistent wineserver with its services
# running, detached from our output: otherwise every test would pay the start-up, and the
# services would hold the test runner's output pipe open.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/kycameravideo-wine}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] || WINE=wine
[ -x "$WINESERVER" ] || WINESERVER=wineserver
# -p 900: the server (and the booted prefix) outlives each test by up to a quarter hour.
"$WINESERVER" -p900 </dev/null >/dev/null 2>&1
"$WINE" wineboot.exe </dev/null >/dev/null 2>&1
exec "$WINE" "$@"
