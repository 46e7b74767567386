#!/usr/bin/env python3
"""check_sources.py layers|windows_names SOURCE_ROOT. layers: no source includes a
header of a layer it may not use, nor a back end's system header outside the folder
of that back end. windows_names: the toolkit-free headers compile after <windows.h>
(mingw-w64; exits 77 without it) and name no macro of the Windows headers (a macro
renames a function silently, namespace or not).
"""
import pathlib
import re
import shutil
import subprocess
import sys

# Each layer: the paths it holds (folders, or files named without their
# extension) and the layers it may include. A path's layer is that of its
# longest matching path. The layers follow the libraries (cmake/Layers.cmake);
# "types" are the core's header-only types (what a program gives the player,
# the player's state, the dialog's ids), which the robot link's protocol, below
# the player, uses too.
LAYERS = {name: (paths.split(), uses.split()) for name, (paths, uses) in {
    "platform": ("platform", ""),
    "curl": ("platform/curl", "platform"),
    "wininet": ("platform/wininet", "platform"),
    "resources": ("resources", "platform"),
    "audio": ("playback/audio", "platform resources"),
    "sdl": ("playback/sdl", "platform audio"),
    "winmm": ("playback/winmm", "platform audio"),
    "types": ("core/services core/player_state core/main_dialog core/voice_entry",
              "platform resources audio"),
    "link": ("link/remote_command link/flashair_client link/card_files", "platform resources audio types"),
    # The player: its members in core/, playback/ and link/.
    "player": ("core playback link", "platform resources audio types link"),
    "export": ("export", "platform resources audio types link player"),
    "ui": ("ui", "platform resources audio types link player export"),
    "wx": ("ui/wx", "platform resources curl audio sdl types link player export ui"),
    "win32": ("ui/win32", "platform resources audio winmm types link player export ui"),
    # Tools (the headless host among them) may use every layer; no layer uses them.
    "tools": ("tools", "platform resources curl audio sdl types link player export ui wx"),
}.items()}
# A back end's system headers (by prefix) and the one layer that may include them.
BACKENDS = {"curl/": "curl", "wininet.h": "wininet"}
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)')

# The toolkit-free layers, without the back ends of other systems and the
# Windows ones, which use the Windows headers' macros as meant.
PORTABLE = ("platform/", "resources/", "core/", "link/", "playback/", "export/", "ui/",
            "tools/headless/", "tools/voxlet_script/")
BACKEND_FOLDERS = ("platform/posix/", "platform/curl/", "platform/win32/", "platform/wininet/",
                   "ui/wx/", "ui/win32/", "playback/sdl/", "playback/winmm/")
WINDOWS_HEADERS = ["windows.h", "shlwapi.h", "commdlg.h", "commctrl.h", "mmsystem.h",
                   "wininet.h", "shellapi.h", "shlobj.h"]
# Standard C names that the Windows headers define too, used here as meant.
STANDARD = set("errno EIO EINVAL ENOENT EISDIR E2BIG EILSEQ ENOSPC EACCES EBADF EBUSY ENOMEM "
               "INT_MAX INT_MIN PATH_MAX EOF SEEK_SET SEEK_END NULL".split())


def sources(root):
    for path in sorted(root.glob("**/*")):
        rel = path.relative_to(root).as_posix()
        if path.suffix in (".cpp", ".h") and "build" not in rel.split("/")[0]:
            yield rel, path.read_text(encoding="utf-8")


def layer_of(path):
    held = [(len(p), name) for name, (paths, _) in LAYERS.items() for p in paths
            if path == p or path.startswith((p + "/", p + "."))]
    return max(held, default=(0, None))[1]


def layers(root):
    bad = []
    for rel, text in sources(root):
        own = layer_of(rel)
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            if match[1] == "<":
                bad += [f"{rel}:{number}: only {LAYERS[home][0][0]} includes <{prefix}...>: {line.strip()}"
                        for prefix, home in BACKENDS.items()
                        if match[2].startswith(prefix) and own != home]
                continue
            used = layer_of(match[2])
            if own is not None and used is not None and used != own and used not in LAYERS[own][1]:
                bad.append(f"{rel}:{number}: {own} includes {used}: {line.strip()}")
    return bad, "every include stays within its layer or below"


def windows_names(root):
    compiler = shutil.which("x86_64-w64-mingw32-g++-posix") or shutil.which("x86_64-w64-mingw32-g++")
    if not compiler:
        print("skipped: no mingw-w64 C++ compiler installed")
        sys.exit(77)

    def compile(*args, text):
        return subprocess.run([compiler, "-std=c++20", *args, "-x", "c++", "-"], input=text,
                              capture_output=True, text=True)
    prelude = "".join(f"#include <{h}>\n" for h in WINDOWS_HEADERS)
    macros = {line.split()[1].split("(")[0]
              for line in compile("-dM", "-E", text=prelude).stdout.splitlines()} - STANDARD
    bad, headers = [], []
    for rel, text in sources(root):
        if not rel.startswith(PORTABLE) or rel.startswith(BACKEND_FOLDERS):
            continue
        headers += [rel] if rel.endswith(".h") else []
        text = re.sub(r"//[^\n]*|/\*.*?\*/|\"(\\.|[^\"\\])*\"|'(\\.|[^'\\])*'|#include[^\n]*", " ",
                      text, flags=re.S)
        bad += [f"{rel}: {name} is a macro of the Windows headers"
                for name in sorted(set(re.findall(r"\b[A-Za-z_]\w*\b", text)) & macros)]
    result = compile("-fsyntax-only", "-I", str(root),
                     text=prelude + "".join(f'#include "{h}"\n' for h in headers))
    if result.returncode != 0:
        bad.append("headers do not compile after <windows.h>:\n" + result.stderr[-3000:])
    return bad, f"{len(headers)} headers follow <windows.h> cleanly"


if __name__ == "__main__":
    bad, summary = {"layers": layers, "windows_names": windows_names}[sys.argv[1]](
        pathlib.Path(sys.argv[2]).resolve())
    print("\n".join(bad) if bad else summary)
    sys.exit(1 if bad else 0)
