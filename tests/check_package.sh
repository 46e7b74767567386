#!/usr/bin/env bash
# check_package.sh CPACK BUILD_DIR WORK_DIR LICENSE: the Debian package that
# CPack makes from the build holds the copyright file in Debian's
# machine-readable format with the licence's text and a changelog.Debian.gz
# whose entry is the package's version; its description lines fit 80 columns;
# lintian reports no error and no warning. Exits 77 (skipped) when lintian is
# not installed, after every other check passed.
set -uo pipefail
cpack="$1" build="$2" work="$3" licence="$4"
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/voxlet_*.deb)" || fail "no package made"
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
doc="$work/root/usr/share/doc/voxlet"

[ "$(head -n 1 "$doc/copyright")" = \
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "copyright: not the machine-readable format"
# The licence paragraph read back as plain text is LICENSE after its title and
# copyright line.
sed -n '/^License: Expat$/,$p' "$doc/copyright" | tail -n +2 | sed 's/^ //; s/^\.$//' >"$work/licence"
diff <(tail -n +5 "$licence") "$work/licence" || fail "copyright: the licence text differs from LICENSE"
grep -qx "Copyright: 2026 Voxlet developers" "$doc/copyright" || fail "copyright: no copyright line"

version="$(dpkg-deb -f "$deb" Version)"
logged="$(zcat "$doc/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)" ||
    fail "changelog.Debian.gz unreadable"
[ "$logged" = "$version" ] || fail "changelog version $logged, package $version"

long="$(dpkg-deb -f "$deb" Description | awk 'length > 80')"
[ -z "$long" ] || fail "description lines over 80 columns: $long"

if ! command -v lintian >/dev/null; then
    echo "SKIPPED: lintian not installed (scripts/deps.sh test installs it); package checked"
    exit 77
fi
lintian --fail-on error,warning "$deb" || fail "lintian"
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes, lintian clean"
