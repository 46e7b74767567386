#!/usr/bin/env python3
"""Fails when a source file includes a project header from a layer it may not use,
or a back end's system header outside the folder that implements it.

Each layer may include only itself and the layers listed for it; tools and tests
may include anything. Usage: check_layers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

# Longest prefix first: the layer of a path is that of its longest matching prefix.
LAYERS = {
    "platform": [],
    "platform/curl": ["platform"],
    "platform/wininet": ["platform"],
    "resources": ["platform"],
    "playback/audio": ["platform", "resources"],
    "playback/sdl": ["platform", "playback/audio"],
    "core": ["platform", "resources", "playback/audio"],
    "link": ["platform", "resources", "core"],
    "playback": ["platform", "resources", "playback/audio", "core", "link"],
    "export": ["platform", "resources", "core"],
    "ui": ["platform", "resources", "playback/audio", "core", "link", "playback", "export"],
    "ui/wx": ["platform", "resources", "platform/curl", "playback/audio", "playback/sdl", "core",
              "link", "playback", "export", "ui"],
    # Tools (the headless host among them) may use every layer; no layer uses them.
    "tools": ["platform", "resources", "platform/curl", "playback/audio", "playback/sdl", "core",
              "link", "playback", "export", "ui", "ui/wx"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
# A back end's headers (by prefix) and the one folder that may include them.
BACKENDS = {"curl/": "platform/curl", "wininet.h": "platform/wininet"}
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<([^>]+)>')


def layer_of(path):
    for prefix in sorted(LAYERS, key=len, reverse=True):
        if path == prefix or path.startswith(prefix + "/"):
            return prefix
    return None


def main():
    root = pathlib.Path(sys.argv[1])
    bad = []
    for source in sorted(root.glob("**/*")):
        if source.suffix not in (".cpp", ".h") or "build" in source.relative_to(root).parts[0]:
            continue
        path = source.relative_to(root).as_posix()
        own = layer_of(path)
        for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
            system = SYSTEM_INCLUDE.match(line)
            for prefix, home in BACKENDS.items():
                if system and system.group(1).startswith(prefix) and own != home:
                    bad.append(f"{path}:{number}: only {home} includes <{prefix}...>: {line.strip()}")
            match = INCLUDE.match(line)
            if own is None or not match:
                continue
            used = layer_of(match.group(1))
            if used is not None and used != own and used not in LAYERS[own]:
                bad.append(f"{source.relative_to(root)}:{number}: {own} includes {used}: {line.strip()}")
    print("\n".join(bad) if bad else "every include stays within its layer or below")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
