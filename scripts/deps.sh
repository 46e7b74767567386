#!/usr/bin/env bash
# deps.sh [test] [package]: installs the Debian packages that building Voxlet
# needs, when they are missing; `test` adds what only the tests need, `package`
# what building the Debian package needs. Uses sudo when not run as root.
set -euo pipefail

# What building the programs and the demo set needs.
packages=(build-essential cmake ninja-build pkg-config
          libsdl2-dev libcurl4-openssl-dev
          # the demo voice set's speech (without it the clips are tones)
          espeak-ng
          # the window (wxWidgets on GTK 3) and Japanese text in it
          libwxgtk3.2-dev libgtk-3-dev fonts-noto-cjk
          # the Japanese locale the toolkit's own texts are read in, and the C
          # library's own texts (a failed write's reason) in Japanese
          locales-all libc-l10n)
for extra in "$@"; do
    case "$extra" in
        # the unit tests, the formatting check, WAV files for the SDL tests;
        # GUI tests: a virtual X server, screenshots, X input and the
        # accessibility bus for the end-to-end test; the install and package
        # tests' validators, lintian and CPack's DEB generator; the Windows
        # build (cmake/mingw-w64.cmake), the check that every toolkit-free
        # header can follow <windows.h>, wixl and msitools for its installer
        # and Wine (64-bit) to run its tests;
        # clang and its libFuzzer runtime for the fuzz run
        test) packages+=(libgtest-dev clang-format sox
                         xvfb xauth xdotool imagemagick at-spi2-core python3-pyatspi dbus-x11
                         desktop-file-utils appstream lintian dpkg-dev file
                         g++-mingw-w64-x86-64-posix wine wine64 wixl msitools clang libclang-rt-dev) ;;
        # CPack's DEB generator: dpkg-shlibdeps and file
        package) packages+=(dpkg-dev file) ;;
        *) echo "deps.sh: unknown group $extra" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
