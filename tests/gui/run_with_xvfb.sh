#!/usr/bin/env bash
# run_with_xvfb.sh [--dbus] COMMAND...: runs COMMAND with DISPLAY set to an X
# server of its own (Xvfb, 1280x1024, 24-bit). The server picks a free display
# number itself (-displayfd), so tests can run in parallel. With --dbus the
# command runs inside a D-Bus session of its own (dbus-run-session), which the
# accessibility bus needs. The exit status is the command's.
set -uo pipefail
dbus=0
if [ "${1:-}" = "--dbus" ]; then
    dbus=1
    shift
fi
if ! command -v Xvfb >/dev/null; then
    echo "run_with_xvfb: Xvfb is not installed (Debian package xvfb)" >&2
    exit 1
fi
tmp="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
mkfifo "$tmp/displayfd"
# Starts a server and waits until it answers; under load a display number can
# be lost to a server started at the same moment, so a server that does not
# answer is replaced (three tries).
start_server() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/displayfd" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    read -r -t 30 display <"$tmp/displayfd" || return 1
    for _ in $(seq 50); do
        DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        kill -0 "$xvfb_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
started=0
for _ in 1 2 3; do
    if start_server; then
        started=1
        break
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
done
if [ "$started" != 1 ]; then
    echo "run_with_xvfb: Xvfb did not start" >&2
    cat "$tmp/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
export GDK_BACKEND=x11
if [ "$dbus" = 1 ]; then
    dbus-run-session -- "$@"
else
    "$@"
fi
