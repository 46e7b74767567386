#!/usr/bin/env bash
# voxlet_exe_smoke.sh PACKAGE WINE_RUN PREFIX [SCREENSHOT], inside run_with_xvfb.sh:
# voxlet.exe started under Wine (private prefix) as a double-click or the
# Start menu does shows its window, plays on a click on 再生 through waveOut
# into an ALSA file sink that grows, ends on Esc and saves the volume. From
# the zip (PACKAGE *.zip) the settings stay beside voxlet.exe; from the
# installer (*.msi, installed quietly and started through its shortcut) they
# go to %APPDATA%\Voxlet\, the demo set is the zip's (beside the installer),
# and uninstalling leaves nothing but them.
set -uo pipefail
package=$1 wine_run=$2 prefix=$3 screenshot=${4:-}
title="ティコボイスプレイヤー"
tmp="$(mktemp -d)"
pid=""
# After a failed run no voxlet.exe may outlive it in the prefix.
trap '[ -n "$pid" ] && { "$wine_run" "$prefix" taskkill /f /im voxlet.exe; kill "$pid"; } >/dev/null 2>&1
      rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# poll N COMMAND...: runs COMMAND every 0.1 s until it succeeds, at most N times.
poll() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }
windows() { echo "Z:${1//\//\\}"; }

if [[ "$package" == *.msi ]]; then
    # Wine's user folders (the prefix is made by its first program).
    "$wine_run" "$prefix" cmd /c exit >/dev/null 2>&1
    user="$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)"
    installed="$user/AppData/Local/Programs/Voxlet"
    app="$installed/bin"
    ini="$user/AppData/Roaming/Voxlet/Voxlet.ini"
    shortcut="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Voxlet.lnk"
    rm -rf "$(dirname "$ini")"
    "$wine_run" "$prefix" msiexec /i "$(windows "$package")" /qn || fail "msiexec /i failed"
    [ -f "$app/voxlet-script.exe" ] && [ -f "$installed/LICENSE.txt" ] || fail "the installed files are incomplete"
    # The demo set as the zip beside the installer has it, names and bytes.
    (cd "$tmp" && cmake -E tar xf "${package%.msi}.zip") || fail "cannot unpack the zip beside $package"
    diff -r "$tmp/Voxlet/demo" "$installed/share/voxlet/demo" >&2 || fail "the installed demo set is not the zip's"
    [ -f "$shortcut" ] || fail "no Start-menu shortcut Voxlet"
    [ -e "$app/Voxlet.ini" ] && fail "the installer put a Voxlet.ini beside the programs"
    # (a copy, at a path without spaces, which the desktop's command line keeps whole)
    cp "$shortcut" "$tmp/voxlet.lnk"
    start=(start /wait "$(windows "$tmp/voxlet.lnk")")
else
    (cd "$tmp" && cmake -E tar xf "$package") || fail "cannot unpack $package"
    app="$tmp/Voxlet"
    ini="$app/Voxlet.ini"
    [ -f "$app/voxlet.exe" ] || fail "no Voxlet/voxlet.exe in the zip"
    grep -q '^DEFAULT=' "$ini" && fail "the first Voxlet.ini already has a volume"
    # Texts as Notepad shows them: CR LF throughout, the guide with a BOM.
    for text in README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt Voxlet.ini tour/script.txt; do
        grep -qv $'\r$' "$app/$text" && fail "$text has a line without CR LF"
    done
    [ "$(head -c 3 "$app/README.txt")" = $'\xEF\xBB\xBF' ] || fail "README.txt has no byte-order mark"
    # Each program's version information names its own file and the licence.
    for exe in voxlet voxlet-script; do
        strings -el "$app/$exe.exe" | tr '\n' '|' | grep -q "OriginalFilename|$exe.exe|" &&
            strings -el "$app/$exe.exe" | grep -q 'MIT License' || fail "$exe.exe: no version information of its own"
    done
    # The tour runs from the zip alone.
    (cd "$app/tour" && "$wine_run" "$prefix" ../voxlet-script.exe --ini Voxlet.ini script.txt) >"$tmp/tour.txt" 2>&1
    tail -1 "$tmp/tour.txt" | grep -q '^closed' || fail "the tour did not run: $(tail -3 "$tmp/tour.txt")"
    start=(voxlet.exe)
fi

# The sound goes to a file: an ALSA configuration in a home of our own.
export HOME="$tmp/home"
mkdir -p "$HOME"
printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "wav" }\nctl.!default { type null }\n' \
    "$tmp/sink.wav" >"$HOME/.asoundrc"

# Without a window manager, a virtual desktop ends dialogs at once.
(cd "$app" && exec "$wine_run" "$prefix" explorer "/desktop=voxlet-$$,1024x900" "${start[@]}") \
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
grep -q '^DEFAULT=[0-9]' "$ini" || fail "the volume was not saved in $ini"
echo "voxlet.exe: window shown, 再生 played ($size bytes), Esc closed it, volume saved"
if [[ "$package" == *.msi ]]; then
    "$wine_run" "$prefix" msiexec /x "$(windows "$package")" /qn || fail "msiexec /x failed"
    [ -e "$installed" ] && fail "uninstalling left $(find "$installed" | head -3)"
    [ -e "$shortcut" ] && fail "uninstalling left the shortcut"
    [ -f "$ini" ] || fail "uninstalling took the user's settings"
    echo "installed, started from its shortcut, uninstalled: only $ini is left"
fi
