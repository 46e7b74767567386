#!/usr/bin/env bash
# check_format.sh CLANG_FORMAT SOURCE_DIR: fails when a C++ file is not
# formatted as .clang-format says.
set -euo pipefail
clang_format="$1"
cd "$2"
files=$(find platform core playback link export ui tools tests -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
"$clang_format" --dry-run --Werror $files
