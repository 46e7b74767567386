#!/usr/bin/env bash
# run_scenario.sh RUNNER SCENARIO_DIR WORK_DIR [CARD_EMULATOR]
# Prepares the scenario's working folder from the shared voice set named in
# SCENARIO_DIR/base (a folder below tests/voice-sets/), overlaid with
# SCENARIO_DIR/tree, runs the script in it, and compares the transcript (plus
# a final "exit N" line) with SCENARIO_DIR/expected.
# - SCENARIO_DIR/cards names FlashAir cards, one per line: each gets its own
#   card emulator on a free loopback port; "@NAME@" in the settings file
#   becomes its address, and the address in the transcript becomes "@NAME@".
#   The working folder's path in the transcript becomes "@WORK@".
# - SCENARIO_DIR/dump lists files (relative to the working folder, or
#   "@NAME@/PATH" inside a card) whose bytes are appended to the transcript.
# - When SCENARIO_DIR/expected.ini exists, the settings file left behind must
#   equal it byte for byte.
set -uo pipefail
runner="$1"
dir="$2"
work="$3"
card_bin="${4:-}"
here="$(cd "$(dirname "$0")" && pwd)"
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
        "$card_bin" --root "$work.cards/$name" --port 0 > "$work.cards/$name.out" 2>&1 &
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

actual="$work.transcript"
(cd "$work" && "$runner" --ini "$work/Voxlet.ini" "$dir/script") > "$actual" 2>&1
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
for i in "${!cards[@]}"; do
    sed -i "s/127\.0\.0\.1:${ports[$i]}/@${cards[$i]}@/g" "$actual"
done
# The working folder's absolute path (a chosen data folder) becomes @WORK@.
sed -i "s|$work|@WORK@|g" "$actual"

status=0
if ! diff -u "$dir/expected" "$actual"; then
    echo "transcript differs from $dir/expected"
    status=1
fi
if [ -f "$dir/expected.ini" ] && ! cmp "$dir/expected.ini" "$work/Voxlet.ini"; then
    echo "settings file differs from $dir/expected.ini:"
    diff -u <(od -c "$dir/expected.ini") <(od -c "$work/Voxlet.ini" 2>/dev/null) | head -40
    status=1
fi
exit $status
