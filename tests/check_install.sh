#!/usr/bin/env bash
# check_install.sh CPACK BUILD_DIR WORK_DIR LICENSE PROGRAM...: CPack's Debian
# package of the build, unpacked below WORK_DIR, holds every installed file, a
# machine-readable copyright file with LICENSE's text and a changelog of its
# version; its description fits 80 columns; the validators and lintian accept
# it; its voxlet-script, run in a folder without voice data, plays from its demo
# set and writes nothing into it. 77 (skipped) without a validator.
set -uo pipefail
cpack="$1" build="$2" work="$3" licence="$4"
shift 4
rm -rf "$work"
mkdir -p "$work/empty"
prefix="$work/root/usr"
share="$prefix/share"
fail() { echo "FAIL: $*"; exit 1; }
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || fail "$(cat "$work/cpack.log")"
deb="$(ls "$work"/voxlet_*.deb)" && dpkg-deb -x "$deb" "$work/root" || fail "no package"

expected=(applications/voxlet.desktop metainfo/org.example.Voxlet.metainfo.xml
          icons/hicolor/scalable/apps/voxlet.svg icons/hicolor/{16x16,32x32,48x48,256x256}/apps/voxlet.png
          voxlet/demo/Ninshiki.csv voxlet/demo/Voxlet-demo.ini voxlet/demo/programs/greetings.TM4)
for program in "$@"; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
    expected+=("man/man1/$program.1.gz")
done
for file in "${expected[@]}"; do
    [ -s "$share/$file" ] || fail "share/$file missing"
done

touch "$work/before"
printf 'state\nclose\n' >"$work/script"
(cd "$work/empty" && "$prefix/bin/voxlet-script" --ini "$work/Voxlet.ini" "$work/script") \
    >"$work/transcript" 2>"$work/stderr" || fail "voxlet-script: $(tail -n 3 "$work/transcript") $(cat "$work/stderr")"
grep -q "using the demo voice set in $share/voxlet/demo" "$work/stderr" || fail "demo set not entered"
grep -q '"おはよう"' "$work/transcript" || fail "demo catalogue not listed: $(cat "$work/transcript")"
written="$(find "$prefix" "$work/empty" -newer "$work/before")"
[ -z "$written" ] || fail "written into the install or the current folder: $written"

missing=()
validate() { # validate TOOL ARG...: fails when TOOL refuses the file, notes it when not installed
    if command -v "$1" >/dev/null; then "$@" || fail "$1"; else missing+=("$1"); fi
}
copyright="$share/doc/voxlet/copyright"
[ "$(head -n 1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] || fail "copyright format"
diff <(tail -n +5 "$licence") <(sed -n '/^License: Expat$/,$p' "$copyright" | tail -n +2 | sed 's/^ //; s/^\.$//') ||
    fail "copyright: the licence text differs from LICENSE"
[ "$(zcat "${copyright%/*}/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)" = "$(dpkg-deb -f "$deb" Version)" ] || fail "changelog"
dpkg-deb -f "$deb" Description | awk 'length > 80 { print; long = 1 } END { exit long }' || fail "description too wide"

validate desktop-file-validate "$share/applications/voxlet.desktop"
validate appstreamcli validate --no-net "$share/metainfo/org.example.Voxlet.metainfo.xml"
validate lintian --fail-on error,warning "$deb"
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: ${missing[*]} not installed (scripts/deps.sh test installs them); files checked"
    exit 77
fi
echo "$(basename "$deb"), $(stat -c %s "$deb") bytes: files present and valid"
