#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM.exe [ARGS...]: runs a Windows program under Wine
# in the private prefix PREFIX (made on first use), Wine's own messages off.
# wine-run.sh PREFIX --warm: makes the prefix and starts its wineserver, which
#   stays, so that programs started later do not each pay for it.
# wine-run.sh PREFIX --stop: ends the prefix's wineserver and its programs.
# wine-run.sh PREFIX --drive LETTER FOLDER: makes drive LETTER: the folder.
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
    # The first program of a session starts Wine's own services, which keep
    # its standard streams open while they run: they get /dev/null here.
    --warm) wineserver -p && exec wine wineboot </dev/null >/dev/null 2>&1 ;;
    --stop) exec wineserver -k ;;
    --drive) exec ln -sfn "$(realpath -m "$3")" "$WINEPREFIX/dosdevices/${2,,}:" ;;
esac
# The program's output goes through files: a Wine helper process that the
# program starts inherits them and may outlive it, and must not keep the
# caller's pipe open.
out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$@" </dev/null >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
exit $status
