#!/usr/bin/env bash
# run_scenario.sh RUNNER SCENARIO_DIR WORK_DIR [CARD_EMULATOR]: runs the script in
# WORK_DIR (made from the voice set named in base, below tests/voice-sets/, and
# tree) and compares the transcript plus "exit N" with expected. cards: a card
# emulator per name on a free port, "@NAME@" in the settings file, the script
# and the transcript standing for its address; the requests it received follow
# (http_requests.py). portable: the runner runs from a copy of itself in
# WORK_DIR, as a double-click starts it. dump: files (in the working folder,
# or "@NAME@/PATH" in a card) whose bytes follow. expected.ini: the settings
# file left, byte for byte. expected.windows: what the Windows build's
# transcript is compared with instead, where its transport words a failure its
# own way.
# VOXLET_EMULATOR (the Windows build; space-separated words): the runner runs
# under it, [DRIVES] letters become its drives, either path separator stands for
# the other, and a scenario with posix-only (the reason) is skipped (exit 77).
# The working folder's path in the transcript becomes "@WORK@"; "@WORK@" in
# the settings file becomes that path. The runner's environment names a dead
# proxy (http_proxy, HTTP_PROXY, all_proxy).
set -uo pipefail
runner="$1" dir="$2" work="$3" card_bin="${4:-}"
here="$(cd "$(dirname "$0")" && pwd)"
read -ra emulator <<< "${VOXLET_EMULATOR:-}"
if [ ${#emulator[@]} -gt 0 ] && [ -f "$dir/posix-only" ]; then
    echo "skipped: $(cat "$dir/posix-only")"
    exit 77
fi
base=()
[ -f "$dir/base" ] && base=("$here/voice-sets/$(tr -d '[:space:]' < "$dir/base")")
bash "$here/../scripts/prepare-tree.sh" "$work" "${base[@]}" "$dir/tree" || exit 1

[ -f "$dir/portable" ] && { cp "$runner" "$work/" || exit 1; runner="$work/${runner##*/}"; }
[ -f "$work/Voxlet.ini" ] && sed -i "s|@WORK@|$work|g" "$work/Voxlet.ini"

cards=() pids=() masks="" unmasks=""
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done' EXIT
if [ -f "$dir/cards" ]; then
    [ -x "$card_bin" ] || { echo "scenario needs the card emulator"; exit 1; }
    rm -rf "$work.cards"
    while read -r name; do
        [ -n "$name" ] || continue
        mkdir -p "$work.cards/$name"
        "$card_bin" --root "$work.cards/$name" --port 0 --log "$work.cards/$name.log" \
            > "$work.cards/$name.out" 2>&1 &
        pids+=($!)
        for _ in $(seq 100); do
            port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work.cards/$name.out" | head -1)
            [ -n "$port" ] && break
            sleep 0.05
        done
        [ -n "$port" ] || { echo "card $name did not start"; exit 1; }
        cards+=("$name")
        masks+="s/127\.0\.0\.1:$port/@$name@/g; "
        unmasks+="s/@$name@/127.0.0.1:$port/g; "
        [ -f "$work/Voxlet.ini" ] && sed -i "s/@$name@/127.0.0.1:$port/g" "$work/Voxlet.ini"
    done < "$dir/cards"
fi

if [ ${#emulator[@]} -gt 0 ] && [ -f "$work/Voxlet.ini" ]; then
    sed -n '/^\[DRIVES\]/,/^\[/s/^\([A-Za-z]\)=\(.*\)\r*$/\1 \2/p' "$work/Voxlet.ini" |
        while read -r letter folder; do
            "${emulator[@]}" --drive "$letter" "$work/$folder" || exit 1
        done || exit 1
fi

script="$dir/script"
if [ -n "$unmasks" ]; then
    script="$work.script"
    sed "$unmasks" "$dir/script" > "$script" || exit 1
fi
actual="$work.transcript"
# A proxy in the environment that would take every request is never used: the
# cards are reached directly.
proxy=http://127.0.0.1:9
(cd "$work" && env -u no_proxy -u NO_PROXY http_proxy=$proxy HTTP_PROXY=$proxy all_proxy=$proxy \
    "${emulator[@]}" "$runner" --ini "$work/Voxlet.ini" "$script") > "$actual" 2>&1
echo "exit $?" >> "$actual"
[ -f "$dir/dump" ] && while read -r file; do
    [ -n "$file" ] || continue
    path="$work/$file"
    [[ "$file" =~ ^@([^@]*)@/(.*)$ ]] && path="$work.cards/${BASH_REMATCH[1]}/${BASH_REMATCH[2]}"
    bytes=missing
    [ -f "$path" ] && bytes="$(od -An -tx1 -v "$path" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')"
    echo "file $file: $bytes" >> "$actual"
done < "$dir/dump"
for name in "${cards[@]}"; do
    python3 "$here/http_requests.py" "@$name@" "$work.cards/$name.log" >> "$actual"
done

expected="$dir/expected"
if [ ${#emulator[@]} -gt 0 ]; then
    expected="$work.expected"
    windows="$dir/expected"
    [ -f "$dir/expected.windows" ] && windows="$dir/expected.windows"
    sed 's|\\|/|g' "$windows" > "$expected"
    sed -i 's|\\|/|g' "$actual"
fi
# Wine shows the working folder on its drive Z:.
sed -i "${masks}s|Z:$work|@WORK@|g; s|$work|@WORK@|g" "$actual"
status=0
diff -u "$expected" "$actual" || { echo "transcript differs from $dir/expected"; status=1; }
if [ -f "$dir/expected.ini" ] && ! cmp "$dir/expected.ini" "$work/Voxlet.ini"; then
    echo "settings file differs from $dir/expected.ini:"
    diff -u <(od -c "$dir/expected.ini") <(od -c "$work/Voxlet.ini" 2>/dev/null) | head -40
    status=1
fi
exit $status
