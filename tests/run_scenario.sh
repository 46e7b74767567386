#!/usr/bin/env bash
# run_scenario.sh RUNNER SCENARIO_DIR WORK_DIR
# Prepares the scenario's working folder from the shared voice set named in
# SCENARIO_DIR/base (a folder below tests/voice-sets/), overlaid with
# SCENARIO_DIR/tree, runs the
# script in it, and compares the transcript (plus a final "exit N" line) with
# SCENARIO_DIR/expected; when SCENARIO_DIR/expected.ini exists, the settings
# file left behind must equal it byte for byte.
set -uo pipefail
runner="$1"
dir="$2"
work="$3"
here="$(cd "$(dirname "$0")" && pwd)"
sources=()
if [ -f "$dir/base" ]; then
    sources+=("$here/voice-sets/$(tr -d '[:space:]' < "$dir/base")")
fi
sources+=("$dir/tree")
bash "$here/../scripts/prepare-tree.sh" "$work" "${sources[@]}" || exit 1
actual="$work.transcript"
(cd "$work" && "$runner" --ini "$work/Voxlet.ini" "$dir/script") > "$actual" 2>&1
echo "exit $?" >> "$actual"
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
