#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM.exe [ARGS...]: runs a Windows program under Wine
# in the private prefix PREFIX (made on first use), Wine's own messages off.
# wine-run.sh PREFIX --warm: makes the prefix and starts its wineserver, which
#   stays, so that programs started later do not each pay for it.
# wine-run.sh PREFIX --stop: ends the prefix's wineserver and its programs.
# wine-run.sh PREFIX --drive LETTER FOLDER: makes drive LETTER: the folder.
# wine-run.sh PREFIX --alone PROGRAM.exe [ARGS...]: runs the program with the
#   prefix to itself and ends its wineserver after it, so that the next one
#   starts Wine's desktop on its own display (window tests, each with an X
#   server of its own).
set -euo pipefail
export WINEPREFIX="$(realpath -m "$1")"
shift
export WINEDEBUG=-all
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wine wineboot -i >/dev/null 2>&1
            wineserver -w
        fi
    ) 9>"$WINEPREFIX.lock"
fi
case "${1:-}" in
    --warm)
        # Wine's own services start with the first program and would keep its
        # output open (a caller reading it, as test discovery does, waits for
        # them): they are started here, away from any caller's output (their
        # messages go to PREFIX.boot, which they may keep open). Starting them
        # has been seen to fail at once, as a program start does (below): that
        # is said, counted in PREFIX.retries and tried once more.
        # Status 2: a server of the prefix is still running (one an earlier
        # program started, ending soon, or one already warmed).
        wineserver -p || [ $? -eq 2 ]
        for attempt in 1 2; do
            status=0
            wine wineboot </dev/null >"$WINEPREFIX.boot" 2>&1 || status=$?
            [ "$status" -eq 0 ] && exit 0
            echo "wine-run.sh: wineboot ended with status $status:" >&2
            cat "$WINEPREFIX.boot" >&2
            [ "$attempt" -eq 2 ] || echo "wineboot $status" >>"$WINEPREFIX.retries"
        done
        exit "$status" ;;
    --stop) exec wineserver -k ;;
    --alone)
        shift
        exec 8>"$WINEPREFIX.alone"
        flock 8
        status=0
        wine "$@" || status=$?
        wineserver -k 2>/dev/null || true
        exit $status ;;
    --drive) exec ln -sfn "$(realpath -m "$3")" "$WINEPREFIX/dosdevices/${2,,}:" ;;
esac
# A start under Wine has been seen to end at once with a failure and not a byte
# of output, before the program's first line ran (once in several hundred
# starts, never twice in a row). Such a start, and only such a start, is made
# once more, said on standard error and counted in PREFIX.retries; every other
# failure is the program's own. The output passes through as it comes.
seen="$(mktemp -d)"
trap 'rm -rf "$seen"' EXIT
start() {
    { { wine "$@"; echo $? >"$seen/status"; } 2>&1 1>&3 3>&- | tee "$seen/err" >&2; } 3>&1 |
        tee "$seen/out"
    return "$(cat "$seen/status" 2>/dev/null || echo 1)"
}
status=0
start "$@" || status=$?
if [ "$status" -ne 0 ] && [ ! -s "$seen/out" ] && [ ! -s "$seen/err" ]; then
    echo "wine-run.sh: $1 ended with status $status before any output; started again" >&2
    echo "$1 $status" >>"$WINEPREFIX.retries"
    status=0
    start "$@" || status=$?
fi
exit "$status"
