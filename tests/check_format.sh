#!/usr/bin/env bash
# check_format.sh CLANG_FORMAT SOURCE_DIR: fails when a C++ file is not
# formatted as .clang-format says.
set -euo pipefail
clang_format="$1"
cd "$2"
dirs=()
for d in platform core playback link export ui tools tests bench fuzz; do
    [ -d "$d" ] && dirs+=("$d")
done
mapfile -t files < <(find "${dirs[@]}" -name '*.cpp' -o -name '*.h' | sort)
"$clang_format" --dry-run --Werror "${files[@]}"
echo "${#files[@]} files formatted"
