#!/usr/bin/env bash
# prepare-tree.sh DEST SRC...: empties DEST, copies each SRC folder into it in
# turn (later ones overlay earlier ones), and turns every file named NAME.u8
# (UTF-8 text with LF line ends) into NAME as Windows-31J text with CR LF line
# ends, the form catalogues and play lists have on the robot's side.
set -euo pipefail
dest="$1"
shift
rm -rf "$dest"
mkdir -p "$dest"
for src in "$@"; do
    if [ -d "$src" ]; then
        cp -R "$src/." "$dest/"
    fi
done
find "$dest" -type f -name '*.u8' -print0 | while IFS= read -r -d '' f; do
    out="${f%.u8}"
    iconv -f UTF-8 -t CP932 "$f" | sed 's/$/\r/' > "$out"
    rm -f "$f"
done
