#!/usr/bin/env python3
"""Fails when a toolkit-free header cannot follow <windows.h>.

Every header of the toolkit-free layers is compiled after <windows.h> with the
mingw-w64 compiler, and no identifier of those layers may be a macro that the
Windows headers define (a macro renames a function silently, namespace or not).
Exits 77 (skipped) when no mingw-w64 compiler is installed.
Usage: check_windows_names.py SOURCE_ROOT
"""
import pathlib
import re
import shutil
import subprocess
import sys

FOLDERS = ["platform", "resources", "playback/audio", "core", "link", "playback", "export",
           "ui", "tools/headless", "tools/voxlet_script"]
# Back ends of other systems, and the Windows ones, which use the Windows
# headers' macros as meant.
SKIP = ("platform/posix/", "platform/curl/", "platform/win32/", "platform/wininet/", "ui/wx/",
        "playback/sdl/")
WINDOWS_HEADERS = ["windows.h", "shlwapi.h", "commdlg.h", "commctrl.h", "mmsystem.h",
                   "wininet.h", "shellapi.h", "shlobj.h"]
# Standard C names that the Windows headers define too, used here as meant.
STANDARD = {"errno", "EIO", "EINVAL", "ENOENT", "EISDIR", "E2BIG", "EILSEQ", "ENOSPC", "EACCES",
            "EBADF", "EBUSY", "ENOMEM",
            "INT_MAX", "INT_MIN", "PATH_MAX", "EOF", "SEEK_SET", "SEEK_END", "NULL"}


def sources(root):
    for folder in FOLDERS:
        for path in sorted((root / folder).glob("**/*")):
            rel = path.relative_to(root).as_posix()
            if path.suffix in (".h", ".cpp") and not rel.startswith(SKIP):
                yield rel, path


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    compiler = shutil.which("x86_64-w64-mingw32-g++-posix") or shutil.which("x86_64-w64-mingw32-g++")
    if not compiler:
        print("skipped: no mingw-w64 C++ compiler installed")
        return 77
    prelude = "".join(f"#include <{h}>\n" for h in WINDOWS_HEADERS)
    macros = subprocess.run([compiler, "-std=c++20", "-dM", "-E", "-x", "c++", "-"], input=prelude,
                            capture_output=True, text=True, check=True).stdout
    macro_names = {line.split()[1].split("(")[0] for line in macros.splitlines()} - STANDARD
    failures = []
    headers = []
    for rel, path in sources(root):
        if rel.endswith(".h"):
            headers.append(rel)
        text = path.read_text(encoding="utf-8")
        text = re.sub(r"//[^\n]*|/\*.*?\*/|\"(\\.|[^\"\\])*\"|'(\\.|[^'\\])*'|#include[^\n]*", " ",
                      text, flags=re.S)
        for name in sorted(set(re.findall(r"\b[A-Za-z_]\w*\b", text)) & macro_names):
            failures.append(f"{rel}: {name} is a macro of the Windows headers")
    unit = prelude + "".join(f'#include "{h}"\n' for h in headers)
    result = subprocess.run([compiler, "-std=c++20", "-fsyntax-only", "-I", str(root), "-x", "c++",
                             "-"], input=unit, capture_output=True, text=True)
    if result.returncode != 0:
        failures.append("headers do not compile after <windows.h>:\n" + result.stderr[-3000:])
    print("\n".join(failures) if failures else f"{len(headers)} headers follow <windows.h> cleanly")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
