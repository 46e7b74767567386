#!/usr/bin/python3
"""End-to-end test of the real `voxlet` (voxlet_e2e.py VOXLET WORK), driven as a
user would over the accessibility bus and with real X clicks (xdotool), under
run_with_xvfb.sh --dbus. Run from WORK/bin in the scenarios' voice set, it sets
the volume, then plays a Tiko voice and is closed with Esc, or is ended by
SIGTERM over a message box or SIGINT over the settings dialog; each time the
volume must be saved. Every control a keyboard user reaches is named for screen
readers, and a message box by its title, the program's name.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402

import pyatspi  # noqa: E402


def wait_for(what, probe):
    deadline = time.monotonic() + 30
    while True:
        while GLib.MainContext.default().iteration(False):
            pass
        try:
            value = probe()
        except GLib.Error:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            sys.exit("FAIL: timed out waiting for " + what)
        time.sleep(0.1)


def find(node, role, name=None):
    """The first descendant with the role (None: any) and name, once there is one."""
    def search(node):
        node.clear_cache()  # the tree changes as the program runs
        for child in filter(None, map(node.getChildAtIndex, range(node.childCount))):
            if role in (None, child.getRole()) and name in (None, child.name):
                return child
            found = search(child)
            if found:
                return found
    return wait_for(name or str(role), lambda: search(node))


def click(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(e.x + e.width // 2),
                    str(e.y + e.height // 2), "click", "1"], check=True)


def check_names(window, expected):
    """Each focusable control (GTK hides a combo box's) below window is named, expected ones so."""
    seen = []

    def walk(node):
        node.clear_cache()
        for child in filter(None, map(node.getChildAtIndex, range(node.childCount))):
            state, role = child.getState(), child.getRole()
            if state.contains(pyatspi.STATE_SHOWING) and (
                    state.contains(pyatspi.STATE_FOCUSABLE) or role == pyatspi.ROLE_COMBO_BOX):
                seen.append((role, child.name))
            if role != pyatspi.ROLE_TABLE:  # not into the list's rows
                walk(child)
    walk(window)
    wrong = [p for p in seen if not p[1]] + [p for p in expected if p not in seen]
    if wrong:
        sys.exit("FAIL: unnamed or missing in %s: %s\nseen: %s" % (window.name, wrong, seen))


def running(work, env, volume, steps, signum=None):
    """Sets the volume, runs steps(app, window), ends with Esc or signum; checks the end."""
    proc = subprocess.Popen([os.path.join(work, "bin", "voxlet")], cwd=os.path.join(work, "data"),
                            env=env)
    try:
        def own_app():
            desktop = pyatspi.Registry.getDesktop(0)
            desktop.clear_cache()
            apps = map(desktop.getChildAtIndex, range(desktop.childCount))
            return next((a for a in apps if a and a.get_process_id() == proc.pid), None)

        app = wait_for("the program", own_app)
        window = find(app, None, "ティコボイスプレイヤー")  # the main window by its title
        check_names(window, [(pyatspi.ROLE_TABLE, "音声リスト"), (pyatspi.ROLE_SLIDER, "音量"),
                             (pyatspi.ROLE_TEXT, "再生中の音声"), (pyatspi.ROLE_PUSH_BUTTON, "一覧再生")])
        slider = find(window, pyatspi.ROLE_SLIDER)
        slider.queryValue().currentValue = float(volume)
        wait_for("the volume at %d" % volume, lambda: slider.queryValue().currentValue == volume)
        steps(app, window)
        if signum:
            proc.send_signal(signum)
        else:
            subprocess.run(["xdotool", "key", "Escape"], check=True)
        if proc.wait(timeout=30) != (-signum if signum else 0):
            sys.exit("FAIL: the program ended with status %d" % proc.returncode)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    with open(os.path.join(work, "bin", "Voxlet.ini"), encoding="utf-8") as f:
        settings = f.read()
    if "DEFAULT=%d" % volume not in settings.partition("[SOUND]")[2].split("[", 1)[0].split():
        sys.exit("FAIL: [SOUND] DEFAULT is not %d:\n%s" % (volume, settings))


def play_clip(app, window):
    node = find(window, pyatspi.ROLE_RADIO_BUTTON, "ティコ")
    click(node)
    wait_for("ティコ checked", lambda: node.getState().contains(pyatspi.STATE_CHECKED))
    click(find(window, pyatspi.ROLE_TABLE_CELL, "ただいま"))
    click(find(window, pyatspi.ROLE_PUSH_BUTTON, "再生"))
    display = find(window, pyatspi.ROLE_TEXT)
    wait_for("tadaima.wav shown", lambda: display.queryText().getText(0, -1) == "tadaima.wav")


def clicking(label, role, name=None):
    """Steps that click the button, then wait for the window it opens."""
    return lambda app, window: (click(find(window, pyatspi.ROLE_PUSH_BUTTON, label)),
                                find(app, role, name))


def main():
    binary, work = map(os.path.abspath, sys.argv[1:3])
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run(["bash", os.path.join(here, "../../scripts/prepare-tree.sh"),
                    os.path.join(work, "data"), os.path.join(here, "../voice-sets/basic")],
                   check=True)
    shutil.rmtree(os.path.join(work, "bin"), ignore_errors=True)
    os.makedirs(os.path.join(work, "bin"))
    shutil.copy2(binary, os.path.join(work, "bin", "voxlet"))
    env = {k: v for k, v in os.environ.items() if k not in ("NO_AT_BRIDGE", "GTK_A11Y")}  # a11y on
    env["SDL_AUDIODRIVER"] = "dummy"  # there is no sound card
    running(work, env, 20, play_clip)
    running(work, env, 35, clicking("再生", pyatspi.ROLE_ALERT, "voxlet"), signal.SIGTERM)  # 103
    running(work, env, 45, lambda app, window: check_names(
        clicking("設定", pyatspi.ROLE_FRAME, "設定ダイアログ")(app, window)[1],
        [(pyatspi.ROLE_COMBO_BOX, "インターフェイス"), (pyatspi.ROLE_COMBO_BOX, "再生間隔")]),
        signal.SIGINT)
    print("PASS", flush=True)


main()
