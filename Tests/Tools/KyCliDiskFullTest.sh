#!/usr/bin/env bash
# A really full disk: kycamera demo on a 300 KiB tmpfs stops the recording when the file stops
# growing, files what was written (still playable), says so in one line and ends with 5. The
# shell on a full disk says the same of its recording, reports the picture it cannot write
# whole, and ends with 5.
# Needs a private mount (root, or a user namespace); without one the test is skipped (77).
# Usage: KyCliDiskFullTest.sh KYCAMERA WORK_DIR
set -u
KYCAMERA="$1"
WORK="$2"
rm -rf "$WORK"
mkdir -p "$WORK/small"

if unshare -m true 2>/dev/null; then
    UNSHARE=(unshare -m)
elif unshare -rm true 2>/dev/null; then
    UNSHARE=(unshare -rm)
else
    echo "no private mount namespace here: skipped"
    exit 77
fi

# Everything that looks at the small disk runs inside the namespace that mounted it.
"${UNSHARE[@]}" bash -c '
    mount -t tmpfs -o size=300k tmpfs "$1" || exit 77
    cd "$1" || exit 1
    "$2" demo --media media >"$3/out.txt" 2>"$3/err.txt"
    echo $? >"$3/rc.txt"
    ls media >"$3/files.txt"
    for f in media/*.avi; do
        [ -e "$f" ] && cp "$f" "$3/filed.avi"
    done
    rm -rf media
    printf "dir shell\nmode camera video\nstart\nwait 8\nstop\nmode camera picture\nstart\n" |
        "$2" shell >"$3/shell-out.txt" 2>"$3/shell-err.txt"
    echo $? >"$3/shell-rc.txt"
    exit 0
' _ "$WORK/small" "$KYCAMERA" "$WORK"
status=$?
[ $status -eq 77 ] && { echo "cannot mount a tmpfs here: skipped"; exit 77; }

fail() {
    echo "FAILED: $*"
    echo "--- out"; cat "$WORK/out.txt"
    echo "--- err"; cat "$WORK/err.txt"
    echo "--- files"; cat "$WORK/files.txt"
    exit 1
}

[ "$(cat "$WORK/rc.txt")" = 5 ] || fail "exit code $(cat "$WORK/rc.txt"), expected 5"
[ "$(wc -l <"$WORK/err.txt")" -eq 1 ] || fail "expected exactly one error line"
grep -q '^kycamera: .*disk full?' "$WORK/err.txt" || fail "the error line does not name a full disk"
[ -f "$WORK/filed.avi" ] || fail "no video was filed"
grep -qE '^[0-9]{8}-[0-9]{6}\.avi$' "$WORK/files.txt" || fail "the filed video has no time-stamped name"
grep -q '~video.avi' "$WORK/files.txt" && fail "the temporary video was left behind"
if command -v ffprobe >/dev/null; then
    frames=$(ffprobe -v quiet -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of default=nw=1:nk=1 "$WORK/filed.avi")
    [ "${frames:-0}" -ge 5 ] || fail "the filed video holds ${frames:-no} frames"
fi
[ "$(cat "$WORK/shell-rc.txt")" = 5 ] || fail "shell exit code $(cat "$WORK/shell-rc.txt"), expected 5"
grep -q '^kycamera: line 4: the video file stopped growing after .*(disk full?); what was written is filed as .*\.avi$' \
    "$WORK/shell-err.txt" || fail "the shell does not report the full disk during its recording"
grep -q '^kycamera: line 7: .*disk full?' "$WORK/shell-err.txt" ||
    fail "the shell does not report the picture it could not write"
echo "passed: $(cat "$WORK/err.txt") / $(cat "$WORK/shell-err.txt")"
