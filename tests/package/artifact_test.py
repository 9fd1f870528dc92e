#!/usr/bin/env python3
"""The release zip as a user installs it, end to end under Wine.

Unpacks the zip into an empty folder beside copies of the stand-in shell's
own files, runs the shell there with an empty store while the stand-in
player runs, and checks that the control took its place in the taskbar
painted from the shipped skins: the On/Off cell of a running player comes
from Pelorin4.bmp, which has no built-in stand-in. The scene's last click
on On/Off closes the player through the plug-in; the shell must then leave
with exit code 0.

Usage: artifact_test.py BIN_DIR ZIP WORK_DIR (ctest sets WINEPREFIX)
"""

import os
import shutil
import struct
import subprocess
import sys
import time
import zipfile

SHELL_FILES = ["mirel_shell.exe", "starter.dll", "MirelEx.dll"]
PACKAGE = ["Plugins/Pelorin.plg"] + ["Plugins/Pelorin%d.bmp" % n for n in range(1, 6)] + ["Plugins/Pelorin.txt"]
SCENE = "move away\nwait 4000\nshot running The player runs\nclick on\nmove away\nwait 2000\n"
# The default skin's cells (x from, x to, y from, y to), both ends included.
ON_OFF = (0, 10, 3, 12)
# Cells that show the normal skin while a playing player is left alone:
# Pause, Stop, Vol + above, Open, Prev, Next, Vol - below.
RESTING = [(22, 54, 3, 12), (11, 54, 13, 22)]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_bmp(path):
    """Rows of (b, g, r) triples, top row first, of a 24-bit BMP."""
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, path
    stride = (width * 3 + 3) & ~3
    rows = []
    for row in range(abs(height)):
        start = offset + row * stride
        rows.append([tuple(data[start + 3 * x:start + 3 * x + 3]) for x in range(width)])
    return rows[::-1] if height > 0 else rows


def block(rows, left, top, cell):
    x0, x1, y0, y1 = cell
    return [rows[top + y][left + x0:left + x1 + 1] for y in range(y0, y1 + 1)]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    bin_dir, zip_path, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for name in SHELL_FILES:
        shutil.copy(os.path.join(bin_dir, name), work)
    with zipfile.ZipFile(zip_path) as archive:
        if archive.namelist() != PACKAGE:
            fail("the zip holds %s" % archive.namelist())
        archive.extractall(work)
    open(os.path.join(work, "mirel.ini"), "w").close()
    with open(os.path.join(work, "artifact.scene"), "w") as scene:
        scene.write(SCENE)

    player = subprocess.Popen(["wine", os.path.join(bin_dir, "player_sim.exe")], cwd=bin_dir,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(2)
        shell = subprocess.run(
            ["wine", "mirel_shell.exe", "--store=" + windows_path(os.path.join(work, "mirel.ini")),
             "--scene=" + windows_path(os.path.join(work, "artifact.scene")),
             "--shots=" + windows_path(os.path.join(work, "shots")), "--exit-when-done", "--exit-after=60000"],
            cwd=work, timeout=90, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if shell.returncode != 0:
            fail("the shell left with %d: %s" % (shell.returncode, shell.stdout))
        done = open(os.path.join(work, "shots", "scene-done.txt")).read()
        if done != "ok\n":
            fail("the scene stopped at " + done)
        player.wait(timeout=15)
    except subprocess.TimeoutExpired as expired:
        fail("%s did not end" % expired.cmd)
    finally:
        if player.poll() is None:
            player.kill()

    plugins = os.path.join(work, "Plugins")
    normal = read_bmp(os.path.join(plugins, "Pelorin1.bmp"))
    pressed = read_bmp(os.path.join(plugins, "Pelorin3.bmp"))
    pressed_buttons = read_bmp(os.path.join(plugins, "Pelorin4.bmp"))
    if block(pressed_buttons, 0, 0, ON_OFF) == block(pressed, 0, 0, ON_OFF):
        fail("the shipped On/Off cells cannot tell the shipped skins from the built-in ones")
    shot = read_bmp(os.path.join(work, "shots", "running.bmp"))
    top = len(shot) - len(normal)  # the shot ends at the control's bottom edge
    lefts = [left for left in range(len(shot[0]) - len(normal[0]) + 1)
             if all(block(shot, left, top, cell) == block(normal, 0, 0, cell) for cell in RESTING)]
    if len(lefts) != 1:
        fail("the normal skin's resting cells are found at %s in the taskbar" % lefts)
    if block(shot, lefts[0], top, ON_OFF) != block(pressed_buttons, 0, 0, ON_OFF):
        fail("On/Off is not drawn from the shipped Pelorin4.bmp")
    shutil.rmtree(work)
    print("ok: registered at x %d, painted from the shipped skins, stopped with exit code 0" % lefts[0])


if __name__ == "__main__":
    main()
