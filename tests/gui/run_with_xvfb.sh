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
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/displayfd" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
if ! read -r -t 30 display <"$tmp/displayfd"; then
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
