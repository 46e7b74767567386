#!/usr/bin/env bash
# run_scenario.sh RUNNER SCENARIO_DIR WORK_DIR [CARD_EMULATOR]
# Prepares the scenario's working folder from the shared voice set named in
# SCENARIO_DIR/base (a folder below tests/voice-sets/), overlaid with
# SCENARIO_DIR/tree, runs the script in it, and compares the transcript (plus
# a final "exit N" line) with SCENARIO_DIR/expected.
# - SCENARIO_DIR/cards names FlashAir cards, one per line: each gets its own
#   card emulator on a free loopback port; "@NAME@" in the settings file
#   becomes its address, and the address in the transcript becomes "@NAME@";
#   the requests each card received follow the transcript (http_requests.py).
#   The working folder's path in the transcript becomes "@WORK@".
# - SCENARIO_DIR/dump lists files (relative to the working folder, or
#   "@NAME@/PATH" inside a card) whose bytes are appended to the transcript.
# - When SCENARIO_DIR/expected.ini exists, the settings file left behind must
#   equal it byte for byte.
# - With VOXLET_EMULATOR set (the Windows build: wine-run.sh and its prefix,
#   words separated by spaces), the runner runs under it, the settings file's
#   [DRIVES] letters become the emulator's drives, and the transcript is
#   compared with either path separator standing for the other; a scenario
#   with a SCENARIO_DIR/posix-only file (the reason) is skipped (exit 77).
set -uo pipefail
runner="$1"
dir="$2"
work="$3"
card_bin="${4:-}"
here="$(cd "$(dirname "$0")" && pwd)"
read -ra emulator <<< "${VOXLET_EMULATOR:-}"
if [ ${#emulator[@]} -gt 0 ] && [ -f "$dir/posix-only" ]; then
    echo "skipped: $(cat "$dir/posix-only")"
    exit 77
fi
sources=()
if [ -f "$dir/base" ]; then
    sources+=("$here/voice-sets/$(tr -d '[:space:]' < "$dir/base")")
fi
sources+=("$dir/tree")
bash "$here/../scripts/prepare-tree.sh" "$work" "${sources[@]}" || exit 1

cards=()
pids=()
ports=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
}
trap cleanup EXIT
if [ -f "$dir/cards" ]; then
    [ -x "$card_bin" ] || { echo "scenario needs the card emulator"; exit 1; }
    rm -rf "$work.cards"
    while read -r name; do
        [ -n "$name" ] || continue
        mkdir -p "$work.cards/$name"
        "$card_bin" --root "$work.cards/$name" --port 0 --log "$work.cards/$name.log" \
            > "$work.cards/$name.out" 2>&1 &
        pids+=($!)
        port=""
        for _ in $(seq 100); do
            port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work.cards/$name.out" | head -1)
            [ -n "$port" ] && break
            sleep 0.05
        done
        [ -n "$port" ] || { echo "card $name did not start"; exit 1; }
        cards+=("$name")
        ports+=("$port")
        [ -f "$work/Voxlet.ini" ] && sed -i "s/@$name@/127.0.0.1:$port/g" "$work/Voxlet.ini"
    done < "$dir/cards"
fi

if [ ${#emulator[@]} -gt 0 ] && [ -f "$work/Voxlet.ini" ]; then
    sed -n '/^\[DRIVES\]/,/^\[/s/^\([A-Za-z]\)=\(.*\)\r*$/\1 \2/p' "$work/Voxlet.ini" |
        while read -r letter folder; do
            "${emulator[@]}" --drive "$letter" "$work/$folder" || exit 1
        done
fi

actual="$work.transcript"
(cd "$work" && "${emulator[@]}" "$runner" --ini "$work/Voxlet.ini" "$dir/script") > "$actual" 2>&1
echo "exit $?" >> "$actual"
if [ -f "$dir/dump" ]; then
    while read -r file; do
        [ -n "$file" ] || continue
        path="$work/$file"
        case "$file" in
            @*@/*) name="${file#@}"; name="${name%%@*}"; path="$work.cards/$name/${file#@*@/}" ;;
        esac
        if [ -f "$path" ]; then
            echo "file $file: $(od -An -tx1 -v "$path" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')" >> "$actual"
        else
            echo "file $file: missing" >> "$actual"
        fi
    done < "$dir/dump"
fi
for name in "${cards[@]}"; do
    python3 "$here/http_requests.py" "@$name@" "$work.cards/$name.log" >> "$actual"
done
for i in "${!cards[@]}"; do
    sed -i "s/127\.0\.0\.1:${ports[$i]}/@${cards[$i]}@/g" "$actual"
done
# The working folder's absolute path (a chosen data folder) becomes @WORK@.
sed -i "s|$work|@WORK@|g" "$actual"

expected="$dir/expected"
if [ ${#emulator[@]} -gt 0 ]; then
    expected="$work.expected"
    sed 's|\\|/|g' "$dir/expected" > "$expected"
    sed -i 's|\\|/|g' "$actual"
    # Wine shows the working folder on its drive Z:.
    sed -i "s|Z:$work|@WORK@|g" "$actual"
fi
status=0
if ! diff -u "$expected" "$actual"; then
    echo "transcript differs from $dir/expected"
    status=1
fi
if [ -f "$dir/expected.ini" ] && ! cmp "$dir/expected.ini" "$work/Voxlet.ini"; then
    echo "settings file differs from $dir/expected.ini:"
    diff -u <(od -c "$dir/expected.ini") <(od -c "$work/Voxlet.ini" 2>/dev/null) | head -40
    status=1
fi
exit $status
