#!/usr/bin/env bash
# A recording and the signals that end kycamera: SIGTERM and SIGHUP file it like Ctrl-C (exit
# 128 + the signal); after kill -9 the next run recovers the leftover into a playable video with
# every frame the leftover holds, and says so.
# Usage: KyCliSignalsTest.sh KYCAMERA WORK_DIR
set -u
KYCAMERA="$1"
WORK="$2"
RATE=18  # frames a second the component records
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1

fail() {
    echo "FAILED: $*"
    for f in "$WORK"/*.out "$WORK"/*.err; do
        echo "--- $f"
        cat "$f"
    done
    exit 1
}

# Starts a recording into DIR in the background; PID is the shell's process. The script waits
# in `wait`, or with "read", the shell waits for its next line from a pipe that stays open.
record() {
    if [ "${2:-}" = read ]; then
        rm -f "$1.fifo"
        mkfifo "$1.fifo"
        "$KYCAMERA" shell <"$1.fifo" >"$1.out" 2>"$1.err" &
        PID=$!
        exec 3>"$1.fifo"
        printf 'dir %s\nmode camera video\nstart\n' "$1" >&3
    else
        printf 'dir %s\nmode camera video\nstart\nwait 60\nstop\n' "$1" |
            "$KYCAMERA" shell >"$1.out" 2>"$1.err" &
        PID=$!
    fi
}

# Waits (at most 20 s) until the recording's file exists and has grown for SECONDS more.
wait_recording() {
    local n=0
    until [ -s "$1/~video.avi" ]; do
        n=$((n + 1))
        [ $n -le 200 ] || fail "no recording in $1 after 20 s"
        sleep 0.1
    done
    sleep "$2"
}

frames() {
    ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of default=nw=1:nk=1 "$1"
}

# SIGTERM during a wait, SIGHUP while the shell waits for input: the recording is stopped,
# filed and named; no temporary file stays.
for signal in TERM HUP; do
    record "$signal" "$([ "$signal" = HUP ] && echo read)"
    wait_recording "$signal" 1.5
    kill -"$signal" "$PID"
    wait "$PID"
    rc=$?
    [ "$signal" = HUP ] && exec 3>&-
    expected=$([ "$signal" = TERM ] && echo 143 || echo 129)
    [ $rc -eq "$expected" ] || fail "SIG$signal: exit code $rc, expected $expected"
    grep -q "^kycamera: interrupted by SIG$signal; the recording so far is stopped and filed" \
        "$signal.err" || fail "SIG$signal is not reported"
    filed=$(ls "$signal")
    echo "$filed" | grep -qE '^[0-9]{8}-[0-9]{6}\.avi$' || fail "SIG$signal left: $filed"
    grep -q "stop: true, filed .*$filed" "$signal.out" || fail "SIG$signal: no filing answer"
done

# kill -9: the leftover stays; the next run recovers it before anything can delete it.
record killed
wait_recording killed 4
kill -9 "$PID"
wait "$PID" 2>/dev/null
[ -f "killed/~video.avi" ] || fail "kill -9 left no ~video.avi"
cp "killed/~video.avi" leftover.avi
printf 'dir killed\nlist\n' | "$KYCAMERA" shell >recover.out 2>recover.err
rc=$?
[ $rc -eq 0 ] || fail "the recovering run ended with $rc"
[ -e "killed/~video.avi" ] && fail "the leftover is still there after the recovery"
recovered=$(ls killed)
echo "$recovered" | grep -qE '^[0-9]{8}-[0-9]{6}\.avi$' || fail "recovered into: $recovered"
grep -qE "^recovered $recovered: [0-9]+ frames from an interrupted recording$" recover.out ||
    fail "the recovery is not reported"
grep -q "dir .*: true, 1 video" recover.out || fail "the recovered video is not in the catalogue"
if command -v ffprobe >/dev/null; then
    before=$(frames leftover.avi)
    after=$(frames "killed/$recovered") || fail "ffprobe cannot read the recovered video"
    # Killed after more than 4 s: all but the last second is on disk (a second of slack for a
    # busy machine).
    [ "${before:-0}" -ge $((2 * RATE)) ] || fail "the leftover holds ${before:-no} frames"
    [ "${after:-0}" -ge "${before:-0}" ] || fail "recovered ${after:-no} of ${before} frames"
    echo "leftover $before frames, recovered $after"
fi
echo "passed"
