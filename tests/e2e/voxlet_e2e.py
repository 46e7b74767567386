#!/usr/bin/python3
"""End-to-end test of the real `voxlet` program, driven from outside as a user
would: over the accessibility bus (AT-SPI, pyatspi) and with real X pointer
clicks (xdotool, XTest) for the buttons.

    voxlet_e2e.py VOXLET_BINARY WORK_DIR

Runs inside an X server and a D-Bus session of its own (run_with_xvfb.sh
--dbus). It prepares WORK_DIR: a copy of the program in WORK_DIR/bin (the
settings file Voxlet.ini is found beside the executable) and a voice set in
WORK_DIR/data, the folder the program is started in. Then, in the window: the
mode radio "ティコ", a category radio, a clip in the list, the volume, Play,
and "閉じる". The program must end by itself with exit status 0, its clip
display must have shown the clip, and the settings file must then hold
[SOUND] DEFAULT with the volume position that was set. Then twice more, ended
by a signal instead of "閉じる" while a modal window is open (SIGTERM over a
message box, SIGINT over the settings dialog): it must end promptly through
the same shut-down (the volume saved), killed by that signal.

Uses /usr/bin/python3 on purpose: pyatspi is a Debian package of the system's
Python.
"""
import contextlib
import os
import shutil
import signal
import struct
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402

import pyatspi  # noqa: E402

TIMEOUT = 30.0  # seconds for any one step

HEADER = ("セット,テキスト,補足,ファイル,ID,秒,分類,除外,写真,旗,クイズ,カルタ,じゃんけん,"
          "タイマー,サッカー,留守番,ウォーク,オプション,プログラム")
FLAGS = ",0" * 12
NINSHIKI_CSV = [HEADER,
                "1,おはよう,朝,NF02.wav,2,1,1" + FLAGS,
                "1,ティコ,名前,NF03.wav,3,1,2" + FLAGS]
VOICE_CSV = [HEADER,
             "1,ただいま,帰宅,greet\\tadaima.wav,101,1,1" + FLAGS,
             "1,ロボだよ,ロボ,robo.wav,103,1,6" + FLAGS,
             "1,ピピピ,ロボ,pipipi.wav,104,1,6" + FLAGS]


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def step(message):
    print("* " + message, flush=True)


def wav(seconds=1, rate=8000):
    """A 16-bit mono PCM WAV of a soft square wave."""
    samples = b"".join(struct.pack("<h", 800 if (i // 20) % 2 else -800)
                       for i in range(rate * seconds))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + \
        b"data" + struct.pack("<I", len(samples)) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


def cp932_crlf(lines):
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def prepare(binary, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "bin"))
    program = os.path.join(work, "bin", "voxlet")
    try:
        os.link(binary, program)
    except OSError:
        shutil.copy2(binary, program)
    data = os.path.join(work, "data")
    files = {
        "Ninshiki.csv": cp932_crlf(NINSHIKI_CSV),
        "voice.csv": cp932_crlf(VOICE_CSV),
        "voice/Ninshiki/NF01.wav": wav(),
        "voice/Ninshiki/NF02.wav": wav(),
        "voice/Ninshiki/NF03.wav": wav(),
        "voice/greet/tadaima.wav": wav(),
        "voice/robo.wav": wav(),
        "voice/pipipi.wav": wav(),
    }
    for name, content in files.items():
        path = os.path.join(data, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)
    return program, data, os.path.join(work, "bin", "Voxlet.ini")


def pump():
    context = GLib.MainContext.default()
    for _ in range(50):
        if not context.iteration(False):
            break


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = probe()
        except GLib.Error:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.1)


def descendants(node):
    try:
        node.clear_cache()  # the tree changes as the program runs
        count = node.childCount
    except GLib.Error:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except GLib.Error:
            continue
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find(root, role, name=None):
    for node in descendants(root):
        try:
            if node.getRole() == role and (name is None or node.name == name):
                return node
        except GLib.Error:
            continue
    return None


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    desktop.clear_cache()
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None:
            continue
        try:
            if app.get_process_id() == pid:
                return app
        except GLib.Error:
            continue
    return None


def xclick(node, button=1):
    """A real pointer click at the middle of the node's extents."""
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x = extents.x + extents.width // 2
    y = extents.y + extents.height // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
    time.sleep(0.1)
    subprocess.run(["xdotool", "click", str(button)], check=True)


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


@contextlib.contextmanager
def running(program, data, env):
    """The program started in data, with its main window on the bus."""
    step("start " + program + " in " + data)
    proc = subprocess.Popen([program], cwd=data, env=env)
    try:
        app = wait_for("the program on the accessibility bus", lambda: find_app(proc.pid))
        window = wait_for("the main window", lambda: find(app, pyatspi.ROLE_DIALOG) or
                          find(app, pyatspi.ROLE_FRAME))
        if window.name != "ティコボイスプレイヤー":
            fail("window title is %r" % window.name)
        yield proc, app, window
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def choose(window, radio, line):
    """Clicks the radio, then waits for the list to show the line."""
    node = wait_for("radio " + radio, lambda: find(window, pyatspi.ROLE_RADIO_BUTTON, radio))
    xclick(node)
    wait_for(radio + " checked", lambda: checked(node))
    return wait_for("the line " + line, lambda: find(window, pyatspi.ROLE_TABLE_CELL, line))


def set_volume(window, position):
    slider = wait_for("the volume trackbar", lambda: find(window, pyatspi.ROLE_SLIDER))
    value = slider.queryValue()
    if (value.minimumValue, value.maximumValue) != (0.0, 100.0):
        fail("trackbar range %r..%r" % (value.minimumValue, value.maximumValue))
    value.currentValue = float(position)
    wait_for("the trackbar at %d" % position,
             lambda: slider.queryValue().currentValue == position)


def click_button(window, label):
    xclick(wait_for("button " + label, lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, label)))


def wait_end(proc, what, status):
    try:
        rc = proc.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        fail("the program did not end after " + what)
    if rc != status:
        fail("the program ended with status %d after %s" % (rc, what))


def check_saved_volume(ini, position):
    with open(ini, "rb") as f:
        settings = f.read().decode("utf-8")
    print(settings, flush=True)
    lines = [line.strip() for line in settings.splitlines()]
    if "[SOUND]" not in lines:
        fail("no [SOUND] section")
    section = lines[lines.index("[SOUND]") + 1:]
    section = section[:next((i for i, line in enumerate(section) if line.startswith("[")),
                            len(section))]
    if "DEFAULT=%d" % position not in section:
        fail("[SOUND] DEFAULT is not %d" % position)


def main():
    if len(sys.argv) != 3:
        fail("usage: voxlet_e2e.py VOXLET_BINARY WORK_DIR")
    program, data, ini = prepare(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    env = dict(os.environ)
    env["SDL_AUDIODRIVER"] = "dummy"  # there is no sound card
    env.pop("NO_AT_BRIDGE", None)
    env.pop("GTK_A11Y", None)

    with running(program, data, env) as (proc, app, window):
        wait_for("the recognition-word list",
                 lambda: find(window, pyatspi.ROLE_TABLE_CELL, "おはよう"))
        step("switch to ティコ mode, category ロボット/状態")
        choose(window, "ティコ", "ただいま")
        cell = choose(window, "ロボット/状態", "ピピピ")
        if find(window, pyatspi.ROLE_TABLE_CELL, "ただいま"):
            fail("the list still shows the first category")

        step("choose the clip, set the volume and play")
        xclick(cell)
        set_volume(window, 20)
        click_button(window, "再生")
        display = wait_for("the clip display", lambda: find(window, pyatspi.ROLE_TEXT))
        wait_for("the clip display to show pipipi.wav", lambda: text_of(display) == "pipipi.wav")

        step("close")
        click_button(window, "閉じる")
        wait_end(proc, "閉じる", 0)
    check_saved_volume(ini, 20)

    with running(program, data, env) as (proc, app, window):
        step("play with no line chosen: message 103; then SIGTERM")
        set_volume(window, 35)
        choose(window, "ティコ", "ただいま")
        choose(window, "ロボット/状態", "ピピピ")
        click_button(window, "再生")
        wait_for("message 103", lambda: find(app, pyatspi.ROLE_ALERT))
        proc.send_signal(signal.SIGTERM)
        wait_end(proc, "SIGTERM", -signal.SIGTERM)
    check_saved_volume(ini, 35)

    with running(program, data, env) as (proc, app, window):
        step("open the settings dialog; then SIGINT")
        set_volume(window, 45)
        click_button(window, "設定")
        wait_for("the settings dialog", lambda: find(app, pyatspi.ROLE_FRAME, "設定ダイアログ"))
        proc.send_signal(signal.SIGINT)
        wait_end(proc, "SIGINT", -signal.SIGINT)
    check_saved_volume(ini, 45)
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
