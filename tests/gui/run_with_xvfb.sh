#!/usr/bin/env bash
# run_with_xvfb.sh [--dbus] COMMAND...: runs COMMAND (with --dbus inside a D-Bus
# session of its own, which the accessibility bus needs) on an X server of its
# own (Xvfb, 1280x1024x24) that picks a free display itself, so tests can run
# in parallel. The exit status is the command's.
set -uo pipefail
run=()
[ "${1:-}" = "--dbus" ] && { run=(dbus-run-session --); shift; }
command -v Xvfb >/dev/null || { echo "run_with_xvfb: Xvfb is not installed (Debian package xvfb)" >&2; exit 1; }
tmp="$(mktemp -d)"
xvfb_pid=""
stop_server() { [ -n "$xvfb_pid" ] && { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2>/dev/null; xvfb_pid=""; }
trap 'stop_server; rm -rf "$tmp"' EXIT
mkfifo "$tmp/displayfd"
# Under load a display number can be lost to a server started at the same
# moment: a server that does not answer is replaced (three tries). -noreset: a
# server otherwise resets when its last client (the readiness probe) leaves,
# and a program that connects during the reset fails to open the display.
for try in 1 2 3; do
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/displayfd" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    if read -r -t 30 display <"$tmp/displayfd"; then
        for _ in $(seq 50); do
            DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1 && break 2
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    stop_server
    [ "$try" = 3 ] && { echo "run_with_xvfb: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
done
export DISPLAY=":$display" GDK_BACKEND=x11
unset WAYLAND_DISPLAY
"${run[@]}" "$@"
