#!/usr/bin/env bash
# prepare-tree.sh SRC DEST: copies the folder SRC to DEST (emptied first) and
# turns every file named NAME.u8 (UTF-8 text with LF line ends) into NAME as
# Windows-31J text with CR LF line ends, the form catalogues and play lists
# have on the robot's side.
set -euo pipefail
src="$1"
dest="$2"
rm -rf "$dest"
mkdir -p "$dest"
if [ -d "$src" ]; then
    cp -R "$src/." "$dest/"
fi
find "$dest" -type f -name '*.u8' -print0 | while IFS= read -r -d '' f; do
    out="${f%.u8}"
    iconv -f UTF-8 -t CP932 "$f" | sed 's/$/\r/' > "$out"
    rm -f "$f"
done
