#!/usr/bin/python3
"""End-to-end test of the real `voxlet` program, driven from outside as a user
would: over the accessibility bus (pyatspi, a package of the system's Python)
and with real X pointer clicks (xdotool), inside an X server and a D-Bus
session of its own (run_with_xvfb.sh --dbus). Usage: voxlet_e2e.py VOXLET WORK

The program runs from WORK/bin (Voxlet.ini beside it) in the scenarios' voice
set; it sets the volume, plays a Tiko voice and is closed with Esc (status 0),
or is ended by SIGTERM over a message box or SIGINT over the settings dialog
(killed by that signal). Each time the volume must be saved.
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


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def prepare(binary, work):
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run(["bash", os.path.join(here, "../../scripts/prepare-tree.sh"),
                    os.path.join(work, "data"), os.path.join(here, "../voice-sets/basic")],
                   check=True)
    shutil.rmtree(os.path.join(work, "bin"), ignore_errors=True)
    os.makedirs(os.path.join(work, "bin"))
    shutil.copy2(binary, os.path.join(work, "bin", "voxlet"))


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
            fail("timed out waiting for " + what)
        time.sleep(0.1)


def find(node, role, name=None):
    """The first descendant with the role (and name)."""
    node.clear_cache()  # the tree changes as the program runs
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRole() == role and name in (None, child.name):
            return child
        found = find(child, role, name)
        if found:
            return found
    return None


def click(node):
    """A real pointer click at the middle of the node."""
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(e.x + e.width // 2),
                    str(e.y + e.height // 2), "click", "1"], check=True)


def running(work, env, volume, steps, signum=None):
    """Starts the program, sets the volume, runs steps(app, window), ends it
    with Esc or the signal and checks the exit status and the saved volume."""
    proc = subprocess.Popen([os.path.join(work, "bin", "voxlet")], cwd=os.path.join(work, "data"),
                            env=env)
    try:
        def own_app():
            desktop = pyatspi.Registry.getDesktop(0)
            desktop.clear_cache()
            apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
            return next((a for a in apps if a and a.get_process_id() == proc.pid), None)

        app = wait_for("the program", own_app)
        window = wait_for("the main window", lambda: find(app, pyatspi.ROLE_DIALOG) or
                          find(app, pyatspi.ROLE_FRAME))
        if window.name != "ティコボイスプレイヤー":
            fail("window title is %r" % window.name)
        slider = wait_for("the volume", lambda: find(window, pyatspi.ROLE_SLIDER))
        slider.queryValue().currentValue = float(volume)
        wait_for("the volume at %d" % volume, lambda: slider.queryValue().currentValue == volume)
        steps(app, window)
        if signum:
            proc.send_signal(signum)
        else:
            subprocess.run(["xdotool", "key", "Escape"], check=True)
        status = -signum if signum else 0
        try:
            if proc.wait(timeout=30) != status:
                fail("the program ended with status %d, not %d" % (proc.returncode, status))
        except subprocess.TimeoutExpired:
            fail("the program did not end")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    with open(os.path.join(work, "bin", "Voxlet.ini"), encoding="utf-8") as f:
        settings = f.read()
    sound = settings.split("[SOUND]", 1)[-1].split("[", 1)[0].split()
    if "[SOUND]" not in settings or "DEFAULT=%d" % volume not in sound:
        fail("[SOUND] DEFAULT is not %d:\n%s" % (volume, settings))


def button(window, label):
    click(wait_for(label, lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, label)))


def play_clip(app, window):
    node = wait_for("ティコ", lambda: find(window, pyatspi.ROLE_RADIO_BUTTON, "ティコ"))
    click(node)
    wait_for("ティコ checked", lambda: node.getState().contains(pyatspi.STATE_CHECKED))
    click(wait_for("the clip ただいま", lambda: find(window, pyatspi.ROLE_TABLE_CELL, "ただいま")))
    button(window, "再生")
    display = wait_for("the clip display", lambda: find(window, pyatspi.ROLE_TEXT))
    wait_for("tadaima.wav shown", lambda: display.queryText().getText(0, -1) == "tadaima.wav")


def play_nothing(app, window):
    button(window, "再生")
    wait_for("message 103", lambda: find(app, pyatspi.ROLE_ALERT))


def open_settings(app, window):
    button(window, "設定")
    wait_for("the settings dialog", lambda: find(app, pyatspi.ROLE_FRAME, "設定ダイアログ"))


def main():
    work = os.path.abspath(sys.argv[2])
    prepare(os.path.abspath(sys.argv[1]), work)
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")  # there is no sound card
    env.pop("NO_AT_BRIDGE", None)
    env.pop("GTK_A11Y", None)
    running(work, env, 20, play_clip)
    running(work, env, 35, play_nothing, signal.SIGTERM)
    running(work, env, 45, open_settings, signal.SIGINT)
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
