#!/usr/bin/env bash
# voxlet_exe_smoke.sh ZIP WINE_RUN PREFIX [SCREENSHOT], inside run_with_xvfb.sh:
# the zip's voxlet.exe started under Wine (private prefix) as a double-click
# does shows its window, plays on a click on 再生 through waveOut into an ALSA
# file sink that grows, ends on Esc and saves the volume beside voxlet.exe.
set -uo pipefail
zip=$1 wine_run=$2 prefix=$3 screenshot=${4:-}
title="ティコボイスプレイヤー"
tmp="$(mktemp -d)"
pid=""
# After a failed run no voxlet.exe may outlive it in the prefix.
trap '[ -n "$pid" ] && { "$wine_run" "$prefix" taskkill /f /im voxlet.exe; kill "$pid"; } >/dev/null 2>&1
      rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# poll N COMMAND...: runs COMMAND every 0.1 s until it succeeds, at most N times.
poll() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }

(cd "$tmp" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
app="$tmp/Voxlet"
[ -f "$app/voxlet.exe" ] || fail "no Voxlet/voxlet.exe in the zip"
grep -q '^DEFAULT=' "$app/Voxlet.ini" && fail "the first Voxlet.ini already has a volume"

# The sound goes to a file: an ALSA configuration in a home of our own.
export HOME="$tmp/home"
mkdir -p "$HOME"
printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "wav" }\nctl.!default { type null }\n' \
    "$tmp/sink.wav" >"$HOME/.asoundrc"

# Without a window manager, a virtual desktop ends dialogs at once.
(cd "$app" && exec "$wine_run" "$prefix" explorer "/desktop=voxlet-$$,1024x900" voxlet.exe) \
    >"$tmp/wine.log" 2>&1 &
pid=$!
shown() { win="$(xdotool search --name "^$title\$" 2>/dev/null | head -1)"; [ -n "$win" ]; }
poll 600 shown || fail "no window titled $title"

# 再生 (button 3) sits at 220,43 50x20 of the 286x374 dialog units; the
# window's frame is a few pixels wide with a caption of about 20.
eval "$(xdotool getwindowgeometry --shell "$win")"
x=$((3 + (220 + 25) * (WIDTH - 6) / 286))
y=$((22 + (43 + 10) * (HEIGHT - 25) / 374))
# The window can exist before the dialog takes clicks: clicked again until it
# plays (playing again does no harm).
played() { size=$(stat -c %s "$tmp/sink.wav" 2>/dev/null || echo 0); [ "$size" -gt 1000 ]; }
for _ in $(seq 6); do
    xdotool mousemove --window "$win" "$x" "$y" click 1
    poll 30 played && break
done
played || fail "no samples reached the sound sink after a click on 再生"

[ -n "$screenshot" ] && { mkdir -p "$(dirname "$screenshot")"; import -window root "$screenshot" 2>/dev/null; }
xdotool key Escape
ended() { ! kill -0 "$pid" 2>/dev/null; }
poll 200 ended || fail "Esc did not end the program"
pid=""
grep -q '^DEFAULT=[0-9]' "$app/Voxlet.ini" || fail "the volume was not saved in Voxlet.ini"
echo "voxlet.exe: window shown, 再生 played ($size bytes), Esc closed it, volume saved"
